#!/usr/bin/env bash
# The note menu on a real display: a right press on a note opens it; top-most
# lifts the note into the window manager's upper layer (still out of the task
# bar) and is stored; hide takes the note off the screen and stores it hidden.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

write_note_files "$KOVASHELL_HOME" 0 "右クリックのメモ" size=12 back="&HC0FFC0" top=3000 left=3000

field() { tr -d '\r' <"$KOVASHELL_HOME/KovaShell0.hsn" | sed -n "$(($1 + 1))p" | tr -d '"'; }
note_id() { note_ids | head -n 1; }
has_note() { [[ -n $(note_id) ]]; }
has_no_note() { [[ -z $(note_id) ]]; }
note_above() { xprop -id "$(note_id)" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }

# choose_note_item NAME CAPTION: right press on the note, then the item (NAME
# names the screenshot of the open menu).
choose_note_item() {
  xdotool mousemove 210 205 click 3
  wait_until "the note menu to open" has_popup "$KOVA_PID"
  echo "note menu: $(screenshot "menu-$1")"
  choose_note_menu_item "$2"
  wait_until "the note menu to close" has_no_popup "$KOVA_PID"
}

start_x --wm
start_kovashell_with_icon
wait_until "the note on the screen" has_note

choose_note_item topmost 最前面に表示
wait_until "the note in the upper layer" note_above
xprop -id "$(note_id)" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
  fail "the top-most note came into the task bar"
wait_until "top-most stored" output_is True field 14
echo "top-most: $(screenshot topmost)"

choose_note_item hide 非表示
wait_until "the note hidden" has_no_note
wait_until "hidden stored" output_is False field 6
[[ $(field 14) == True ]] || fail "hiding changed the z-order field"
