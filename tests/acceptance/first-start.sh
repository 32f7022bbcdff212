#!/usr/bin/env bash
# First start with no data.ini: register Ctrl+X with a WAV chosen in the file dialog and a
# one-key entry, hear both, close with Alt+F4, read data.ini, start again: both rows are back
# in reversed order and both keys still play.
source "$(dirname "$0")/lib/story.sh"
story_begin first-start

chord=$(make_sound chord)
bell=$(make_sound bell)

step 01-start "start with no data.ini: the list is empty"
app_start
[ ! -e "$FOLDER/data.ini" ] || fail "data.ini exists before anything was saved"
list_has_rows 0 || fail "the list is not empty"
field_disabled key1 || fail "the Key 1 field is enabled before registration starts"
shot

step 02-register "click 登録開始: the input fields are enabled"
click_control register
wait_for "the Key 1 field to be enabled" 10 field_enabled key1
field_enabled key2 || fail "the Key 2 field is not enabled"
field_enabled path || fail "the path field is not enabled"
shot

step 03-keys "press and release Ctrl, then X: 17 and 88 go into the key fields"
xdotool keydown ctrl keyup ctrl
wait_for "a key code in the Key 1 field" 10 control_has_ink key1
control_empty key2 || fail "the Key 2 field filled on the first release"
xdotool keydown x keyup x
wait_for "a key code in the Key 2 field" 10 control_has_ink key2
shot

step 04-browse "参照, type the WAV's path into the file dialog, 開く"
click_control browse
choose_file "$chord"
wait_for "the path in the path field" 10 control_has_ink path
shot

step 05-add "リストへ追加: one row, fields empty and disabled again"
click_control add
wait_for "one row in the list" 10 list_has_rows 1
wait_for "the Key 1 field to be disabled" 10 field_disabled key1
control_empty key1 || fail "the Key 1 field was not emptied"
control_empty path || fail "the path field was not emptied"
shot

step 06-chord "press Ctrl+X: the chord sound plays"
press_for_sound chord ctrl x
[ "$(plays bell)" -eq 0 ] || fail "the bell sound played too"
shot

step 07-one-key "register F1 alone with the bell sound"
click_control register
wait_for "the Key 1 field to be enabled" 10 field_enabled key1
click_control browse
choose_file "$bell"
wait_for "the path in the path field" 10 control_has_ink path
xdotool key F1
wait_for "a key code in the Key 1 field" 10 control_has_ink key1
control_empty key2 || fail "the Key 2 field is not empty"
click_control add
wait_for "two rows in the list" 10 list_has_rows 2
save_list_rows "$STORY_DIR/first-run-row"
shot

step 08-bell "press F1: the bell sound plays, the chord does not"
chords=$(plays chord)
press_for_sound bell F1
[ "$(plays chord)" -eq "$chords" ] || fail "the chord sound played on F1"
shot

step 09-close "Alt+F4 closes the program with exit code 0"
app_close_with_alt_f4

step 10-file "data.ini holds both entries, the newest (top row) in LIST0"
expect_ini "$FOLDER/data.ini" \
  "[LISTNUM]" "LIST=2" \
  "[LIST0]" "key1=112" "key2=-1" "path=$bell" \
  "[LIST1]" "key1=17" "key2=88" "path=$chord"

step 11-restart "start again: both rows are back, in reversed order"
: > "$STORY_DIR/played.raw"
app_start
wait_for "two rows in the list" 20 list_has_rows 2
save_list_rows "$STORY_DIR/second-run-row"
same_pixels "$STORY_DIR/second-run-row-1.png" "$STORY_DIR/first-run-row-2.png" ||
  fail "the top row is not the one that was at the bottom (see *-run-row-*.png)"
same_pixels "$STORY_DIR/second-run-row-2.png" "$STORY_DIR/first-run-row-1.png" ||
  fail "the bottom row is not the one that was at the top (see *-run-row-*.png)"
shot

step 12-play "both keys play after the restart"
click_control list  # a person clicks into the window before typing at it
press_for_sound chord ctrl x
press_for_sound bell F1
shot

step 13-close-again "close again: each load and save reverses the stored order"
app_close_with_alt_f4
expect_ini "$FOLDER/data.ini" \
  "[LISTNUM]" "LIST=2" \
  "[LIST0]" "key1=17" "key2=88" "path=$chord" \
  "[LIST1]" "key1=112" "key2=-1" "path=$bell"
