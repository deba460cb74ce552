# Each file of lint_findings holds one kind of mistake; clean.pat holds none.
run --folder @DATA@/catalogues/lint_findings lint
run --folder @DATA@/catalogues/lint_findings lint --json
run --folder @DATA@/catalogues/three lint
run --folder @DATA@/catalogues/three lint --json
