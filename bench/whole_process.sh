#!/usr/bin/env bash
# What users wait for: whole processes timed from outside. On a generated target of each size
# (ten signatures in its last MiB, see bench/apply_bench.cpp), runs `korrin-patch apply` of the
# ten-signature entry alternately with `cp` of the same file followed by `sync` (the floor: the
# file read, written and flushed once), one of each per round, then `korrin-patch check` of all
# ten entries alternately with that apply. Prints medians, the median of the per-round ratios
# and the peak memory of one apply (/usr/bin/time -v).
#   bench/whole_process.sh [MIB...]        (default: 256 1024; RUNS=10 rounds each)
# Needs about three times the largest target free in build-bench/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=build-bench
# As users build it. GCC 12 at -O3 sees a false overlap in std::string's copy (-Wrestrict),
# which must not stop a measurement.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORRIN_BUILD_GUI=OFF \
  -DKORRIN_BUILD_TESTS=OFF --compile-no-warning-as-error >/dev/null
cmake --build "$build" --target korrin-patch apply_bench --parallel 2 >/dev/null

runs=${RUNS:-10}
work=$(mktemp -d "$(pwd)/$build/whole-XXXXXX")  # on the disk, not in memory
trap 'rm -rf "$work"' EXIT

# Alternates two commands, one run of each per round, so that load elsewhere on the machine
# falls on both alike; prints the medians and the median ratio of first to second. The
# machine is shared: single rounds can take several times the median, so look at the median.
paired() {
  local name=$1 first=$2 second=$3 out=$4
  # Round 0 is not counted: it settles the page cache and the disk after what ran before.
  for i in $(seq 0 "$runs"); do
    hyperfine --runs 1 --ignore-failure --style none --export-json "$out.$i.json" \
      "$first" "$second" >/dev/null 2>&1
  done
  python3 - "$name" "$out" "$runs" <<'PY'
import json, statistics, sys
name, out, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
a, b = [], []
for i in range(1, runs + 1):
    results = json.load(open(f"{out}.{i}.json"))["results"]
    a.append(results[0]["mean"]); b.append(results[1]["mean"])
ratios = [x / y for x, y in zip(a, b)]
print(f"  {name}: {statistics.median(a):.3f} s against {statistics.median(b):.3f} s, "
      f"median ratio {statistics.median(ratios):.2f} (range {min(ratios):.2f}-{max(ratios):.2f})")
PY
}

sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(256 1024)
for mib in "${sizes[@]}"; do
  dir=$work/$mib
  "$build/bench/apply_bench" --generate "$dir" --mib="$mib"
  sync
  patcher="$(pwd)/$build/korrin-patch --folder $dir/program"
  apply="$patcher apply --target $dir/vplaces.exe 'Ten sites'"
  check="$patcher check --target $dir/vplaces.exe"
  copy="cp $dir/vplaces.exe $dir/copy.exe && sync"
  eval "$apply" >/dev/null  # the first Apply writes its bytes; later ones write the same again
  sync
  echo "target: $mib MiB, $runs rounds"
  paired "apply vs cp + sync" "$apply" "$copy" "$dir/apply"
  paired "check of 10 entries vs apply" "$check" "$apply" "$dir/check"
  peak=$( { /usr/bin/time -v sh -c "$apply" >/dev/null; } 2>&1 |
    awk -F: '/Maximum resident/ { print $2 }')
  echo "  peak memory of apply: $((peak / 1024)) MiB (${peak} KiB)"
  rm -rf "$dir"
done
