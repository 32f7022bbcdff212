#!/usr/bin/env bash
# The task tray, in a Wine virtual desktop (which has a taskbar with a notification area):
# ウインドウ > タスクトレイに格納 hides the window and puts the icon at the right end of the
# taskbar; a registered key plays meanwhile; a click on the icon brings the window back.
source "$(dirname "$0")/lib/story.sh"
story_begin tray

chord=$(make_sound chord)
write_ini "$FOLDER/data.ini" "[LISTNUM]" "LIST=1" "[LIST0]" "key1=17" "key2=88" "path=$chord"

# The notification area is the right end of the taskbar along the desktop's bottom edge.
tray_icon() { screen blob 924 "$TASKBAR_Y" 100 $((768 - TASKBAR_Y)); }
tray_icon_shown() { [ -n "$(tray_icon)" ]; }
tray_empty() { [ -z "$(tray_icon)" ]; }

step 01-start "start in a virtual desktop with one saved entry (Ctrl+X)"
app_start desktop
TASKBAR_Y=$(screen bottom 1000)
wait_for "one row in the list" 20 list_has_rows 1
tray_empty || fail "the notification area shows an icon before the window is stored"
shot

step 02-store "ウインドウ > タスクトレイに格納: the window goes, the icon comes"
choose_in_menu 2 1
wait_for "the main window to be hidden" 10 window_gone ChordBell
wait_for "the tray icon" 10 tray_icon_shown
shot

step 03-key "press Ctrl+X while the window is stored: the sound plays"
xdotool mousemove 512 384  # over the desktop, where the keys go
press_for_sound chord ctrl x
shot

step 04-restore "click the tray icon: the window comes back, the icon goes"
read -r x0 y0 x1 y1 <<< "$(tray_icon)"
click_at $(((x0 + x1) / 2)) $(((y0 + y1) / 2))
wait_for "the main window to come back" 10 main_painted
wait_for "the tray icon to go" 10 tray_empty
list_has_rows 1 || fail "the list does not show its row after the restore"
shot

step 05-close "the window works as before: Ctrl+X plays, Alt+F4 saves the same entry"
press_for_sound chord ctrl x
app_close_with_alt_f4
expect_ini "$FOLDER/data.ini" "[LISTNUM]" "LIST=1" "[LIST0]" "key1=17" "key2=88" "path=$chord"
