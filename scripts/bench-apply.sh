#!/usr/bin/env bash
# Measures Apply on a generated target (256 MiB unless given) with ten signatures near its
# end, side by side in one run with `cp` of the same file followed by `sync`: the floor of
# reading, writing and flushing it once. Prints the ratio, the search speed and peak memory.
#   scripts/bench-apply.sh [MiB]
# Needs about three times the target's size free in build-bench/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORRIN_BUILD_GUI=OFF \
  -DKORRIN_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target apply_bench --parallel 2

data="$(pwd)/build-bench/apply-data"
trap 'rm -rf "$data"' EXIT
# Repetitions in random order, so that a burst of load elsewhere on the machine falls on both.
build-bench/bench/apply_bench --korrin_folder="$data" --korrin_mib="${1:-256}" \
  --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true
