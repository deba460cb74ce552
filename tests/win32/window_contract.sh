#!/usr/bin/env bash
# The Windows window under Wine on a virtual X display, as a user meets it: its caption and
# client size, every control of tests/data/window_controls.txt read back by a probe in the same
# prefix, each tab header's click, Apply on a prepared target, a cancelled folder dialog, the
# settings in the registry, and an update from a real server on port 80 in a private network
# namespace that replaces files and reloads the window.
#   window_contract.sh KORRIN_PATCHER_EXE PROBE_EXE TEST_DATA WINE_PREFIX [SCREENSHOT_FOLDER]
# The prefix is made on first use and kept. Exits 77 (skipped) without Wine, Xvfb or xdotool.
set -euo pipefail
exe=$(realpath "$1")
probe_exe=$2
data=$(realpath "$3")
# Wine takes only an absolute prefix.
export WINEPREFIX=$(realpath -m "$4")
shots=${5:-}

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "no Wine"; exit 77; }
for tool in Xvfb xdotool xprop import; do
  command -v "$tool" >/dev/null || { echo "no $tool"; exit 77; }
done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's sockets are made by its server, so the whole run, server and display included, goes
# into the private network namespace where the update's server may take port 80.
netns=$(realpath "$(dirname "$0")/../support/in_netns.sh")
if [ -z "${KORRIN_IN_NETNS:-}" ] && "$netns" true >/dev/null 2>&1; then
  exec "$netns" bash "$0" "$exe" "$probe_exe" "$data" "$WINEPREFIX" "$shots"
fi

work=$(mktemp -d)
stop() {
  [ -n "${app:-}" ] || return 0
  kill "$app" 2>/dev/null || true
  while kill -0 "$app" 2>/dev/null; do sleep 0.1; done
  app=
}
cleanup() {
  stop
  wineserver -k 2>/dev/null || true
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

for n in $(seq 141 190); do
  [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
if [ ! -d "$WINEPREFIX" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
  # Windows has Tahoma; Debian's Wine finds its copy only in the prefix's fonts folder.
  cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# One server for the whole run, started here, so each program starts warm in this namespace.
wineserver -k 2>/dev/null || true
wineserver -p
cp "$probe_exe" "$work/probe.exe"

probe() { "$wine" "$work/probe.exe" "$@" | tr -d '\r'; }
key='HKCU\Software\Norvane\Patcher'
setting() {
  "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}
windows_path() { echo "Z:${1//\//\\}"; }

# start FOLDER: runs the window from FOLDER, as a copy there, and waits for it. Now and then a
# program cannot reach Xvfb and shows nothing: that start is tried once more.
start() {
  cp "$exe" "$1/korrin-patcher.exe"
  for attempt in 1 2; do
    (cd "$1" && exec "$wine" korrin-patcher.exe >/dev/null 2>&1) &
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Korrin Patcher 1\.0$' |
      head -1 || true)
    [ -n "$window" ] && break
  done
  [ -n "$window" ] || fail "no window"
  app=$(xdotool getwindowpid "$window")
  # Without a window manager Wine draws no frame: the X window is the client area.
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
}
# click X Y: at a place in the window's client area.
click() { xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
shot() { [ -z "$shots" ] || import -window root -crop "360x273+$X+$Y" +repage "$shots/$1"; }
# The middle of each header's icon and caption in the strip at 9,17, by tab number.
icon_x=(47 48 47 48); icon_y=(98 38 159 217)
caption_x=(51 52 51 52); caption_y=(122 62 183 242)
frame_x=105; frame_y=11

"$wine" reg delete "$key" /f >/dev/null 2>&1 || true

echo "- every control over an empty folder"
mkdir "$work/empty"
start "$work/empty"
[ "$WIDTH" = 360 ] && [ "$HEIGHT" = 273 ] || fail "client area ${WIDTH}x$HEIGHT"
probe controls "$data/window_controls.txt" || fail "controls"
# Wine hands the window's icon to X, which is where a probe in another process can see it.
xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (' || fail "no window icon"
stop

echo "- tab headers"
mkdir "$work/three"
cp "$data"/catalogues/three/*.pat "$work/three/"
start "$work/three"
[ "$(probe count lstPatch)" = 3 ] || fail "catalogue not listed"
shot windows-find.png
frames=("tabForm(0)" "tabForm(1)" "tabForm(2)")
for tab in 0 2 1; do
  click "${icon_x[$tab]}" "${icon_y[$tab]}"
  [ "$(probe visible "${frames[@]}")" = "tabForm($tab)" ] || fail "icon $tab"
  [ "$tab" = 0 ] && shot windows-patch.png
  [ "$tab" = 2 ] && shot windows-updates.png
  click "${caption_x[(tab + 1) % 3]}" "${caption_y[(tab + 1) % 3]}"
  click "${caption_x[$tab]}" "${caption_y[$tab]}"
  [ "$(probe visible "${frames[@]}")" = "tabForm($tab)" ] || fail "caption $tab"
done
click "${icon_x[3]}" "${icon_y[3]}"
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "Exit left the program running"
app=

echo "- settings, Apply and the folder dialog"
mkdir "$work/apply"
cp "$data"/catalogues/three/*.pat "$work/apply/"
# The fast start patch's signature with its second option, Keep (74), after it; Apply with the
# first option selected writes Skip (EB) there.
printf 'MZ\x00\x01\x83\x3d\x4c\x8b\x5a\x00\x00\x74\x05tail' >"$work/apply/vplaces.exe"
printf 'MZ\x00\x01\x83\x3d\x4c\x8b\x5a\x00\x00\xeb\x05tail' >"$work/expected.exe"
cp "$work/apply/vplaces.exe" "$work/original.exe"
target=$(windows_path "$work/apply/vplaces.exe")
"$wine" reg add "$key" /v Path /t REG_SZ /d "$target" /f >/dev/null 2>&1
start "$work/apply"
[ "$(probe text txtDir)" = "$target" ] || fail "Path setting not shown"
click "${icon_x[0]}" "${icon_y[0]}"
click $((frame_x + 208)) $((frame_y + 232))  # Apply
message=$(probe message)
[ "$message" = "Patch completed successfully" ] || fail "Apply said: $message"
cmp "$work/apply/vplaces.exe" "$work/expected.exe" || fail "patched bytes"
click $((frame_x + 173)) $((frame_y + 192))  # opOnOff(1), Keep (74)
click $((frame_x + 208)) $((frame_y + 232))
[ "$(probe message)" = "Patch completed successfully" ] || fail "second Apply"
cmp "$work/apply/vplaces.exe" "$work/original.exe" || fail "second option not taken"
click "${icon_x[1]}" "${icon_y[1]}"
click $((frame_x + 222)) $((frame_y + 231))  # txtPickDIR
probe cancel-folder
sleep 0.5
[ "$(probe text txtDir)" = "$target" ] || fail "cancel changed the path"
[ "$(setting Path)" = "$target" ] || fail "cancel changed the Path setting"
stop

echo "- update from a server on port 80, then the window reloaded"
[ -n "${KORRIN_IN_NETNS:-}" ] || { echo "no private network namespace: update skipped"; exit 0; }
python3 -m http.server 80 --bind 127.0.0.1 --directory "$data/updates/site" >/dev/null 2>&1 &
server=$!
mkdir "$work/update"
cp "$data"/catalogues/three/*.pat "$work/update/"
start "$work/update"
click "${icon_x[2]}" "${icon_y[2]}"
click $((frame_x + 160)) $((frame_y + 26))  # txtUpdateUrl
xdotool key End shift+Home
xdotool type --delay 20 "127.0.0.1/updates/"
sleep 0.3
[ "$(setting URL)" = "127.0.0.1/updates/" ] || fail "URL setting not written"
old=$window
click $((frame_x + 214)) $((frame_y + 64))  # Command1
message=$(probe message)
[ "$message" = "Auto update completed." ] || fail "update said: $message"
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Korrin Patcher 1\.0$' | head -1 || true)
  [ -n "$window" ] && [ "$window" != "$old" ] && break
  sleep 0.1
done
[ "$window" != "$old" ] || fail "window not reloaded"
[ "$(probe text txtAbout | head -1)" = "New in this update:" ] || fail "description"
[ "$(probe count lstPatch)" = 3 ] || fail "catalogue not read again"
[ "$(probe visible "${frames[@]}")" = "tabForm(1)" ] || fail "reloaded window not on Find"
[ -f "$work/update/d_new_title.pat" ] && [ ! -e "$work/update/a_fast_start.pat" ] ||
  fail "update script's files"
echo "window contract held on $display"
