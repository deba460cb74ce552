#!/usr/bin/env bash
# The project's benchmark: whole processes of korrin-patch apply and check against cp + sync,
# with peak memory, on generated 256 MiB and 1 GiB targets. See bench/whole_process.sh.
#   scripts/bench-apply.sh [MIB...]
exec "$(dirname "$0")/../bench/whole_process.sh" "$@"
