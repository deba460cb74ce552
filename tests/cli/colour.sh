#!/usr/bin/env bash
# Colour only on a terminal: escapes when standard output is a pseudo-terminal, none through a
# pipe, none when NO_COLOR asks for none.
#   colour.sh BINARY DATA_DIR
set -euo pipefail
binary=$1
data=$2
args=(--folder "$data/catalogues/lint_findings" lint)
command -v script >/dev/null || exit 77

escape=$'\x1b['
on_terminal=$(TERM=xterm script -qec "$(printf '%q ' "$binary" "${args[@]}")" /dev/null || true)
piped=$("$binary" "${args[@]}" || true)
no_colour=$(NO_COLOR=1 TERM=xterm script -qec "$(printf '%q ' "$binary" "${args[@]}")" /dev/null || true)

[[ "$on_terminal" == *"$escape"* ]] || { echo "no colour on a terminal" >&2; exit 1; }
[[ "$piped" != *"$escape"* ]] || { echo "colour through a pipe" >&2; exit 1; }
[[ "$no_colour" != *"$escape"* ]] || { echo "colour despite NO_COLOR" >&2; exit 1; }
