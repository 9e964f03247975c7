#!/usr/bin/env bash
# Launcher entries from the tray menu: the named entries replace "(なし)", an
# entry with a program command line runs it (quoted path, quoted argument),
# and an entry ending in "/" opens that folder with xdg-open.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

# A program whose path holds a blank: it leaves its argument in a marker file.
marker=$E2E_DIR/marker
cat >"$E2E_DIR/bin/make marker" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >"$marker.tmp" && mv "$marker.tmp" "$marker"
SCRIPT
chmod +x "$E2E_DIR/bin/make marker"

# The desktop's folder opener, recording what it was asked to open.
opened=$E2E_DIR/xdg-open.args
cat >"$E2E_DIR/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$@" >"$opened.tmp" && mv "$opened.tmp" "$opened"
SCRIPT
chmod +x "$E2E_DIR/bin/xdg-open"

folder="$E2E_DIR/ランチャー フォルダ/"
mkdir -p "$folder"

# The settings file as the settings dialog would leave it (CP932, CR LF); a
# value that starts and ends with a quote is written with one more pair, which
# the reader strips.
{
  printf '[Lunch0]\r\n0=マーカー\r\n1=フォルダ\r\n'
  for n in $(seq 2 19); do printf '%s=\r\n' "$n"; done
  printf '[Lunch1]\r\n0=""%s" "hello world""\r\n1=%s\r\n' "$E2E_DIR/bin/make marker" "$folder"
  for n in $(seq 2 19); do printf '%s=\r\n' "$n"; done
} | iconv -f UTF-8 -t CP932 >"$(settings_file)"

start_x
start_kovashell_with_icon
menu_entries mnuLun "マーカー" "フォルダ"

open_tray_menu
select_tray_item ランチャー "{mnuLun}1"
echo "launcher submenu: $(screenshot submenu)"
xdotool key Return
wait_until "the marker of the first entry" test -f "$marker"
[[ $(cat "$marker") == "hello world" ]] || fail "the program got '$(cat "$marker")'"

open_tray_menu
choose_tray_item ランチャー "{mnuLun}2"
wait_until "xdg-open asked to open the folder" test -f "$opened"
[[ $(cat "$opened") == "$folder" ]] || fail "xdg-open got '$(cat "$opened")', not '$folder'"

process_alive "$KOVA_PID" || fail "KovaShell ended after launching"
has_no_dialog "$KOVA_PID" KovaShell || fail "a message box appeared: $(screenshot message)"
