#!/usr/bin/env bash
# Xfce's panel, whose tray hosts status-notifier items and XEmbed icons
# alike. Started before the panel and after it, KovaShell shows one face
# there: its status-notifier item with the tray menu exported, and neither
# Qt's XEmbed icon nor the handle besides it.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
command -v xfce4-panel >/dev/null || skip "xfce4-panel is not installed"
write_note_files "$KOVASHELL_HOME" 0 "メモ" top=3000 left=3000

start_x --wm --no-tray
start_session_bus
start_kovashell
wait_until "KovaShell's note" notes_shown
start_panel xfce
wait_until "the item alone in the panel's tray" only_the_item_shown
captions_match
echo "item in Xfce's tray: $(screenshot item)"
stop_process "$KOVA_PID"

start_kovashell
wait_until "the item alone in the panel's tray" only_the_item_shown
captions_match
process_alive "$KOVA_PID" || fail "KovaShell ended"
