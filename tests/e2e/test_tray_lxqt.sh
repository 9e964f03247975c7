#!/usr/bin/env bash
# LXQt's panel, which hosts status-notifier items only. Started before the
# panel, as at log-on, KovaShell's item comes with it, its exported menu holds
# the tray menu (a launcher entry too); a right click opens it and "付箋紙" >
# "[新規作成]" opens the editor; a double-click is the tray's; "終了" takes
# the item away. Started after the panel, the item is there at once and
# comes back when the panel is restarted.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
command -v lxqt-panel >/dev/null || skip "lxqt-panel is not installed"

printf '[a1]\r\nb7=True\r\n[Lunch0]\r\n0=メモ帳\r\n[Lunch1]\r\n0=xmessage hello\r\n' |
  iconv -f UTF-8 -t CP932 >"$(settings_file)"
menu_entries mnuLun メモ帳
write_note_files "$KOVASHELL_HOME" 0 "メモ" top=3000 left=3000

# On the panel's first icon.
point_at_panel_icon() {
  local x y
  read -r x y < <(xwininfo -id "$(xdotool search --onlyvisible --pid "$PANEL_PID" | head -n 1)" |
    awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
         /Height:/ { h = $2 } END { print x + 14, y + h / 2 }')
  xdotool mousemove "$x" "$y"
}
choose_from_panel_menu() {
  point_at_panel_icon
  xdotool click 3
  wait_until "the panel to show the tray menu" has_popup "$PANEL_PID"
  echo "tray menu on LXQt: $(screenshot "menu-$1")"
  MENU_PID=$PANEL_PID select_tray_item "$@"
  xdotool key Return
}

start_x --wm --no-tray
start_session_bus
start_kovashell
wait_until "KovaShell's note" notes_shown
start_panel lxqt
wait_until "the item to register with the panel's watcher" only_the_item_shown
captions_match

choose_from_panel_menu 付箋紙 [新規作成]
wait_until "the editor" has_window_titled Kova付箋紙
echo "editor: $(screenshot editor)"
wmctrl -c Kova付箋紙
wait_until "the editor to close" has_no_window_titled Kova付箋紙

point_at_panel_icon
xdotool click --repeat 2 --delay 80 1
wait_until "the double-click to count the desktop icon command up" setting_is desktop click 1

choose_from_panel_menu 終了
wait_until "KovaShell to end" process_gone "$KOVA_PID"
wait_until "the item to go" eval '! has_kova_item'

# The panel first, then restarted.
start_kovashell
wait_until "the item" has_kova_item
captions_match
stop_panel
start_panel lxqt
wait_until "the item back in the restarted panel" only_the_item_shown
process_alive "$KOVA_PID" || fail "KovaShell ended"
