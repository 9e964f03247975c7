#!/usr/bin/env bash
# With [a1] b7=True each left double-click on the icon adds one to
# [desktop] click, which start-up has set to 0.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x
start_kovashell_with_icon
setting_is a1 b7 True || fail "b7 is '$(setting a1 b7)' on first run"
setting_is desktop click 0 || fail "click is '$(setting desktop click)' after start-up, not 0"

for count in 1 2 3; do
  point_at_tray_icon
  xdotool click --repeat 2 --delay 80 1
  wait_until "click to become $count" setting_is desktop click "$count"
  # Keep the next pair of clicks apart from this one (the double-click
  # interval is 400 ms).
  sleep 0.6
done
setting_is desktop click 3 || fail "click is '$(setting desktop click)' after three double-clicks"
has_no_popup "$KOVA_PID" || fail "a left double-click opened a popup"
process_alive "$KOVA_PID" || fail "KovaShell ended"
