#!/usr/bin/env bash
# The icon of a started program is embedded in the tray host's panel, once.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x

start_kovashell_with_icon
read -r x y w h < <(tray_icon_geometry)
((w > 0 && h > 0)) || fail "the tray icon has no size (${w}x${h})"
sleep 0.5
(($(tray_icon_count) == 1)) || fail "expected one tray icon, found $(tray_icon_count)"
process_alive "$KOVA_PID" || fail "KovaShell ended after showing its icon"
echo "tray icon at $x,$y ${w}x${h}: $(screenshot icon)"
