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
