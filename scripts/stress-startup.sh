#!/usr/bin/env bash
# Starts the window many times on a virtual X display and counts how each start ended, to catch
# a start-up that aborts now and then. Two starters run side by side, so that one instance is
# often starting while another closes. Not part of the test suite: it takes minutes.
#   scripts/stress-startup.sh BINARY [STARTS_PER_STARTER] [STARTERS]
# KORRIN_STRESS_WAIT sets how many seconds a start may take to show its window (default 20;
# a sanitizer build on a busy machine needs more).
# Prints one line per outcome with its count; exits 1 when any start aborted or crashed.
set -euo pipefail
binary=$(realpath "$1")
starts=${2:-150}
starters=${3:-2}
wait_seconds=${KORRIN_STRESS_WAIT:-20}
samples=$(cd "$(dirname "$0")/../samples" && pwd)

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "stress-startup: no $tool" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/korrin-stress-XXXXXX")
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A sanitizer build reports leaks at exit. Qt's accessibility bridge keeps a D-Bus connection
# that libdbus never frees; that one is the system's, not the program's.
printf 'leak:libdbus-1.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

for n in $(seq 150 199); do
  [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
Xvfb "$display" -screen 0 "$((starters * 380 + 40))x600x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# One starter: start, wait for the window to be mapped, end it with a click on its "Exit" header
# as a user would, record the exit status.
starter() {
  local id=$1 folder="$work/app$1" i status pid window
  mkdir -p "$folder"
  cp "$binary" "$folder/korrin-patcher"
  cp "$samples"/*.pat "$folder/"
  for ((i = 0; i < starts; i++)); do
    # One settings store for all, as for one user's instances.
    XDG_CONFIG_HOME="$work/settings" "$folder/korrin-patcher" >"$folder/log.$i" 2>&1 &
    pid=$!
    window=$(timeout "$wait_seconds" xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
    if [ -n "$window" ]; then
      # Vary how long the window lives, so that starts and closes of the starters interleave.
      sleep "0.$((RANDOM % 4))"
      # Each starter's windows in a place of their own, so that the click finds its own. A
      # click that comes before the window takes input is lost: click again until it ends.
      xdotool windowmove --sync "$window" $((id * 380)) 0 2>/dev/null || true
      for _ in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove --sync $((id * 380 + 9 + 23 + 16)) $((17 + 184 + 16)) click 1 || true
        timeout 1 tail --pid="$pid" -f /dev/null && break
      done
    fi
    status=0
    if [ -z "$window" ] && kill -0 "$pid" 2>/dev/null && command -v gdb >/dev/null; then
      # Started, but no window in time: where it is.
      gdb -p "$pid" -batch -ex 'thread apply all bt' >"$work/hang-$id-$i.txt" 2>&1 || true
    fi
    timeout 10 tail --pid="$pid" -f /dev/null || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || status=$?
    if [ -z "$window" ]; then
      echo "no-window status=$status" >>"$work/results"
    else
      echo "status=$status" >>"$work/results"
    fi
    if [ "$status" != 0 ]; then
      cp "$folder/log.$i" "$work/failed-$id-$i.log"
    fi
    rm -f "$folder/log.$i"
  done
}

pids=()
for ((s = 0; s < starters; s++)); do
  starter "$s" &
  pids+=($!)
done
wait "${pids[@]}"

echo "stress-startup: $((starts * starters)) starts of $binary on $display, $starters side by side"
sort "$work/results" | uniq -c
for log in "$work"/failed-*.log "$work"/hang-*.txt; do
  [ -e "$log" ] || continue
  echo "--- $(basename "$log")"
  grep -v '^\[New LWP\|^\[Thread debugging\|^Using host' "$log" | head -60
done
! grep -qv '^status=0$' "$work/results"
