# Every kind of definition as the window reads it, incomplete ones saying what they lack.
run --folder @DATA@/definitions show 0
run --folder @DATA@/definitions show 1
run --folder @DATA@/definitions show 2
run --folder @DATA@/definitions show 3
run --folder @DATA@/definitions show 4
run --folder @DATA@/definitions show 5
run --folder @DATA@/definitions show 7
run --folder @DATA@/definitions show 8
run --folder @DATA@/definitions show 9
run --folder @DATA@/definitions show 10
run --folder @DATA@/definitions show 11
# By exact title, and as JSON.
run --folder @DATA@/definitions show "Twice two"
run --folder @DATA@/definitions show "Yes or no" --json
run --folder @DATA@/definitions show 3 --json
run --folder @DATA@/definitions show 10 --json
# Texts are one byte per character: Latin-1 in the file, UTF-8 on the terminal and in JSON.
run --folder @DATA@/catalogues/lint_findings show "Café title"
run --folder @DATA@/catalogues/lint_findings show "Café title" --json
# A title ending in a blank leads the window to a file name that does not exist.
run --folder @DATA@/catalogues/lint_findings show "Ends in a blank "
