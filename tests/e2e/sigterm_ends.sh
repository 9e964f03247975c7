#!/usr/bin/env bash
# SIGTERM is a close request: with no mail check running the program removes
# its icon and ends, writing no desktop-icon command on the way.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x
start_kovashell_with_icon

kill -TERM "$KOVA_PID"
wait_until "KovaShell to end on SIGTERM" process_gone "$KOVA_PID"
status=$(exit_status_of "$KOVA_PID")
[[ $status == 0 ]] || fail "KovaShell ended with status $status"
wait_until "the tray icon to go away" tray_icon_absent
setting_is desktop click 0 || fail "click is '$(setting desktop click)' after SIGTERM, not 0"

# The lock of the ended copy does not keep the next start out.
start_kovashell_with_icon
has_no_dialog "$KOVA_PID" KovaShell || fail "the next start found the program still open"
