# The journal of Applies: history and undo.
printf vplaces.exe '\x0F\x8C\x51\x01\x00\x00\x3D\xAA\xBB\x00\x00\x00\x00\x00\xCC\xDD\x00\x00\x00\x00'
run history --target vplaces.exe
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no"
run --folder @DATA@/definitions apply --target vplaces.exe Text --value hi
run history --target vplaces.exe
# The older of two Applies that changed different bytes: only its bytes go back.
run undo --target vplaces.exe 1
dump vplaces.exe
# Two Applies over the same bytes: the older waits for the newer.
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no" --option 1
run --folder @DATA@/definitions apply --target vplaces.exe "Yes or no" --option 2
run undo --target vplaces.exe 4
dump vplaces.exe
# Something else wrote over the text: refused, with the offset.
printf vplaces.exe '\x0F\x8C\x51\x01\x00\x00\x3D\xE8\x41\x00\x00\x00\x00\x00\xCC\xDD\x68\x58\x00\x00'
run undo --target vplaces.exe 2
run undo --target vplaces.exe --last
run undo --target vplaces.exe --all
dump vplaces.exe
# An undo can be undone: the first Apply comes back.
run undo --target vplaces.exe '#3'
dump vplaces.exe
run history --target vplaces.exe --json
# A moved target: the records of where it was.
move vplaces.exe moved.exe
run history --target moved.exe
run undo --target moved.exe 1
dump moved.exe
# Usage errors.
run undo --target moved.exe
run undo --target moved.exe 2 --last
run undo --target moved.exe x3
run history --target missing.exe
# Two spans, one of them written over since: partly in place.
printf two.exe '\xAA\xBB\x00\x00\xCC\xDD\x00\x00'
run --folder @DATA@/definitions apply --target two.exe Text --value hi
printf two.exe '\xAA\xBB\x68\x69\xCC\xDD\x00\x00'
run history --target two.exe
