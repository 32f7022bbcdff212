#!/usr/bin/env bash
# Builds ChordBell and starts it under Wine. On a desktop it opens on your display; on a
# machine without one it runs on a virtual display and says how to look at it.
# The program keeps data.ini in the folder it starts in: $CB_RUN_DIR (default build/run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" i686 x86_64 > "$build.log" 2>&1 || { tail -30 "$build.log"; exit 1; }

source "$root/scripts/wine-env.sh"
cb_wine_env "$build/wineprefix-run"
had_display=${DISPLAY:-}
cb_display
cb_wine_boot
run_dir=${CB_RUN_DIR:-$build/run}
mkdir -p "$run_dir"
if [ -z "$had_display" ]; then
  cat <<MSG
ChordBell runs on the virtual display $DISPLAY (no display was given).
  Look at it:   DISPLAY=$DISPLAY import -window root shot.png
  Press keys:   DISPLAY=$DISPLAY xdotool key ctrl+x
  Stop it:      close it from its menu or Alt+F4, or press Ctrl+C here
Its saved list: $run_dir/data.ini
MSG
fi
trap cb_wine_stop EXIT
cd "$run_dir"
"$CB_WINE64" "$build/x86_64/chordbell.exe"
