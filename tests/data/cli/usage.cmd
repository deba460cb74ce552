# Usage errors: status 2 and one line that says what to read.
run
run frobnicate
run --folder @WORK@/missing list
run list extra
run --folder @DATA@/catalogues/three show
run --folder @DATA@/catalogues/three show 3
run --folder @DATA@/catalogues/three show 99999999999999999999
run --folder @DATA@/catalogues/three show "No such title"
run --folder @DATA@/cli show 0
run list --jsn
# Usage errors speak of korrin-patch's options, in plain sentences.
run --folder @DATA@/definitions apply --target vplaces.exe 0 --option 1 --option 2
run --folder @DATA@/definitions apply --target
run --folder @DATA@/definitions apply --target vplaces.exe 0 1
run --folder @DATA@/definitions apply --json --target vplaces.exe 0
# --json may come before the command, as --folder may.
run --json --folder @DATA@/catalogues/three list
