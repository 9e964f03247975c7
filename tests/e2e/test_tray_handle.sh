#!/usr/bin/env bash
# On a desktop without a tray, a handle stands in for the tray icon: it shows
# after the start-up wait, a right press opens the tray menu, a drag moves it
# and its place survives a restart; when a tray host comes, the handle goes
# and the icon shows, and when the tray host goes, the handle comes back.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

# The handle: the program's window titled "KovaShell" that is not a dialog.
handle_id() { windows_of "$KOVA_PID" | awk -F '\t' '$2 == "no" && $3 != "DIALOG" && $4 == "KovaShell" { print $1; exit }'; }
has_handle() { [[ -n $(handle_id) ]]; }
has_no_handle() { [[ -z $(handle_id) ]]; }
window_titled() { windows_of "$KOVA_PID" | awk -F '\t' -v t="$1" '$4 == t { print $1 }'; }
has_window_titled() { [[ -n $(window_titled "$1") ]]; }
has_no_window_titled() { [[ -z $(window_titled "$1") ]]; }
geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }'
}

source "$(dirname "$0")/../../scripts/lib/note_files.sh"
write_note_files "$KOVASHELL_HOME" 0 "a note" top=3000 left=3000
note_shown() { [[ -n $(note_ids) ]]; }

start_x --wm --no-tray
# The window the user types in; the handle never takes the keyboard from it.
xmessage -geometry 300x100+100+400 "typing here" >"$E2E_DIR/xmessage.log" 2>&1 &
E2E_PIDS+=($!)
typing_window() { xdotool search --onlyvisible --classname xmessage 2>/dev/null | head -n 1; }
wait_until "the window the user types in" typing_window
typing=$(typing_window)
wait_until "that window to have the keyboard" focus_on "$typing"
keyboard_stays() { [[ $(xdotool getwindowfocus) == "$((typing))" ]] || fail "$1 took the keyboard"; }
start_kovashell
# The notes do not wait for a tray.
E2E_TIMEOUT=5 wait_until "the note at once, without a tray" note_shown
has_no_handle || fail "the handle came before the start-up wait was over"
E2E_TIMEOUT=30 wait_until "the handle after the start-up wait" has_handle
handle=$(handle_id)
read -r x y < <(geometry "$handle")
echo "handle at $x,$y: $(screenshot handle)"
((x >= 1024 - 40 && y <= 8)) || fail "the handle is not at the top right: $x,$y"
tray_icon_absent || fail "a tray icon without a tray"
keyboard_stays "the handle's showing"
# Reachable on every virtual desktop, as a panel's icon is.
xprop -id "$handle" _NET_WM_DESKTOP | grep -q '= 4294967295$' || fail "the handle is on one desktop only"

# A right press and Escape: the menu comes and goes, the keyboard comes back.
xdotool mousemove $((x + 16)) $((y + 16)) mousedown 3
wait_until "the tray menu on the handle" has_popup "$KOVA_PID"
xdotool mouseup 3 key Escape
wait_until "the menu to close" has_no_popup "$KOVA_PID"
keyboard_stays "pressing the handle"
# Its tip shows while another window is active, as the tray icon's does.
has_tip() { windows_of "$KOVA_PID" | awk -F '\t' '$3 == "TOOLTIP" && $4 == "KovaShell"' | grep -q .; }
xdotool mousemove $((x + 10)) $((y + 10)) sleep 0.3 mousemove $((x + 14)) $((y + 14))
wait_until "the handle's tip" has_tip

# A right press opens the tray menu; "[新規作成]" from it opens the editor.
xdotool mousemove $((x + 16)) $((y + 16)) mousedown 3
wait_until "the tray menu on the handle" has_popup "$KOVA_PID"
xdotool mouseup 3
echo "menu: $(screenshot menu)"
choose_tray_item 付箋紙 "[新規作成]"
wait_until "the editor" has_window_titled "Kova付箋紙"

# A drag, kept across a restart.
xdotool mousemove $((x + 16)) $((y + 16)) mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove $((x + 16 - step * 60)) $((y + 16 + step * 40))
  sleep 0.05
done
xdotool mouseup 1
has_stored_place() { [[ -n $(setting handle Left) ]]; }
wait_until "the handle's place in the settings" has_stored_place
read -r dx dy < <(geometry "$handle")
stop_process "$KOVA_PID"
start_kovashell
E2E_TIMEOUT=30 wait_until "the handle after the restart" has_handle
read -r rx ry < <(geometry "$(handle_id)")
[[ "$rx,$ry" == "$dx,$dy" ]] || fail "the handle came back at $rx,$ry, not where it was dropped ($dx,$dy)"

# A tray host comes: the icon shows and the handle goes; it goes again: the
# handle is back.
start_tray
wait_until "the tray icon once there is a tray" tray_icon_shown
wait_until "the handle to go" has_no_handle
echo "with a tray: $(screenshot tray)"
stop_process "$TRAY_PID"
wait_until "the handle back without a tray" has_handle
# And once more: the icon made earlier docks in the new tray.
start_tray
wait_until "the tray icon in the second tray" tray_icon_shown
wait_until "the handle to go again" has_no_handle
process_alive "$KOVA_PID" || fail "KovaShell ended"
