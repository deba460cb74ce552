#!/usr/bin/env bash
# Installs what is missing, builds Korrin Patcher and starts its window on a ready demo folder:
# build/demo holds the program, the sample definitions and a stand-in vplaces.exe that every
# sample patch applies to. The demo keeps its settings in build/demo/settings, apart from yours.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)" --target korrin-patcher demo

demo="$root/build/demo"
mkdir -p "$demo/settings/Norvane"
# A copy, not a link: the program reads its catalogue from the folder of its own executable.
cp -f build/korrin-patcher "$demo/"
cp -f samples/*.pat "$demo/"
# The build made the stand-in build/demo/vplaces.exe and checked that every sample applies to it.

# Point the demo at its stand-in, unless the demo's own settings say otherwise already.
conf="$demo/settings/Norvane/Patcher.conf"
if [ ! -f "$conf" ] || ! grep -q '^Path=' "$conf"; then
  printf '[General]\nPath=%s\n' "$demo/vplaces.exe" >> "$conf"
fi

xvfb_pid=""
window_pid=""
stop() {
  if [ -n "$window_pid" ]; then kill "$window_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
# The virtual display goes with the window, however the demo ends: the window closed, Ctrl-C,
# or the script itself stopped.
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # The first display number without a server.
  for n in $(seq 77 120); do
    [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
  done
  Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  sleep 1
  echo "No display found: the window runs on the virtual display $display (Xvfb), which stops"
  echo "when the window does. Look at it with: DISPLAY=$display import -window root screenshot.png"
fi

echo "Starting Korrin Patcher on $demo"
# In the background, so that a signal to this script is handled at once, not when the window ends.
XDG_CONFIG_HOME="$demo/settings" "$demo/korrin-patcher" &
window_pid=$!
wait "$window_pid"
