run --help
run list --help
run show --help
run lint --help
run update --help
run check --help
run apply --help
