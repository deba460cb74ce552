#!/usr/bin/env bash
# Builds Korrin Patcher and runs every test headless, with compiler warnings as errors.
#   scripts/test.sh              the normal build, in build/ (preset "test")
#   scripts/test.sh --sanitize   the same suite under address and undefined-behaviour sanitizers,
#                                in build-asan/ (preset "sanitize")
set -euo pipefail
cd "$(dirname "$0")/.."

"$(pwd)/scripts/install-deps.sh"

preset=test
if [ "${1:-}" = "--sanitize" ]; then
  preset=sanitize
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake --preset "$preset"
cmake --build --preset "$preset" --parallel "$(nproc)"
ctest --preset "$preset" --parallel "$(nproc)"
