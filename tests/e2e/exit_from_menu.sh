#!/usr/bin/env bash
# "終了", the last item of the tray menu, ends the program: the large-icon
# command is left for the desktop-icon component and the icon goes away.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x
start_kovashell_with_icon
setting_is desktop click 0 || fail "click is '$(setting desktop click)' after start-up, not 0"

open_tray_menu
select_tray_item 終了
sleep 0.2
echo "exit item selected: $(screenshot exit-selected)"
xdotool key Return
wait_until "KovaShell to end" process_gone "$KOVA_PID"
exit_status_of "$KOVA_PID"
status=$EXIT_STATUS
[[ $status == 0 ]] || fail "KovaShell ended with status $status"
wait_until "the tray icon to go away" tray_icon_absent
setting_is desktop click 1 || fail "click is '$(setting desktop click)' after the exit, not 1"
