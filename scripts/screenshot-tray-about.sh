#!/usr/bin/env bash
# Takes docs/about.png and docs/tray.png from the real program in a Wine virtual desktop, which
# draws captions and has a taskbar with a notification area. The mouse does what a user would:
# "情報" > "バージョン情報" opens the about window; "ウインドウ" > "タスクトレイに格納" stores
# the window, and resting on the icon shows its tip. Needs an x86_64 build (scripts/build.sh
# x86_64) and xdotool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
docs=${1:-$root/docs}
source "$root/scripts/wine-env.sh"
cb_wine_env "$build/wineprefix-shot"
CB_FORCE_XVFB=1 cb_display
cb_wine_boot
trap cb_wine_stop EXIT
dir=$(mktemp -d)
cd "$dir"

# geometry TITLE: prints "W H X Y" of the mapped Wine window with that title, or nothing.
geometry() {
  local id
  id=$(xwininfo -root -tree 2>/dev/null | grep "\"$1\": (\"chordbell.exe\"" | head -1 |
    awk '{print $1}')
  [ -n "$id" ] || return 0
  xwininfo -id "$id" 2>/dev/null | awk '
    /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF} /Height:/ {h = $NF} /Map State: IsViewable/ {shown = 1}
    END {if (shown) print w, h, x, y}'
}
wait_for() {  # wait_for TITLE shown|gone
  local i
  for i in $(seq 100); do
    if [ -n "$(geometry "$1")" ]; then [ "$2" = shown ] && return 0
    else [ "$2" = gone ] && return 0; fi
    sleep 0.1
  done
  echo "screenshot: window \"$1\" never $2" >&2
  return 1
}
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.6; }

"$CB_WINE64" explorer /desktop=shell,1024x768 "$build/x86_64/chordbell.exe" &
wait_for ChordBell shown
sleep 2  # let the list view and the captions finish painting
read -r _ _ mx my < <(geometry ChordBell)

# The menu bar lies under the caption; its items are at fixed places in the window.
click $((mx + 153)) $((my + 32))   # "情報"
click $((mx + 183)) $((my + 52))   # "バージョン情報"
wait_for Version shown
sleep 1
read -r aw ah ax ay < <(geometry Version)
import -window root -crop "${aw}x${ah}+${ax}+${ay}" +repage "$docs/about.png"
echo "wrote $docs/about.png"
click $((ax + aw - 14)) $((ay + 11))  # the caption's close button
wait_for Version gone

click $((mx + 98)) $((my + 32))    # "ウインドウ"
click $((mx + 128)) $((my + 52))   # "タスクトレイに格納"
wait_for ChordBell gone
# The icon sits at the right end of the taskbar; rest the mouse on it until the tip shows.
xdotool mousemove 1000 700
sleep 0.3
xdotool mousemove 1013 757
sleep 2.5
import -window root -crop 180x56+844+712 +repage "$dir/tray.png"
convert "$dir/tray.png" -scale 300% "$docs/tray.png"
echo "wrote $docs/tray.png"

xdotool click 1  # a left press on the icon brings the window back
wait_for ChordBell shown
click $((mx + 466)) $((my + 11))  # close the program
