#!/usr/bin/env bash
# Takes the pictures in docs/ from the real program (an x86_64 build) in a Wine virtual desktop,
# which draws the captions that bare Xvfb leaves out and has a taskbar with a notification area.
# The mouse does what a user would, and each step waits for the window it opens or closes:
# main-window.png, large-list.png (1,000 entries in data.ini), about.png, tray.png (the mouse
# resting on the icon), garbled-captions.png (code page 1252 instead of 932).
# Usage: scripts/screenshot.sh [main|large-list|about|tray|garbled|all] (default all);
# CB_SHOT_DIR sets where the pictures go (default docs/).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
shots=$(realpath -m "${CB_SHOT_DIR:-$CB_ROOT/docs}")
mkdir -p "$shots"
what=${1:-all}
case "$what" in
  main|large-list|about|tray|garbled) ;;
  all) set -- main large-list about tray garbled ;;
  *) echo "usage: scripts/screenshot.sh [main|large-list|about|tray|garbled|all]" >&2; exit 2 ;;
esac
CB_FORCE_XVFB=1 cb_wine_start "$CB_BUILD/wineprefix-shot"
# Fonts, so that the pictures show what Windows draws. Wine's own Marlett draws the caption
# buttons (without it they read "0 1 r"); Debian's Wine 8 does not load it from the folder of
# fonts-wine, but does from the prefix's Fonts folder. Garbled captions (code page 1252) are
# made of ƒ, ‹, ‚ and the like, which a Western Windows draws from its Japanese font; the IPA
# fonts that Wine picks for Shift_JIS text lack them, so VL PGothic is linked behind them.
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ ! -f "$fonts/marlett.ttf" ]; then
  for face in IPAGothic IPAPGothic; do
    "$CB_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'VL-PGothic-Regular.ttf,VL PGothic' /f >/dev/null 2>&1
  done
  mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
dir=$(mktemp -d)
trap 'cb_wine_stop; rm -rf "$dir"' EXIT

# "ID W H X Y" of each viewable window whose line in `xwininfo -root -tree` holds MATCH.
windows() {  # MATCH
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | awk -v t="$1" 'index($0, t) {print $1}'); do
    xwininfo -id "$id" 2>/dev/null | awk -v id="$id" '
      /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
      /Width:/ {w = $NF} /Height:/ {h = $NF} /Map State: IsViewable/ {print id, w, h, x, y}'
  done
}
window_geometry() { windows "\"$1\": (" | awk '{print $2, $3, $4, $5; exit}'; }
window_shown() { [ -n "$(window_geometry "$1")" ]; }
window_hidden() { ! window_shown "$1"; }
wait_window() { cb_wait "${2:-30}" "the window \"$1\"" window_shown "$1"; }
wait_window_gone() { cb_wait "${2:-30}" "the end of the window \"$1\"" window_hidden "$1"; }

# Saves the screen's W x H rectangle at X, Y once three grabs in a row are alike: the window is
# there before it has painted, and the painting itself has nothing to ask about.
shoot() {  # W H X Y FILE [SCALE]
  local i
  for i in $(seq 50); do
    import -window root -crop "${1}x${2}+${3}+${4}" +repage "$dir/grab$((i % 3)).ppm"
    if [ "$i" -ge 3 ] && cmp -s "$dir/grab0.ppm" "$dir/grab1.ppm" && cmp -s "$dir/grab1.ppm" "$dir/grab2.ppm"; then
      convert "$dir/grab0.ppm" -scale "${6:-100}%" "$shots/$5"
      echo "wrote $shots/$5"
      return 0
    fi
    sleep 0.2
  done
  echo "screenshot: $5: the screen kept changing" >&2
  return 1
}

click() { xdotool mousemove "$1" "$2" click 1; }

# Menus and tips are windows without a title; the taskbar is one too.
untitled() { windows '(has no name): ('; }
untitled_new() { untitled | grep -qvxF -f <(printf '%s\n' "$1"); }

# Opens the menu bar item at X and clicks its popup's item at Y (offsets in the main window).
menu() {  # X Y
  local before
  before=$(untitled)
  click $((mx + $1)) $((my + 32))
  cb_wait 10 "the popup menu" untitled_new "$before"
  click $((mx + $1 + 30)) $((my + $2))
}

start() {  # [ROWS in data.ini]
  rm -rf "$dir/run"
  mkdir -p "$dir/run"
  if [ -n "${1:-}" ]; then
    {
      printf '[LISTNUM]\r\nLIST=%d\r\n' "$1"
      for i in $(seq 0 $(($1 - 1))); do
        printf '[LIST%d]\r\nkey1=%d\r\nkey2=%d\r\npath=C:\\sounds\\entry-%04d.wav\r\n' \
          "$i" $((65 + i % 26)) $((i % 3 == 0 ? 17 : -1)) "$i"
      done
    } > "$dir/run/data.ini"
  fi
  (cd "$dir/run" && exec "$CB_WINE" explorer /desktop=shell,1024x768 "$CB_BUILD/x86_64/chordbell.exe") &
  app=$!
  wait_window ChordBell
  read -r mw mh mx my < <(window_geometry ChordBell)
}

# Closes the program from its caption; the virtual desktop ends with it.
quit() {
  click $((mx + mw - 14)) $((my + 11))
  wait_window_gone ChordBell
  cb_wait 30 "the end of the program" eval '! kill -0 "$app"'
}

for shot in "$@"; do
  case "$shot" in
    main) start; shoot "$mw" "$mh" "$mx" "$my" main-window.png ;;
    garbled) LANG=en_US.UTF-8 start; shoot "$mw" "$mh" "$mx" "$my" garbled-captions.png ;;
    large-list) start 1000; shoot "$mw" "$mh" "$mx" "$my" large-list.png ;;
    about)
      start
      menu 153 52  # "情報" > "バージョン情報"
      wait_window Version
      read -r aw ah ax ay < <(window_geometry Version)
      shoot "$aw" "$ah" "$ax" "$ay" about.png
      click $((ax + aw - 14)) $((ay + 11))
      wait_window_gone Version ;;
    tray)
      start
      menu 98 52  # "ウインドウ" > "タスクトレイに格納"
      wait_window_gone ChordBell
      # The icon sits at the right end of the taskbar; rest the mouse on it until the tip shows.
      before=$(untitled)
      xdotool mousemove 1000 700 sleep 0.3 mousemove 1013 757
      cb_wait 10 "the tray icon's tip" untitled_new "$before"
      shoot 180 56 844 712 tray.png 300
      xdotool click 1  # a left press on the icon brings the window back
      wait_window ChordBell ;;
  esac
  quit
done
