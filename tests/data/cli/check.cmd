# A target as the client ships it: the fast start patch holds its second option, the line
# length 255, the title "Hello".
printf vplaces.exe 'MZ\0\0\x83\x3D\x4C\x8B\x5A\0\0\x74\0\0\xC7\x44\x24\x10\xFF\0\0\0\x56\x50\x54\x0D\x0AHello\0\0\0'
run --folder @DATA@/catalogues/three check --target vplaces.exe
run --folder @DATA@/catalogues/three check --target vplaces.exe --json
# Patched with each option in turn, then with values: check reads back what Apply wrote.
run --folder @DATA@/catalogues/three apply --target vplaces.exe 0 --option 1
run --folder @DATA@/catalogues/three check --target vplaces.exe 0
run --folder @DATA@/catalogues/three apply --target vplaces.exe "Fast start" --option 2
run --folder @DATA@/catalogues/three check --target vplaces.exe "Fast start"
run --folder @DATA@/catalogues/three apply --target vplaces.exe 1 --value 1000
run --folder @DATA@/catalogues/three apply --target vplaces.exe 2 --value "Café"
dump vplaces.exe
run --folder @DATA@/catalogues/three check --target vplaces.exe 1 2
# check writes nothing: the bytes are still those of the last Apply.
dump vplaces.exe
# A signature that occurs twice: a warning naming both offsets; Apply patches the first.
printf twice.exe '\xC7\x44\x24\x10\x01\x00\0\0\xC7\x44\x24\x10\x02\x00'
run --folder @DATA@/catalogues/three check --target twice.exe 1
run --folder @DATA@/catalogues/three check --target twice.exe 1 --json
# Entries that Apply refuses or cannot apply, and why.
run --folder @DATA@/definitions check --target vplaces.exe
# A target that is not there, or a folder given as the target: Apply's own messages.
run --folder @DATA@/catalogues/three check --target missing.exe
run --folder @DATA@/catalogues/three check --target @WORK@/nofolder/vplaces.exe 0
run --folder @DATA@/catalogues/three check --target vplaces.exe 7
run --folder @DATA@/catalogues/three check
# A target that is not there gives JSON too when JSON is asked for.
run --folder @DATA@/catalogues/three check --target missing.exe --json
