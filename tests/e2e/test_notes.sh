#!/usr/bin/env bash
# Posted notes on a real X display with a window manager: stored notes appear
# at their places and out of the task bar, top-most and back-most notes keep
# their layer around an ordinary window, a drag is saved and survives a
# restart, and a hidden note comes back from its tray entry.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

# store_note N TOP LEFT VISIBLE ZORDER TEXT: a stored note; TOP and LEFT in twips.
store_note() {
  write_note_files "$KOVASHELL_HOME" "$1" "$6" size=12 back="&H80FFFF" visible="$4" top="$2" \
    left="$3" zorder="$5"
}

# field N LINE: line LINE (from 0) of note N's field file, without quotes.
field() {
  tr -d '\r' <"$KOVASHELL_HOME/KovaShell$1.hsn" | sed -n "$(($2 + 1))p" | tr -d '"'
}

# The mapped note windows of the program, one "ID X Y" line each.
note_windows() {
  local id
  for id in $(note_ids); do
    xwininfo -id "$id" | awk -v id="$id" '
      /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
      END { print id, x, y }'
  done
}

note_count_is() { (($(note_windows | wc -l) == $1)); }

# note_at X Y: the id of the note window whose top-left corner is at X Y.
note_at() { note_windows | awk -v x="$1" -v y="$2" '$2 == x && $3 == y { print $1; exit }'; }
has_note_at() { [[ -n $(note_at "$1" "$2") ]]; }

net_state() { xprop -id "$1" _NET_WM_STATE; }

# Position of a client window in the window manager's stacking order (0 = bottom).
stacking_index() {
  local i=0 id
  for id in $(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x'); do
    if (($(printf '%d' "$id") == $(printf '%d' "$1"))); then
      echo "$i"
      return
    fi
    i=$((i + 1))
  done
}

store_note 0 1500 3000 True False "ふつうのメモ"   # at (200, 100)
store_note 1 3000 3300 True True "いつも手前のメモ" # at (220, 200), top-most
store_note 2 6000 1500 False False "隠れているメモです"
store_note 3 2250 2700 True 0 "いつも奥のメモ" # at (180, 150), back-most

start_x --wm
start_kovashell_with_icon
wait_until "three notes on the screen" note_count_is 3
for place in "200 100" "220 200" "180 150"; do
  # shellcheck disable=SC2086
  has_note_at $place || fail "no note at $place: $(note_windows | tr '\n' ';')"
done
normal=$(note_at 200 100)
top=$(note_at 220 200)
back=$(note_at 180 150)

for id in $normal $top $back; do
  net_state "$id" | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "note $id is in the task bar"
  net_state "$id" | grep -q _NET_WM_STATE_SKIP_PAGER || fail "note $id is in the pager"
done
net_state "$top" | grep -q _NET_WM_STATE_ABOVE || fail "top-most note is not above: $(net_state "$top")"
net_state "$back" | grep -q _NET_WM_STATE_BELOW || fail "back-most note is not below: $(net_state "$back")"
net_state "$normal" | grep -qE 'ABOVE|BELOW' && fail "normal note has a layer: $(net_state "$normal")"

# An ordinary window over all three notes, raised and given the focus.
xmessage -geometry 400x200+150+80 "ordinary window" >"$E2E_DIR/xmessage.log" 2>&1 &
E2E_PIDS+=($!)
xmessage_pid=$!
wait_until "the ordinary window" xdotool search --onlyvisible --class Xmessage
ordinary=$(xdotool search --onlyvisible --class Xmessage | head -n 1)
xdotool windowactivate "$ordinary" 2>/dev/null || true
xdotool windowraise "$ordinary"
sleep 0.5
o=$(stacking_index "$ordinary")
t=$(stacking_index "$top")
b=$(stacking_index "$back")
n=$(stacking_index "$normal")
[[ -n $o && -n $t && -n $b && -n $n ]] || fail "windows missing from the stacking list"
((t > o)) || fail "top-most note ($t) is not above the ordinary window ($o)"
((b < o)) || fail "back-most note ($b) is not below the ordinary window ($o)"
((n < o)) || fail "raised ordinary window ($o) is not above the normal note ($n)"
echo "stacking: back $b < normal $n < ordinary $o < top $t; $(screenshot stacking)"
kill "$xmessage_pid" 2>/dev/null
wait_until "the ordinary window to go" process_gone "$xmessage_pid"

# Drag the normal note by (+120, +90) with the left button.
xdotool mousemove 210 110
xdotool mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove $((210 + step * 20)) $((110 + step * 15))
  sleep 0.05
done
xdotool mouseup 1
wait_until "the note at its new place" has_note_at 320 190
wait_until "the new place in the field file" output_is 2850 field 0 7
[[ $(field 0 8) == 4800 ]] || fail "Left after the drag is $(field 0 8), not 4800"
[[ $(field 0 6) == True ]] || fail "the drag changed the visibility field"
echo "dragged: $(screenshot dragged)"

# The hidden note comes back from its tray entry, the one hidden-note entry.
menu_entries mnuFusenVisible "隠れているメモ(非表示タグ)"
open_tray_menu
choose_tray_item 付箋紙 "{mnuFusenVisible}1"
wait_until "the hidden note shown" note_count_is 4
wait_until "the hidden note at its place" has_note_at 100 400
[[ $(field 2 6) == True ]] || fail "showing the note did not store it as visible"
echo "shown again: $(screenshot shown)"

# After a restart the dragged note is where it was left.
stop_process "$KOVA_PID"
start_kovashell_with_icon
wait_until "four notes after the restart" note_count_is 4
wait_until "the dragged note restored at its new place" has_note_at 320 190
echo "after restart: $(screenshot restarted)"
