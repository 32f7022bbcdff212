# Sourced by every acceptance story. A story drives the real chordbell.exe as its own process
# under Wine, only through what a person has: the mouse and keyboard of an X display (xdotool),
# the screen (screenshots), files, and the sound that reaches the audio device (the ALSA file
# device). Every story gets a fresh copy of a pristine Wine prefix, a fresh folder, its own
# Xvfb, and leaves nothing running.
#
#   story_begin NAME              set-up; the story's files go to $CB_BUILD_DIR/acceptance/NAME
#   step NN-name "what"           names the step that failures and screenshots refer to
#   shot                          saves NN-name.png of the whole screen for the current step
#   fail "what went wrong"        reports the step, saves a screenshot, ends the story
#   wait_for "what" SECS CMD...   polls CMD until it succeeds; fails the step after SECS
#   app_start [desktop]           starts the program in the story's folder (in a Wine virtual
#                                 desktop with "desktop") and waits for its painted window
#   click_control NAME            clicks the centre of a main window control (see CONTROL)
#   choose_in_menu BAR ITEM       opens menu bar item BAR (1-3) and clicks popup item ITEM
#   choose_file WINPATH           fills the open-file dialog's name box and clicks 開く
#   press_for_sound NAME KEY...   holds the keys until sound NAME has played once more
#   app_close_with_alt_f4         closes the main window and waits for the process to end
set -uo pipefail

acc_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
acc_lib=$acc_root/tests/acceptance/lib
export CB_BUILD_DIR=${CB_BUILD_DIR:-$acc_root/build}
source "$acc_root/scripts/wine-env.sh"

CB_EXE=${CB_ACCEPTANCE_EXE:-$CB_BUILD_DIR/x86_64/chordbell.exe}
STEP=00-setup
STORY_T0=$(date +%s%3N)

# Client rectangles (x y w h) of the main window's controls.
declare -A CONTROL=(
  [list]="145 165 320 140"
  [key1]="168 40 70 21"
  [key2]="295 40 70 21"
  [path]="145 88 230 21"
  [browse]="382 86 75 25"
  [add]="305 119 140 30"
  [edit]="18 164 115 55"
  [delete]="18 225 115 55"
  [register]="28 22 105 55"
  [keycode]="145 126 70 21"
  [hide]="18 284 115 20"
  [reset]="398 15 60 35"
)

now_ms() { date +%s%3N; }
elapsed() { local ms=$(($(now_ms) - STORY_T0)); printf '%d.%d' $((ms / 1000)) $((ms % 1000 / 100)); }
say() { printf '[%6ss] %s\n' "$(elapsed)" "$*"; }

step() {
  STEP=$1
  say "step $1: $2"
}

grab() { import -window root -depth 8 ppm:- 2>/dev/null; }
screen() { grab | python3 "$acc_lib/screen.py" "$@"; }

shot() {
  import -window root "$STORY_DIR/${1:-$STEP}.png" 2>/dev/null || true
}

fail() {
  printf 'FAIL %s, step %s: %s\n' "$STORY" "$STEP" "$*"
  shot "$STEP-failed"
  printf '     screenshots: %s/\n' "$STORY_DIR"
  exit 1
}

# Polls rather than sleeps: the step goes on as soon as the condition holds.
wait_for() {
  local what=$1 seconds=$2
  shift 2
  local deadline=$(($(now_ms) + seconds * 1000))
  until "$@" >/dev/null 2>&1; do
    if [ "$(now_ms)" -gt "$deadline" ]; then
      fail "timed out after ${seconds}s waiting for $what"
    fi
    sleep 0.1
  done
}

# A prefix fresh from wineboot, made once and copied for every story. It is rebuilt when Wine
# or the way prefixes are made changes.
template_prefix() {
  local template=$CB_BUILD_DIR/acceptance/template-prefix
  local stamp
  stamp="$("$CB_WINE64" --version 2>/dev/null) $(md5sum < "$acc_root/scripts/wine-env.sh" | cut -c1-32)"
  (
    flock 9
    if [ "$(cat "$template.stamp" 2>/dev/null)" != "$stamp" ] || [ ! -f "$template/system.reg" ]; then
      rm -rf "$template" "$template.stamp"
      cb_wine_env "$template"
      cb_wine_boot >&2 || exit 1
      "$CB_WINESERVER64" -k 2>/dev/null
      "$CB_WINESERVER64" -w 2>/dev/null
      echo "$stamp" > "$template.stamp"
    fi
  ) 9> "$CB_BUILD_DIR/acceptance/template-prefix.lock"
  printf '%s' "$template"
}

# The system folders (1.3 GB of DLLs that nothing writes to) are hard-linked; the registry
# and the user's profile, which a run changes, are copied.
copy_prefix() {
  local from=$1 to=$2
  cp -al "$from" "$to"
  rm -rf "$to/drive_c/users" "$to"/*.reg
  cp -a "$from/drive_c/users" "$to/drive_c/users"
  cp -a "$from"/*.reg "$to/"
}

story_end() {
  local rc=$?
  if [ -n "${APP_PID:-}" ] && kill -0 "$APP_PID" 2>/dev/null; then kill "$APP_PID" 2>/dev/null; fi
  [ -n "${WINEPREFIX:-}" ] && "$CB_WINESERVER64" -k 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && timeout 20 "$CB_WINESERVER64" -w 2>/dev/null
  cb_wine_stop
  if [ "$rc" -eq 0 ]; then say "PASS $STORY ($(elapsed)s); screenshots in $STORY_DIR/"
  else say "story $STORY ended with failure; screenshots in $STORY_DIR/"; fi
  exit "$rc"
}

story_begin() {
  STORY=$1
  STORY_DIR=$CB_BUILD_DIR/acceptance/$STORY
  FOLDER=$STORY_DIR/folder
  SOUNDS=$STORY_DIR/sounds
  APP_PID=""
  rm -rf "$STORY_DIR"
  mkdir -p "$FOLDER" "$SOUNDS"
  step 00-setup "fresh Wine prefix, folder and display"
  [ -f "$CB_EXE" ] || fail "no program at $CB_EXE (build it with scripts/build.sh x86_64)"
  local template
  template=$(template_prefix) || fail "could not create the template Wine prefix"
  copy_prefix "$template" "$STORY_DIR/prefix"
  cb_wine_env "$STORY_DIR/prefix"
  trap story_end EXIT
  trap 'exit 130' INT TERM HUP
  unset CB_XVFB_PID
  CB_FORCE_XVFB=1 cb_display || fail "no X display"
  cb_capture "$STORY_DIR"
  "$CB_WINESERVER64" -p 2>/dev/null
}

# ---- sounds -------------------------------------------------------------------------------

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# Makes SOUNDS/NAME.wav; prints its Windows path.
make_sound() {
  python3 "$acc_lib/sound.py" make "$SOUNDS/$1.wav" "$1"
  winpath "$SOUNDS/$1.wav"
}

plays() { python3 "$acc_lib/sound.py" count "$STORY_DIR/played.raw" "$1"; }
plays_at_least() { [ "$(plays "$1")" -ge "$2" ]; }

# Holds KEYs down until sound NAME has played once more than before, then lets them go.
press_for_sound() {
  local name=$1
  shift
  local before key
  before=$(plays "$name")
  for key in "$@"; do xdotool keydown "$key"; done
  wait_for "sound $name after pressing $*" 10 plays_at_least "$name" $((before + 1))
  local i
  for ((i = $#; i >= 1; i--)); do xdotool keyup "${!i}"; done
}

# ---- windows ------------------------------------------------------------------------------

# Prints the id of the visible X window with exactly this title.
window_id() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
window_visible() { [ -n "$(window_id "$1")" ]; }
window_gone() { [ -z "$(window_id "$1")" ]; }

# Prints "X Y W H" of an X window, in screen coordinates.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /^  Width/{w=$2} /^  Height/{h=$2} END{print x, y, w, h}'
}

# The main window counts as shown once its menu bar, the toggle and the list header are
# painted; MAIN_X/MAIN_Y is then its client origin on the screen.
main_painted() {
  local id origin
  id=$(window_id ChordBell)
  [ -n "$id" ] || return 1
  read -r MAIN_WX MAIN_WY MAIN_WW MAIN_WH < <(geometry "$id")
  origin=$(screen client "$MAIN_WX" "$MAIN_WY" "$MAIN_WW" "$MAIN_WH") || return 1
  read -r MAIN_X MAIN_Y MENU_Y <<< "$origin"
  control_has_ink register 20 && control_has_ink list 20
}

wait_main_window() {
  wait_for "the main window to be painted" 60 main_painted
}

control_rect() { read -r CX CY CW CH <<< "${CONTROL[$1]}"; CX=$((MAIN_X + CX)); CY=$((MAIN_Y + CY)); }

click_at() { xdotool mousemove "$1" "$2" click 1; }

click_control() {
  control_rect "$1"
  click_at $((CX + CW / 2)) $((CY + CH / 2))
}

# Ink (text) inside a control, its edges left out.
control_ink() {
  control_rect "$1"
  screen ink $((CX + 3)) $((CY + 3)) $((CW - 6)) $((CH - 6))
}
control_has_ink() { [ "$(control_ink "$1")" -ge "${2:-1}" ]; }
control_empty() { [ "$(control_ink "$1")" -eq 0 ]; }

# An enabled edit field has a white background; a disabled one has the face colour.
field_enabled() {
  control_rect "$1"
  [ "$(screen colour $((CX + CW - 4)) $((CY + 3)))" = FFFFFF ]
}
field_disabled() { ! field_enabled "$1"; }

# Centres of the text lines of the sound list's rows, top row first (header left out).
list_rows() {
  control_rect list
  screen spans y 3 $((CX + 3)) $((CY + 20)) $((CW - 6)) $((CH - 23))
}
list_row_count() { list_rows | wc -w; }
list_has_rows() { [ "$(list_row_count)" -eq "$1" ]; }

# Opens menu bar item BAR (1 = ファイル, 2 = ウインドウ, 3 = 情報) and clicks the ITEMth text
# line of its popup; the items are found on the screen, not assumed.
choose_in_menu() {
  local bar=$1 item=$2 titles
  titles=($(screen spans x 8 "$MAIN_X" "$MENU_Y" 300 $((MAIN_Y - MENU_Y)))) ||
    fail "menu bar titles not found"
  [ ${#titles[@]} -eq 3 ] || fail "menu bar shows ${#titles[@]} titles, not 3"
  local popups_before
  popups_before=$(unnamed_windows)
  click_at "${titles[$((bar - 1))]}" $(((MENU_Y + MAIN_Y) / 2))
  wait_for "menu popup $bar to open" 10 popup_opened "$popups_before"
  local id items
  id=$(comm -13 <(echo "$popups_before") <(unnamed_windows) | head -1)
  read -r PX PY PW PH < <(geometry "$id")
  wait_for "menu popup $bar to be painted" 5 screen spans y 3 "$PX" "$PY" "$PW" "$PH"
  items=($(screen spans y 3 "$PX" "$PY" "$PW" "$PH"))
  [ ${#items[@]} -ge "$item" ] || fail "menu popup $bar shows ${#items[@]} items, item $item wanted"
  click_at $((PX + PW / 2)) "${items[$((item - 1))]}"
  wait_for "menu popup $bar to close" 5 window_closed "$id"
}

unnamed_windows() {
  xwininfo -root -tree | awk '/\(has no name\): \("chordbell.exe"/{print $1}' | sort |
    while read -r w; do
      xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && echo "$w"
    done
}
popup_opened() { [ -n "$(comm -13 <(echo "$1") <(unnamed_windows))" ]; }
window_closed() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# The open-file dialog: the name box has the focus when it opens; its 開く button is the
# upper of the two buttons at its right edge. With no window manager, X gives the keys to the
# window under the pointer, so the pointer goes over the dialog before typing.
dialog_ready() {
  local id
  id=$(window_id "ウェイヴ ファイルを開く")
  [ -n "$id" ] || return 1
  read -r DX DY DW DH < <(geometry "$id")
  [ "$(screen spans y 4 $((DX + DW - 90)) "$DY" 85 "$DH" | wc -w)" -ge 3 ]
}

choose_file() {
  local path=$1
  wait_for "the open-file dialog" 20 dialog_ready
  xdotool mousemove $((DX + DW / 2)) $((DY + DH / 3))
  xdotool type --delay 15 "$path"
  local rows
  rows=($(screen spans y 4 $((DX + DW - 90)) "$DY" 85 "$DH"))
  local open_y=${rows[$((${#rows[@]} - 2))]}
  local xs
  xs=($(screen spans x 30 $((DX + DW - 90)) $((open_y - 6)) 85 12)) || fail "no 開く button"
  shot "$STEP-dialog"
  click_at "${xs[0]}" "$open_y"
  wait_for "the open-file dialog to close" 10 window_gone "ウェイヴ ファイルを開く"
}

# ---- the program --------------------------------------------------------------------------

app_start() {
  cd "$FOLDER" || fail "no folder $FOLDER"
  APP_MODE=${1:-direct}
  if [ "$APP_MODE" = desktop ]; then
    "$CB_WINE64" explorer /desktop=shell,1024x768 "$CB_EXE" > "$STORY_DIR/wine.log" 2>&1 &
  else
    "$CB_WINE64" "$CB_EXE" > "$STORY_DIR/wine.log" 2>&1 &
  fi
  APP_PID=$!
  wait_main_window
}

# In a virtual desktop the program is a child of the desktop's explorer, not of this shell:
# it is found by its name among the processes of this story's prefix.
program_pids() {
  local pid
  for pid in $(pgrep -x chordbell.exe); do
    tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      echo "$pid"
  done
}
app_ended() { [ -z "$(program_pids)" ]; }

# Closes the main window with Alt+F4 (the keys go to the window under the pointer) and waits
# for the program to end; started directly, it must end with exit code 0.
app_close_with_alt_f4() {
  click_at $((MAIN_X + 240)) $((MAIN_Y + 2))  # the window's own face, above the group box
  xdotool key alt+F4
  wait_for "the program to end" 30 app_ended
  if [ "$APP_MODE" = direct ]; then
    wait "$APP_PID"
    local rc=$?
    APP_PID=""
    [ "$rc" -eq 0 ] || fail "the program ended with exit code $rc, not 0"
  fi
}

# ---- files --------------------------------------------------------------------------------

# Compares FILE byte for byte with the lines given (each ends in CR LF in the file).
expect_ini() {
  local file=$1
  shift
  local expected=$STORY_DIR/$STEP-expected.ini
  printf '%s\r\n' "$@" > "$expected"
  [ -f "$file" ] || fail "$file does not exist"
  cmp -s "$file" "$expected" && return 0
  echo "--- expected ($expected), then found ($file):"
  cat -A "$expected"
  echo "---"
  cat -A "$file"
  fail "$(basename "$file") is not as expected"
}

# Saves the pixels of the list rows, one image per row, as ROWS-PREFIX-N.png.
save_list_rows() {
  local prefix=$1 n=0 y
  control_rect list
  for y in $(list_rows); do
    n=$((n + 1))
    import -window root -crop "$((CW - 6))x14+$((CX + 3))+$((y - 7))" +repage "$prefix-$n.png" 2>/dev/null
  done
}

# True when two images have the same pixels.
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

# Writes the lines given into FILE, each ended with CR LF, as the program writes data.ini.
write_ini() {
  local file=$1
  shift
  printf '%s\r\n' "$@" > "$file"
}

# ---- message boxes ------------------------------------------------------------------------

# Clicks the Nth button (from the left) of the message box titled TITLE. The buttons are the
# lowest row of ink in the box.
answer_box() {
  local title=$1 n=$2 id rows xs
  wait_for "the message box \"$title\"" 10 window_visible "$title"
  id=$(window_id "$title")
  read -r BX BY BW BH < <(geometry "$id")
  wait_for "the message box to be painted" 5 screen spans y 4 "$BX" "$BY" "$BW" "$BH"
  rows=($(screen spans y 4 "$BX" "$BY" "$BW" "$BH"))
  local y=${rows[$((${#rows[@]} - 1))]}
  xs=($(screen spans x 8 "$BX" $((y - 4)) "$BW" 8)) || fail "no buttons in the message box"
  [ ${#xs[@]} -ge "$n" ] || fail "the message box shows ${#xs[@]} buttons, button $n wanted"
  shot "$STEP-box"
  click_at "${xs[$((n - 1))]}" "$y"
  wait_for "the message box to close" 10 window_gone "$title"
}
