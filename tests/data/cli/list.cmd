# The catalogue in the window's order: files by name without regard to case, entries in line order.
run --folder @DATA@/catalogues/three list
run --folder @DATA@/catalogues/three list --json
# Two entries from one file; a title that swallowed a whole LF-only file stays on one line.
run --folder @DATA@/definitions list
# A folder without definition files lists nothing, and that is no error.
run --folder @DATA@/cli list
