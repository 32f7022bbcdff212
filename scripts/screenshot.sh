#!/usr/bin/env bash
# Takes docs/main-window.png from the real program in a Wine virtual desktop (which draws the
# caption that bare Xvfb leaves out). Needs an x86_64 build (scripts/build.sh x86_64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
out=${1:-$root/docs/main-window.png}
source "$root/scripts/wine-env.sh"
cb_wine_env "$build/wineprefix-shot"
CB_FORCE_XVFB=1 cb_display
cb_wine_boot
trap cb_wine_stop EXIT
dir=$(mktemp -d)
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
