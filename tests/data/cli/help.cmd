run --help
run list --help
run show --help
run lint --help
run update --help
