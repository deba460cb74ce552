#!/usr/bin/env bash
# Starts the real window on a virtual X display from a folder holding three definition files,
# as a user would, and checks what the screen shows: the Find tab at start, then, after one
# click on "Patch it!", the three titles with the first one selected.
#   xvfb_window.sh BINARY DEFINITIONS_FOLDER [SCREENSHOT_FOLDER]
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
binary=$1
definitions=$2
shots=${3:-}

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "no $tool"; exit 77; }
done

work=$(mktemp -d)
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$binary" "$work/korrin-patcher"
cp "$definitions"/*.pat "$work/"

# A free display number: the first whose lock file is absent.
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

XDG_CONFIG_HOME="$work/settings" "$work/korrin-patcher" >"$work/log" 2>&1 &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Korrin Patcher 1\.0$' | head -1)
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
[ "$WIDTH" = 360 ] && [ "$HEIGHT" = 273 ] || { echo "window is ${WIDTH}x$HEIGHT"; exit 1; }

shot() { import -window root -crop "360x273+$X+$Y" +repage "$1"; }
# The colour of one pixel of a screenshot, at window coordinates, as "r,g,b".
pixel() { convert "$1" -format '%[fx:int(255*u.r)],%[fx:int(255*u.g)],%[fx:int(255*u.b)]' \
            -crop "1x1+$2+$3" info:; }
# How many pixels of a band are dark (text), at window coordinates x y w h.
dark() { convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -threshold 50% \
           -format '%[fx:int(w*h*(1-mean)+0.5)]' info:; }

shot "$work/find.png"
# The Find tab's title picture is deep blue; the Patch tab's list would be white there.
IFS=, read -r r g b <<<"$(pixel "$work/find.png" 200 60)"
[ "$b" -gt 60 ] && [ "$r" -lt 80 ] || { echo "Find tab not shown at start ($r,$g,$b)"; exit 1; }

# One click on the "Patch it!" header icon.
xdotool mousemove --sync $((X + 9 + 22 + 16)) $((Y + 17 + 65 + 16)) click 1
sleep 0.5
shot "$work/patch.png"

# The list sits at 160,27 in the window (frame 105,11 plus list 55,16). Rows of 11-pixel
# Tahoma are about 10.3 pixels apart: three rows with text, the fourth empty, the first in the
# selection colour.
list_x=163; list_y=29
row_y() { echo $((list_y + $1 * 103 / 10 + 2)); }
for row in 1 2; do
  [ "$(dark "$work/patch.png" $((list_x + 2)) "$(row_y $row)" 60 6)" -gt 15 ] ||
    { echo "row $row shows no title"; exit 1; }
done
[ "$(dark "$work/patch.png" $((list_x + 2)) "$(row_y 3)" 60 6)" -eq 0 ] ||
  { echo "a fourth row shows text"; exit 1; }
IFS=, read -r r g b <<<"$(pixel "$work/patch.png" $((list_x + 150)) $((list_y + 6)))"
[ "$b" -gt 150 ] && [ "$r" -lt 150 ] || { echo "first entry not selected ($r,$g,$b)"; exit 1; }
# The first entry's description is on view, and its two option buttons.
[ "$(dark "$work/patch.png" 160 121 170 12)" -gt 20 ] || { echo "no description"; exit 1; }

if [ -n "$shots" ]; then
  mkdir -p "$shots"
  cp "$work/find.png" "$shots/find.png"
  cp "$work/patch.png" "$shots/patch.png"
  xdotool mousemove --sync $((X + 9 + 22 + 16)) $((Y + 17 + 126 + 16)) click 1
  sleep 0.5
  shot "$shots/updates.png"
fi
echo "window checked on $display"
