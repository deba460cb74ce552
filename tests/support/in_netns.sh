#!/bin/sh
# Runs a command in a private network namespace whose only interface is loopback, so that it
# may serve on port 80 without touching the host's network or needing privileges there. Exits
# 77 (skipped) where this machine does not allow such a namespace.
#   in_netns.sh COMMAND [ARGUMENTS...]
if ! unshare -rn true 2>/dev/null; then
  echo "no private network namespace on this machine"
  exit 77
fi
export KORRIN_IN_NETNS=1
exec unshare -rn sh -c 'ip link set lo up || exit 77; exec "$@"' netns "$@"
