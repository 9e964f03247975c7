#!/usr/bin/env bash
# The settings dialog from the tray menu under a window manager: "登録" of
# the Startup row writes an autostart entry the desktop's checker accepts,
# "削除" takes it away again; a launcher entry typed on the launcher tab and
# saved with "OK" shows in the tray menu.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

entry=$XDG_CONFIG_HOME/autostart/KovaShell.desktop
window_titled() { windows_of "$KOVA_PID" | awk -F '\t' -v t="$1" '$4 == t { print $1 }'; }
has_window_titled() { [[ -n $(window_titled "$1") ]]; }
has_no_window_titled() { [[ -z $(window_titled "$1") ]]; }

# click_in WINDOW X Y: a left click at X Y of the window's client area.
click_in() {
  local x y
  read -r x y < <(xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }')
  xdotool mousemove $((x + $2)) $((y + $3)) click 1
}

# answer_message: waits for a message box, keeps a picture of it, presses Return.
answer_message() {
  wait_until "a message box" has_dialog "$KOVA_PID" KovaShell
  local box
  box=$(dialogs_of "$KOVA_PID" KovaShell | head -n 1)
  wait_until "the message box to take the keyboard" focus_on "$box"
  echo "message: $(screenshot "$1")"
  xdotool key Return
  wait_until "the message box to close" has_no_dialog "$KOVA_PID" KovaShell
}

start_x --wm
start_kovashell_with_icon

open_tray_menu
choose_tray_item "オプション設定"
wait_until "the settings dialog" has_window_titled "KovaShell(設定)"
dialog=$(window_titled "KovaShell(設定)")
sleep 0.3
echo "general tab: $(screenshot general)"

# "登録" and "削除" of the Startup row (2520/1200 and 3360/1200 twips).
click_in "$dialog" 192 92
answer_message registered
[[ -f $entry ]] || fail "no autostart entry after 登録"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
# Started at log-on with the data folder of this run.
grep -qxF "Exec=env KOVASHELL_HOME=$KOVASHELL_HOME $KOVASHELL" "$entry" ||
  fail "the entry does not start $KOVASHELL on $KOVASHELL_HOME: $(grep Exec "$entry")"
click_in "$dialog" 248 92
answer_message removed
[[ ! -e $entry ]] || fail "the autostart entry is still there after 削除"

# A launcher entry typed on the launcher tab, saved with OK.
wmctrl -c "KovaShell(設定)"
wait_until "the dialog to close" has_no_window_titled "KovaShell(設定)"
open_tray_menu
choose_tray_item ランチャー "(設定)"
wait_until "the settings dialog on the launcher tab" has_window_titled "KovaShell(設定)"
dialog=$(window_titled "KovaShell(設定)")
wait_until "the dialog to take the keyboard" focus_on "$dialog"
sleep 0.3
# The name box (1440/480 twips) and the command line box below it.
click_in "$dialog" 130 40
xdotool type --delay 20 "editor"
xdotool key Tab
xdotool type --delay 20 "/bin/true"
echo "launcher tab: $(screenshot launcher)"
click_in "$dialog" 180 204 # "OK" at 2160/2880 twips (or right of it in a wider dialog)
wait_until "the dialog to close after OK" has_no_window_titled "KovaShell(設定)"
[[ $(setting Lunch0 0) == editor && $(setting Lunch1 0) == /bin/true ]] ||
  fail "entry 1 was saved as '$(setting Lunch0 0)' / '$(setting Lunch1 0)'"
menu_entries mnuLun "editor"
open_tray_menu
select_tray_item ランチャー "{mnuLun}1"
echo "launcher submenu: $(screenshot submenu)"
xdotool key Escape Escape
process_alive "$KOVA_PID" || fail "KovaShell ended"
