#!/usr/bin/env bash
# Runs one golden case of korrin-patch and compares its transcript with the expected one.
#   golden.sh BINARY DATA_DIR CASE [RUNNER...]
# RUNNER, when given, runs the binary (Wine for a Windows build); the transcript must come out
# the same, with the system's own words for errors and Windows paths put back as POSIX has them.
# DATA_DIR/cli/CASE.cmd holds the steps, one per line ("#" starts a comment):
#   copy SRC DEST       copy DATA_DIR/SRC (a file or a folder) to WORK/DEST
#   printf DEST FORMAT  write WORK/DEST with printf FORMAT (for exact bytes)
#   run ARGS...         run korrin-patch with ARGS, shell words
#   bin DIR             copy korrin-patch into WORK/DIR; "run DIR/korrin-patch ..." then runs it
#   link TARGET LINK    make WORK/LINK a symbolic link to WORK/TARGET
#   move SRC DEST       rename WORK/SRC to WORK/DEST
#   dump FILE           show the bytes of WORK/FILE
#   ls DIR              list the files of WORK/DIR
#   serve DIR [PORT]    serve WORK/DIR over HTTP/1.0 on loopback, on PORT or a free port, which
#                       is @PORT@ in later steps
#   silent              a loopback server that accepts and never answers, @PORT@ in later steps
#   busy FILE           make WORK/FILE a running program (a copy of sleep), which may not be
#                       written while it runs
# In ARGS @DATA@, @WORK@ and @PORT@ stand for DATA_DIR, a fresh temporary folder and the port;
# the transcript writes them back the same way, so that it is the same on every machine, and
# times (UTC, as history prints them) read @TIME@. The journal of Applies is WORK/.data's.
# With KORRIN_UPDATE_GOLDEN=1 the transcript replaces DATA_DIR/cli/CASE.expected.
set -euo pipefail

binary=$1
data=$(cd "$2" && pwd)
case_name=$3
shift 3
runner=("$@")
steps="$data/cli/$case_name.cmd"
expected="$data/cli/$case_name.expected"

work=$(mktemp -d "${TMPDIR:-/tmp}/korrin-golden-XXXXXX")
servers=()
busy_pid=""
cleanup() {
  # A case may start a second server after the first: every one started is stopped.
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  if [ -n "$busy_pid" ]; then kill "$busy_pid" 2>/dev/null || true; wait "$busy_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
port=""
transcript="$work/.transcript"
export XDG_DATA_HOME="$work/.data"
: >"$transcript"

expand() {
  local text=$1
  text=${text//@DATA@/$data}
  text=${text//@WORK@/$work}
  text=${text//@PORT@/$port}
  printf '%s' "$text"
}

# Paths in the output go back to their placeholders.
normalise() {
  windows_words | sed -e "s|$work|@WORK@|g" -e "s|$data|@DATA@|g" \
    -e 's|[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]T[0-9][0-9]:[0-9][0-9]:[0-9][0-9]Z|@TIME@|g' ${port:+-e "s|:$port\\b|:@PORT@|g" -e "s|port $port\\b|port @PORT@|g"}
}

# Under a runner (Wine), a path the program made itself reads Z:\tmp\..., a folder it was given
# gets "\" at its end, and the system words its errors in its own way: all are put as POSIX has
# them, so that one transcript serves both.
windows_words() {
  if [ ${#runner[@]} -eq 0 ]; then
    cat
    return
  fi
  WORK=$work DATA=$data perl -pe '
    s{Z:(\\[^\s"]*)}{my $path = $1; $path =~ s/\\\\|\\/\//gr}ge;
    s{(\Q$ENV{WORK}\E|\Q$ENV{DATA}\E)([^\s"]*)}{my ($at, $rest) = ($1, $2); $at . ($rest =~ s/\\\\|\\/\//gr)}ge;
    s{No connection could be made because the target machine actively refused it|Connection refused}{Connection refused}g;
    s{File not found|The system cannot find the file specified}{No such file or directory}g;
    s{Path not found|The system cannot find the path specified}{No such file or directory}g;
    s{Directory name invalid|The directory name is invalid}{Not a directory}g;'
}

run() {
  local line=$1
  local -a args
  eval "args=($(expand "$line"))"
  local program=$binary
  if [ "${#args[@]}" -gt 0 ] && [[ "${args[0]}" == */korrin-patch ]]; then
    program=${args[0]}
    args=("${args[@]:1}")
  fi
  if [[ "${line%% *}" == */korrin-patch ]]; then
    echo "\$ $line" >>"$transcript"
  else
    echo "\$ korrin-patch${line:+ $line}" >>"$transcript"
  fi
  local status=0
  (cd "$work" && "${runner[@]}" "$program" "${args[@]}") >"$work/.out" 2>"$work/.err" </dev/null || status=$?
  normalise <"$work/.out" >>"$transcript"
  if [ -s "$work/.err" ]; then
    echo "[stderr]" >>"$transcript"
    normalise <"$work/.err" >>"$transcript"
  fi
  echo "[status $status]" >>"$transcript"
}

serve() {
  local dir="$work/$1"
  python3 -u -m http.server "${2:-0}" --bind 127.0.0.1 --directory "$dir" >"$work/.server" 2>&1 &
  servers+=($!)
  for _ in $(seq 100); do
    port=$(sed -n 's/.*port \([0-9][0-9]*\).*/\1/p' "$work/.server" | head -n1)
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  echo "the HTTP server did not start" >&2
  exit 1
}

silent() {
  python3 -u -c '
import socket, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
print("port", s.getsockname()[1])
held = []
while True:
    held.append(s.accept()[0])
' >"$work/.server" 2>&1 &
  servers+=($!)
  for _ in $(seq 100); do
    port=$(sed -n 's/^port \([0-9][0-9]*\)$/\1/p' "$work/.server" | head -n1)
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  echo "the silent server did not start" >&2
  exit 1
}

busy() {
  local file="$work/$1"
  mkdir -p "$(dirname "$file")"
  cp "$(command -v sleep)" "$file"
  "$file" 300 &
  busy_pid=$!
  for _ in $(seq 100); do
    [ "$(readlink "/proc/$busy_pid/exe" 2>/dev/null)" = "$file" ] && return 0
    sleep 0.05
  done
  echo "the copy of sleep did not start" >&2
  exit 1
}

while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    "" | "#"*) continue ;;
  esac
  verb=${line%% *}
  rest=""
  [[ "$line" == *" "* ]] && rest=${line#* }
  case "$verb" in
    copy)
      set -- $rest
      mkdir -p "$(dirname "$work/$2")"
      cp -R "$data/$1" "$work/$2"
      ;;
    printf)
      dest=${rest%% *}
      format=${rest#* }
      mkdir -p "$(dirname "$work/$dest")"
      eval "printf $format" >"$work/$dest"
      ;;
    bin)
      mkdir -p "$work/$rest"
      cp "$binary" "$work/$rest/korrin-patch"
      ;;
    link)
      set -- $rest
      mkdir -p "$(dirname "$work/$2")"
      ln -s "$work/$1" "$work/$2"
      ;;
    move)
      set -- $rest
      mv "$work/$1" "$work/$2"
      ;;
    run)
      run "$rest"
      ;;
    dump)
      echo "# bytes of $rest" >>"$transcript"
      od -A x -t x1 -v "$work/$rest" >>"$transcript"
      ;;
    ls)
      echo "# files in $rest" >>"$transcript"
      (cd "$work/$rest" && LC_ALL=C ls -A) >>"$transcript"
      ;;
    serve)
      serve $rest
      ;;
    silent)
      silent
      ;;
    busy)
      busy "$rest"
      ;;
    *)
      echo "$steps: unknown step: $line" >&2
      exit 1
      ;;
  esac
done <"$steps"

if [ "${KORRIN_UPDATE_GOLDEN:-}" = 1 ]; then
  cp "$transcript" "$expected"
  echo "wrote $expected"
  exit 0
fi
diff -u "$expected" "$transcript"
