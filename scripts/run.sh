#!/usr/bin/env bash
# Builds ChordBell and starts it under Wine. On a desktop it opens on your display; on a
# machine without one it runs on a virtual display and says how to look at it.
# The program keeps data.ini in the folder it starts in: $CB_RUN_DIR (default build/run).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bash "$CB_ROOT/scripts/setup.sh"
mkdir -p "$CB_BUILD"
log=$CB_BUILD/build.log
bash "$CB_ROOT/scripts/build.sh" i686 x86_64 > "$log" 2>&1 || { tail -30 "$log"; exit 1; }

had_display=${DISPLAY:-}
cb_wine_start "$CB_BUILD/wineprefix-run"
run_dir=${CB_RUN_DIR:-$CB_BUILD/run}
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
cd "$run_dir"
"$CB_WINE" "$CB_BUILD/x86_64/chordbell.exe"
