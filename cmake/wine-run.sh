#!/bin/sh
# Runs a Windows program under Wine, for the build and the tests of a cross build:
#   wine-run.sh DEFAULT_PREFIX PROGRAM [ARGUMENTS...]
# The prefix is WINEPREFIX where it is set, else DEFAULT_PREFIX (the build folder's own), made on
# first use. Debian puts Wine's 64-bit loader here and no wine64 on PATH. No debug chatter, and
# no offer to install Mono or Gecko, which nothing here needs.
: "${WINEPREFIX:=$1}"
shift
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
