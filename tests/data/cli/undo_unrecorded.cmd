# A journal that cannot be written does not stop Apply; it only cannot be undone.
printf vplaces.exe '\x0F\x8C\x51\x01\x00\x00\x3D\xAA\xBB\x00'
printf .data/korrin-patcher 'a file where the folder goes'
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no"
dump vplaces.exe
run history --target vplaces.exe
run undo --target vplaces.exe --last
