#!/usr/bin/env bash
# Times `korrin-patch check` of 10 entries against one `korrin-patch apply`, both on the same
# 256 MiB target, as a user runs them: whole processes, the file in the page cache.
#   scripts/bench-check.sh [BUILD_DIR] [RUNS] [FILLER]   (defaults: build, 5, x86)
# FILLER x86 gives bytes in the proportions of machine code, as the demo target has them;
# random gives every byte value equally often, the worst case for a search that skips ahead to
# a signature's rarest byte.
# Prints the median wall time of each. The target and the definitions are made afresh in a
# temporary folder (TMPDIR): ten patches, their sites spread from the start to the end of the
# file, one of them absent so that its search reads the whole file, as a patch for another
# build of the client does.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-5}
filler=${3:-x86}
binary=$build/korrin-patch
[ -x "$binary" ] || { echo "no $binary: build it first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/korrin-bench-XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
mkdir "$work/program"

python3 - "$work" "$filler" <<'PY'
import os, random, sys
work, filler = sys.argv[1], sys.argv[2]
size = 256 << 20
random.seed(0x4B4F)
# Bytes in the proportions of x86 code, as the demo target has them: zero runs, frequent
# opcodes and ModR/M bytes, and a share of anything. One MiB is made and repeated with a
# different rotation each time, which keeps the proportions and costs seconds, not minutes.
frequent = bytes([0x8B, 0x89, 0x48, 0xE8, 0x0F, 0x83, 0x24, 0x44,
                  0x85, 0xC0, 0x74, 0x75, 0xFF, 0xCC, 0x90, 0xC3])
tile = bytearray()
while len(tile) < (1 << 20):
    r = random.getrandbits(32)
    if r % 8 == 0:
        tile += bytes(4 + r % 29)
    elif r % 8 < 6:
        tile.append(frequent[(r >> 8) % len(frequent)])
    else:
        tile.append((r >> 16) & 0xFF)
tile = bytes(tile[:1 << 20])
if filler == "random":
    tile = os.urandom(1 << 20)
data = bytearray()
for i in range(size >> 20):
    shift = random.randrange(1 << 20)
    data += tile[shift:] + tile[:shift]

def sig(n):
    return bytes(random.randrange(1, 256) for _ in range(n))

patches = []  # (file, title, param, [signatures], [offsets where planted])
for i, share in enumerate([0.05, 0.2, 0.35, 0.5]):
    s = sig(7)
    patches.append((f"yn_{i}.pat", f"Option patch {i}", "yn|On:9090|Off:7405", [s], [int(size * share)]))
for i, share in enumerate([0.65, 0.8]):
    s = sig(6)
    patches.append((f"num_{i}.pat", f"Number patch {i}", "num|255", [s], [int(size * share)]))
for i, share in enumerate([0.9, 0.99]):
    s = sig(6)
    patches.append((f"text_{i}.pat", f"Text patch {i}", "text|Virtual Places", [s], [int(size * share)]))
a, b = sig(6), sig(6)
patches.append(("or_mode.pat", "Either site", "yn|On:EB,EB|Off:74,74", [a, b], [None, int(size * 0.7)]))
patches.append(("absent.pat", "Another build", "yn|On:90|Off:74", [sig(7)], [None]))

for name, title, param, sigs, offsets in patches:
    for s, at in zip(sigs, offsets):
        if at is not None:
            data[at:at + len(s)] = s
    mode = "or|" if name == "or_mode.pat" else ""
    text = (f"patch:{title}\r\ndescription:Benchmark.\r\nparam:{param}\r\n"
            f"location:{mode}{','.join(s.hex().upper() for s in sigs)}\r\n")
    with open(os.path.join(work, "program", name), "w", newline="") as f:
        f.write(text)
with open(os.path.join(work, "vplaces.exe"), "wb") as f:
    f.write(data)
PY

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
time_runs() {
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
  done | median
}

target=$work/vplaces.exe
folder=$work/program
cat "$target" >/dev/null  # into the page cache
entries=$("$binary" --folder "$folder" list | wc -l)
# The cheapest Apply there is: its site lies near the start, so its search ends early.
"$binary" --folder "$folder" apply --target "$target" "Option patch 0" >/dev/null
apply=$(time_runs "$binary" --folder "$folder" apply --target "$target" "Option patch 0")
check=$(time_runs "$binary" --folder "$folder" check --target "$target")
printf 'target: 256 MiB of %s filler, %d entries, %d runs each, median wall time\n' "$filler" "$entries" "$runs"
printf 'apply of 1 entry:    %.3f s\n' "$apply"
printf 'check of %d entries: %.3f s\n' "$entries" "$check"
