#!/usr/bin/env bash
# A second start shows the "already open" message and ends; the first copy
# keeps running with its single icon.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x
start_kovashell_with_icon
first=$KOVA_PID

start_kovashell
second=$KOVA_PID
wait_until "the second copy's message box" has_dialog "$second" KovaShell
box=$(dialogs_of "$second" KovaShell)
(($(wc -l <<<"$box") == 1)) || fail "expected one message box, found: $box"
echo "message box: $(screenshot already-open)"
(($(tray_icon_count) == 1)) || fail "the second copy added a tray icon"
has_no_dialog "$first" KovaShell || fail "the first copy showed a message box"

# OK is the default button: Return answers the box.
wait_until "the message box to take the keyboard focus" focus_on "$box"
xdotool key Return
wait_until "the second copy to end" process_gone "$second"
exit_status_of "$second"
status=$EXIT_STATUS
[[ $status == 0 ]] || fail "the second copy ended with status $status"

process_alive "$first" || fail "the first copy ended"
(($(tray_icon_count) == 1)) || fail "expected the first copy's one icon, found $(tray_icon_count)"
[[ -f $KOVASHELL_HOME/KovaShell.ini ]] || fail "the settings file went missing"
