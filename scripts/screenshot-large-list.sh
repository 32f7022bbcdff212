#!/usr/bin/env bash
# Takes docs/large-list.png: the real program started with 1,000 entries in data.ini, in a Wine
# virtual desktop (which draws the caption that bare Xvfb leaves out). The entries are numbered
# in the order they are saved, so the picture shows the last saved one at the top.
# Needs an x86_64 build (scripts/build.sh x86_64). Usage: scripts/screenshot-large-list.sh [OUT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/docs/large-list.png}")  # the script works in a folder of its own
source "$root/scripts/wine-env.sh"
cb_wine_env "$build/wineprefix-shot"
CB_FORCE_XVFB=1 cb_display
cb_wine_boot
dir=$(mktemp -d)
trap 'cb_wine_stop; rm -rf "$dir"' EXIT
{
  printf '[LISTNUM]\r\nLIST=1000\r\n'
  for i in $(seq 0 999); do
    printf '[LIST%d]\r\nkey1=%d\r\nkey2=%d\r\npath=C:\\sounds\\entry-%04d.wav\r\n' \
      "$i" $((65 + i % 26)) $((i % 3 == 0 ? 17 : -1)) "$i"
  done
} > "$dir/data.ini"
cd "$dir"
"$CB_WINE64" explorer /desktop=shot,1024x768 "$build/x86_64/chordbell.exe" &
for _ in $(seq 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"ChordBell"' && break
  sleep 0.2
done
sleep 2  # let the list view and the captions finish painting
# The window sits centred on the 1024 x 768 desktop: 480 x 360 at (272, 204).
import -window root -crop 480x360+272+204 +repage "$out"
echo "wrote $out"
