#!/usr/bin/env bash
# Cross-builds the Windows programs and their tests (scripts/build-windows.sh) and runs the
# suite under Wine: the core's tests, korrin-patch's golden tests, the shared Apply table and the
# update against a real HTTP server on loopback.
#   scripts/test-windows.sh [BUILD_DIR]
# Wine runs in a fresh prefix in the build folder, with one idle Wine process kept alive for the
# whole run: without it every test pays Wine's start-up again, and ctest waits on the background
# processes that Wine leaves holding the test's output.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
# Warnings are errors here, as in every build of the project's own scripts.
scripts/build-windows.sh "$build" -DKORRIN_WARNINGS_AS_ERRORS=ON >/dev/null

prefix=$(pwd)/$build/wine-prefix
wine=(sh cmake/wine-run.sh "$prefix")
export WINEDEBUG=-all
start=$(date +%s)
rm -rf "$prefix" "$prefix-netns"
"${wine[@]}" wineboot --init >/dev/null 2>&1
# Once Wine has saved the new prefix, a copy of it serves the tests that run in a network
# namespace of their own, whose Wine must start there.
WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
cp -a "$prefix" "$prefix-netns"
# cmd reads its commands from a pipe that this script holds open, so it idles until the script
# ends, whatever way it ends.
exec {idle}> >(exec "${wine[@]}" cmd.exe >/dev/null 2>&1)
# Wine's background services start with the first program and inherit its output; started here,
# they hold /dev/null rather than the output of a test that ctest waits on.
"${wine[@]}" cmd.exe /c exit >/dev/null 2>&1
echo "Wine prefix ready in $(($(date +%s) - start)) s"

status=0
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300 || status=$?

exec {idle}>&-
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
echo "Windows suite under Wine: $(($(date +%s) - start)) s"
exit $status
