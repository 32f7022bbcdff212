#!/usr/bin/env bash
# The About window, in a Wine virtual desktop (which draws captions): 情報 > バージョン情報
# opens it over the main window; Escape leaves it open; its link button asks first and opens
# nothing on キャンセル; the close button of its caption closes it, and the main window works
# again.
source "$(dirname "$0")/lib/story.sh"
story_begin about

# The link button is the lowest row of ink in the right-hand part of the window, where the
# texts are (the picture fills the left-hand part).
about_link_button() {
  local rows xs
  rows=($(screen spans y 4 $((AX + AW * 6 / 10)) $((AY + 30)) $((AW * 4 / 10 - 8)) $((AH - 40)))) ||
    return 1
  LINK_Y=${rows[$((${#rows[@]} - 1))]}
  xs=($(screen spans x 40 $((AX + AW * 6 / 10)) $((LINK_Y - 3)) $((AW * 4 / 10 - 8)) 6)) || return 1
  LINK_X=${xs[0]}
}
about_painted() {
  local id
  id=$(window_id Version)
  [ -n "$id" ] || return 1
  read -r AX AY AW AH < <(geometry "$id")
  about_link_button
}

step 01-start "start in a virtual desktop"
app_start desktop
shot

step 02-open "情報 > バージョン情報: the Version window opens over the main window"
choose_in_menu 3 1
wait_for "the Version window" 10 about_painted
# Centred over the main window, whose outer rectangle is that of its X window here.
[ $((AX + AW / 2)) -eq $((MAIN_WX + MAIN_WW / 2)) ] && [ $((AY + AH / 2)) -eq $((MAIN_WY + MAIN_WH / 2)) ] ||
  fail "the Version window is not centred over the main window"
shot

step 03-escape "press Escape: the Version window stays open"
xdotool mousemove $((AX + AW / 2)) $((AY + AH / 2))  # the keys go to the window under the pointer
xdotool key Escape
# The link button's question comes after the Escape in the window's input: once it is up,
# the Escape has been handled, and the window must still be there.
click_at "$LINK_X" "$LINK_Y"
answer_box 確認 2
window_visible Version || fail "the Version window closed"
shot

step 04-close "click the close button of its caption: the Version window closes"
close=$(screen closebox "$AX" "$AY" "$AW" "$AH") || fail "no close button on the caption"
read -r x y <<< "$close"
click_at "$x" "$y"
wait_for "the Version window to close" 10 window_gone Version
shot

step 05-main-works "the main window works again: 登録開始 enables the fields, a key is captured"
click_control register
wait_for "the Key 1 field to be enabled" 10 field_enabled key1
xdotool key F2
wait_for "a key code in the Key 1 field" 10 control_has_ink key1
shot

step 06-close "Alt+F4 ends the program"
app_close_with_alt_f4
