#!/usr/bin/env bash
# A note whose target is the current minute comes up with a red countdown
# line, and its tick brings it back above a window that covered it, leaving
# the keyboard with that window. Along the
# way: screenshots of a counting note, the editor and the timer dialog, and
# leaving both without a change leaves the note's files as they were.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

if ! declare -F e2e_preregister_component >/dev/null; then
  bin=$(dirname "$KOVASHELL")
  "$bin/kovashell-regsvr" /s "$bin/KovaShell.so" >"$E2E_DIR/regsvr.log" 2>&1 ||
    fail "could not register the desktop-icon component"
fi

# write_note N TOP LEFT TEXT YEAR MONTH DAY HOUR MINUTE (twips)
write_note() {
  write_note_files "$KOVASHELL_HOME" "$1" "$4" font="DejaVu Sans" size=12 back="&H80FFFF" \
    top="$2" left="$3" year="$5" month="$6" day="$7" hour="$8" minute="$9"
}

# The ids of the program's posted notes.
note_windows() { windows_of "$KOVA_PID" | awk -F '\t' '$4 == "付箋紙" { print $1 }'; }
window_titled() { windows_of "$KOVA_PID" | awk -F '\t' -v t="$1" '$4 == t { print $1 }'; }
has_window_titled() { [[ -n $(window_titled "$1") ]]; }
has_no_window_titled() { [[ -z $(window_titled "$1") ]]; }
two_notes_shown() { (($(note_windows | wc -l) == 2)); }

# geometry ID: "X Y W H" in root coordinates.
geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { print x, y, w, h }'
}

# red_share X Y W H: per cent of the screen's pixels in the box that are pure red.
red_share() {
  local all red
  all=$(($3 * $4))
  red=$(import -window root -crop "$3x$4+$1+$2" -depth 8 txt:- | grep -c '#FF0000' || true)
  echo $((red * 100 / all))
}

# The countdown line is the top left of the note (the line is as wide as its
# text): mostly red once the alarm is on.
alarm_line_red() {
  local x y w
  read -r x y w _ < <(geometry "$alarm_note")
  (($(red_share "$x" "$y" $((w / 2)) 3) >= 50))
}
alarm_line_covered() { ! alarm_line_red; }

# The note is listed after WINDOW in the window manager's stacking order.
note_above() {
  local order
  order=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x' |
    while read -r id; do echo $((id)); done)
  local note_at cover_at
  note_at=$(grep -n "^$((alarm_note))\$" <<<"$order" | cut -d: -f1)
  cover_at=$(grep -n "^$(($1))\$" <<<"$order" | cut -d: -f1)
  [[ -n $note_at && -n $cover_at ]] && ((note_at > cover_at))
}

start_x --wm

# The note has to come up within the minute it names: keep clear of the
# minute's end (waits at most 20 s).
while ((10#$(date +%S) > 40)); do sleep 1; done
read -r year month day hour minute < <(date '+%Y %m %d %H %M')
write_note 0 3000 4500 "alarm note" "$year" "$month" "$day" "$hour" "$minute"
write_note 1 6000 4500 "counting note" $((10#$year + 1)) 01 01 00 00
cp "$KOVASHELL_HOME/KovaShell1.hsn" "$E2E_DIR/note1.hsn"
cp "$KOVASHELL_HOME/KovaShell1.log" "$E2E_DIR/note1.log"

start_kovashell_with_icon
wait_until "both notes on the screen" two_notes_shown
alarm_note=""
counting_note=""
for id in $(note_windows); do
  read -r _ y _ _ < <(geometry "$id")
  if ((y < 300)); then alarm_note=$id; else counting_note=$id; fi
done
[[ -n $alarm_note && -n $counting_note ]] || fail "notes not where their files put them"
wait_until "the due note's red line" alarm_line_red
read -r cx cy cw ch < <(geometry "$counting_note")
(($(red_share "$cx" "$cy" $((cw / 2)) 3) < 10)) || fail "the counting note is red too"
echo "notes: $(screenshot notes)"

# Another window over the due note; the next tick (every 30 s) raises it again.
xmessage -geometry 420x160+280+180 "a window over the note" >"$E2E_DIR/xmessage.log" 2>&1 &
E2E_PIDS+=($!)
cover_pid=$!
cover_window() { xdotool search --onlyvisible --classname xmessage 2>/dev/null | head -n 1; }
wait_until "the covering window" cover_window
cover=$(cover_window)
wait_until "the note to be covered" alarm_line_covered
wait_until "the covering window to have the keyboard" focus_on "$cover"
E2E_TIMEOUT=45 wait_until "the tick to raise the due note" alarm_line_red
note_above "$cover" || fail "the due note is not above the covering window in the stacking order"
# The alarm shows the note; typing still goes where it went.
[[ $(xdotool getwindowfocus) == "$((cover))" ]] || fail "the alarm took the keyboard focus"
echo "raised: $(screenshot raised)"
stop_process "$cover_pid" || true

# The editor on the counting note, then the timer dialog in its place.
xdotool mousemove $((cx + cw / 2)) $((cy + ch - 4))
xdotool click 3
wait_until "the note menu" has_popup "$KOVA_PID"
choose_note_menu_item 編集
wait_until "the editor" has_window_titled "Kova付箋紙"
editor=$(window_titled "Kova付箋紙")
wait_until "the editor to take the keyboard" focus_on "$editor"
echo "editor: $(screenshot editor)"

xdotool key alt
xdotool key Right Right Right Return
wait_until "the timer dialog" has_window_titled "タイマー設定"
wait_until "the editor to step aside" has_no_window_titled "Kova付箋紙"
echo "timer dialog: $(screenshot timer-dialog)"

wmctrl -c "タイマー設定"
wait_until "the editor back after the dialog's close box" has_window_titled "Kova付箋紙"
wmctrl -c "Kova付箋紙"
wait_until "the editor to close" has_no_window_titled "Kova付箋紙"
wait_until "the note back on the desktop" two_notes_shown
cmp "$E2E_DIR/note1.hsn" "$KOVASHELL_HOME/KovaShell1.hsn" || fail "closing the editor changed the field file"
cmp "$E2E_DIR/note1.log" "$KOVASHELL_HOME/KovaShell1.log" || fail "closing the editor changed the text file"
process_alive "$KOVA_PID" || fail "KovaShell ended"
