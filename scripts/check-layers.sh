#!/usr/bin/env bash
# Fails when a core file includes Qt or a front end's header, or when the folders of src/
# include each other in a cycle. Reads #include lines only.
set -euo pipefail
cd "$(dirname "$0")/../src"

core='common catalogue patch lint update journal window platform'
status=0
if grep -rnE '^\s*#\s*include\s*(<Q|"(qt|cli|win32)/)' $core; then
  echo "check-layers: the core above includes Qt or a front end" >&2
  status=1
fi

# One edge per folder that includes another: "includer included", for tsort.
edges=$(grep -rE '^\s*#\s*include\s*"[a-z0-9_]+/' . |
  sed -E 's|^\./([^/]+)/[^:]*:\s*#\s*include\s*"([^/]+)/.*|\1 \2|' |
  awk '$1 != $2' | sort -u)
if ! tsort <<<"$edges" >/dev/null 2>/tmp/check-layers.$$; then
  cat /tmp/check-layers.$$ >&2
  echo "check-layers: the folders' includes form a cycle" >&2
  status=1
fi
rm -f /tmp/check-layers.$$
[ "$status" = 0 ] && echo "check-layers: core free of Qt and front ends; folder includes acyclic"
exit "$status"
