#!/usr/bin/env bash
# The editor on a large note, with the editor's place left at the screen's
# corner (the first-run 0, 0): it opens enlarged with its whole frame on the
# screen, title bar included, and closing it keeps a place on the screen.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

# A note of about 430 x 300 pixels at (100, 100).
printf 'line %02d of a note that is wide enough to edit\n' $(seq 1 14) |
  write_note_files "$KOVASHELL_HOME" 0 - font="DejaVu Sans" size=12 back="&H80FFFF" top=1500 \
    left=1500

window_titled() { windows_of "$KOVA_PID" | awk -F '\t' -v t="$1" '$4 == t { print $1 }'; }
has_window_titled() { [[ -n $(window_titled "$1") ]]; }
has_no_window_titled() { [[ -z $(window_titled "$1") ]]; }
note_shown() { [[ -n $(note_ids) ]]; }
# frame_top ID: the top edge of the window's frame (client top less the title bar).
frame_top() {
  local y extents
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y:/ { print $4 }')
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
  [[ -n $extents ]] || return 1
  echo $((y - $(cut -d, -f3 <<<"$extents")))
}
has_frame() { frame_top "$1" >/dev/null; }

start_x --wm
start_kovashell_with_icon
wait_until "the note" note_shown
note=$(note_ids | head -n 1)
read -r nx ny nw nh < <(xwininfo -id "$note" | awk '
  /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
  /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
((nh > 200 && nw > 300)) || fail "the note is only ${nw}x${nh}"
[[ $(setting Fusen Top) == 0 && $(setting Fusen Left) == 0 ]] || fail "the editor's place is not 0, 0"

xdotool mousemove $((nx + 20)) $((ny + 20))
xdotool click 3
wait_until "the note menu" has_popup "$KOVA_PID"
choose_note_menu_item 編集
wait_until "the editor" has_window_titled "Kova付箋紙"
editor=$(window_titled "Kova付箋紙")
wait_until "the editor's frame" has_frame "$editor"
sleep 0.5
top=$(frame_top "$editor")
echo "editor frame top: $top; $(screenshot editor)"
((top >= 0)) || fail "the editor's title bar is above the screen (frame top $top)"

wmctrl -c "Kova付箋紙"
wait_until "the editor to close" has_no_window_titled "Kova付箋紙"
wait_until "the note back" note_shown
saved_top=$(setting Fusen Top)
saved_left=$(setting Fusen Left)
((saved_top >= 0 && saved_left >= 0)) ||
  fail "closing the editor kept a place off the screen: Top $saved_top, Left $saved_left"
process_alive "$KOVA_PID" || fail "KovaShell ended"
