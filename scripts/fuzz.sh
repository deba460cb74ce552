#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and undefined-behaviour
# sanitizers in build-fuzz/, and runs each for the given number of seconds (default 60) from its
# corpus. Prints executions and findings per target; exits non-zero on any finding.
#   scripts/fuzz.sh [seconds]
# A finding's input is kept as build-fuzz/findings/<target>/crash-*; once the fault is fixed,
# copy it to fuzz/regressions/<target>/ so that every test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(pwd)/scripts/install-deps.sh"

seconds=${1:-60}
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DKORRIN_FUZZ=ON -DKORRIN_SANITIZE=ON \
  -DKORRIN_BUILD_GUI=OFF -DKORRIN_BUILD_CLI=OFF -DKORRIN_BUILD_TESTS=OFF -DKORRIN_BUILD_BENCH=OFF \
  >/dev/null
targets=(definition apply hex number reception script search journal)
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]/%/_fuzz}"

# Files written by the targets go to memory where there is some: the engine syncs each save.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

printf '%-12s %12s %10s %9s\n' target executions exec/s findings
failed=0
for name in "${targets[@]}"; do
  corpus="$build/corpus/$name"   # the seeds plus what this run adds; fuzz/ stays as committed
  findings="$build/findings/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  seeds=(fuzz/corpus/"$name")
  [ -d fuzz/regressions/"$name" ] && seeds+=(fuzz/regressions/"$name")
  status=0
  "$build/fuzz/${name}_fuzz" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  found=$(find "$findings" -type f | wc -l)
  if [ "$status" -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  printf '%-12s %12s %10s %9s\n' "$name" "${runs:-?}" "${rate:-?}" "$found"
  if [ "$found" -ne 0 ]; then
    failed=1
    grep -E -m 20 'ERROR|SUMMARY|fuzz.cpp:[0-9]+:|input:|runtime error' "$log" >&2 || true
  fi
done
exit "$failed"
