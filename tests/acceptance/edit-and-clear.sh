#!/usr/bin/env bash
# Editing, deleting and clearing: edit an entry to give it another sound, delete one, close and
# read data.ini; start again, clear the list, delete the saved data from the menu (はい) and
# close: the file is written again from the list as it then stands.
source "$(dirname "$0")/lib/story.sh"
story_begin edit-and-clear

five=$(make_sound five)
six=$(make_sound six)
seven=$(make_sound seven)
fresh=$(make_sound fresh)
# Function keys: the paths typed into the file dialog never press them.
write_ini "$FOLDER/data.ini" \
  "[LISTNUM]" "LIST=3" \
  "[LIST0]" "key1=116" "key2=-1" "path=$five" \
  "[LIST1]" "key1=117" "key2=-1" "path=$six" \
  "[LIST2]" "key1=16" "key2=118" "path=$seven"

# Selects the Nth row of the list with a click on its first column. The row's place is kept:
# once highlighted, a row's band of colour can merge with its neighbours' text on the screen.
select_row() {
  local rows
  rows=($(list_rows))
  [ ${#rows[@]} -ge "$1" ] || fail "the list has ${#rows[@]} rows, row $1 wanted"
  control_rect list
  SELECTED_Y=${rows[$(($1 - 1))]}
  click_at $((CX + 20)) "$SELECTED_Y"
}
# A selected row is drawn in the highlight colour across the whole row.
row_selected() {
  control_rect list
  [ "$(screen colour $((CX + CW - 30)) "$SELECTED_Y")" != FFFFFF ]
}

step 01-start "start with three saved entries: three rows, LIST2 on top"
app_start
wait_for "three rows in the list" 20 list_has_rows 3
shot

step 02-edit "select the middle row (F6), リストの編集: its texts go into the fields"
select_row 2
wait_for "the middle row to be selected" 10 row_selected
click_control edit
wait_for "two rows in the list" 10 list_has_rows 2
wait_for "the Key 1 field to be enabled" 10 field_enabled key1
control_has_ink key1 || fail "the Key 1 field is empty"
control_has_ink key2 || fail "the Key 2 field is empty (it should hold -1)"
control_has_ink path || fail "the path field is empty"
shot

step 03-new-sound "参照 another WAV, リストへ追加: the entry is back on top"
click_control browse
choose_file "$fresh"
click_control add
wait_for "three rows in the list" 10 list_has_rows 3
wait_for "the Key 1 field to be disabled" 10 field_disabled key1
shot

step 04-play-edited "press F6: the new sound plays, not the old one"
press_for_sound fresh F6
[ "$(plays six)" -eq 0 ] || fail "the old sound of the edited entry played"
shot

step 05-delete "select the bottom row (F5), リストの削除: two rows are left"
select_row 3
wait_for "the bottom row to be selected" 10 row_selected
click_control delete
wait_for "two rows in the list" 10 list_has_rows 2
shot

step 06-close "Alt+F4: data.ini holds the list as it stands, top row first"
app_close_with_alt_f4
# LIST2 is left over from the longer list that was loaded; the count keeps it from loading.
expect_ini "$FOLDER/data.ini" \
  "[LISTNUM]" "LIST=2" \
  "[LIST0]" "key1=117" "key2=-1" "path=$fresh" \
  "[LIST1]" "key1=16" "key2=118" "path=$seven" \
  "[LIST2]" "key1=16" "key2=118" "path=$seven"

step 07-restart "start again: two rows"
app_start
wait_for "two rows in the list" 20 list_has_rows 2
shot

step 08-clear "ウインドウ > リストデータ全削除: the list is empty"
choose_in_menu 2 2
wait_for "an empty list" 10 list_has_rows 0
shot

step 09-delete-saved "ファイル > 保存データを削除, はい: data.ini is gone"
choose_in_menu 1 1
answer_box 確認 1
wait_for "data.ini to be deleted" 10 test ! -e "$FOLDER/data.ini"
shot

step 10-close "Alt+F4: data.ini is written again, from the empty list"
app_close_with_alt_f4
expect_ini "$FOLDER/data.ini" "[LISTNUM]" "LIST=0"
