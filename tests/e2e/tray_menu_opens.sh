#!/usr/bin/env bash
# A right press on the icon opens the tray menu (before the release); a left
# click does not.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x
start_kovashell_with_icon

point_at_tray_icon
xdotool click 1
sleep 0.6
has_no_popup "$KOVA_PID" || fail "a single left click opened a popup"

open_tray_menu
menu=$(popups_of "$KOVA_PID")
(($(wc -l <<<"$menu") == 1)) || fail "expected one popup, found: $menu"
read -r _ _ mw mh < <(xwininfo -id "$menu" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print 0, 0, w, h }')
((mw > 50 && mh > 100)) || fail "the menu is too small to hold its items (${mw}x${mh})"
echo "menu ${mw}x${mh}: $(screenshot menu)"

xdotool key Escape
wait_until "the menu to close on Escape" has_no_popup "$KOVA_PID"
process_alive "$KOVA_PID" || fail "KovaShell ended after closing its menu"
