#!/usr/bin/env bash
# Four workspaces under openbox. A posted note is on all of them, as the
# desktop behind them is, also after its stacking changed. On workspace 3 the
# editor and the timer dialog open there, the settings dialog and the mail
# result window left on workspace 1 come there: the dialog when asked for
# again, the result window when mail is found.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

# A POP3 server that holds its answer to STAT until told: the check starts
# while the user is on workspace 1 and finds mail once the user is on 3.
port_file=$E2E_DIR/pop3.port go=$E2E_DIR/pop3.go
python3 - "$port_file" "$go" >"$E2E_DIR/pop3.log" 2>&1 <<'PY' &
import os, socket, sys, time
server = socket.create_server(("127.0.0.1", 0))
open(sys.argv[1], "w").write(str(server.getsockname()[1]))
conn = server.accept()[0]
conn.sendall(b"+OK ready\r\n")
for line in conn.makefile("rb"):
    while line.startswith(b"STAT") and not os.path.exists(sys.argv[2]):
        time.sleep(0.05)
    conn.sendall(b"+OK 1 51\r\n" if line.startswith(b"STAT") else b"+OK\r\n")
    if line.startswith(b"QUIT"):
        break
PY
E2E_PIDS+=($!)
wait_until "the POP3 server" test -s "$port_file"

# A double-click on the icon checks mail.
printf '[a1]\r\nb01=%s\r\nb02=127.0.0.1\r\nb03=alice\r\nb04=alicepw\r\nb5=0\r\nb7=False\r\n' \
  "$(cat "$port_file")" >"$(settings_file)"
write_note_files "$KOVASHELL_HOME" 0 "どこでも見えるメモ" size=12 back="&HC0FFC0" top=3000 left=3000

desktop_of() { xprop -id "$1" _NET_WM_DESKTOP 2>/dev/null | awk '{ print $3 }'; }
current_desktop() { xprop -root _NET_CURRENT_DESKTOP | awk '{ print $3 }'; }
note_on_all() { [[ $(desktop_of "$(note_ids | head -n 1)") == 4294967295 ]]; }
# on_current TITLE: the window is shown on the workspace the user is on.
on_current() {
  local id
  id=$(window_titled "$1")
  [[ -n $id && $(desktop_of "$id") == "$(current_desktop)" ]]
}
go_to() {
  xdotool set_desktop "$1"
  wait_until "workspace $(($1 + 1))" output_is "$1" current_desktop
}

start_x --wm
xdotool set_num_desktops 4
desktop_count() { xprop -root _NET_NUMBER_OF_DESKTOPS | awk '{ print $3 }'; }
wait_until "four workspaces" output_is 4 desktop_count
start_kovashell_with_icon
wait_until "the note on every workspace" note_on_all

# Top-most makes a new layer for the note: still on every workspace.
xdotool mousemove 210 205 click 3
wait_until "the note menu" has_popup "$KOVA_PID"
choose_note_menu_item 最前面に表示
wait_until "the note in the upper layer" eval 'xprop -id "$(note_ids | head -n 1)" _NET_WM_STATE | grep -q ABOVE'
note_on_all || fail "the top-most note left the other workspaces"

# The settings dialog left open on workspace 1 ...
open_tray_menu
choose_tray_item オプション設定
wait_until "the settings dialog on workspace 1" on_current "KovaShell(設定)"

go_to 2
wait_until "the note viewable on workspace 3" notes_shown
echo "note on workspace 3: $(screenshot note-on-3)"

# ... comes to workspace 3 when asked for there, and the user stays there.
open_tray_menu
choose_tray_item オプション設定
wait_until "the settings dialog on workspace 3" on_current "KovaShell(設定)"
[[ $(current_desktop) == 2 ]] || fail "the settings dialog took the user to workspace $(current_desktop)"
echo "settings dialog on workspace 3: $(screenshot settings-on-3)"
wmctrl -c "KovaShell(設定)"
wait_until "the settings dialog to close" has_no_window_titled "KovaShell(設定)"

# Windows opened there come there.
open_tray_menu
choose_tray_item 付箋紙 [新規作成]
wait_until "the editor on workspace 3" on_current Kova付箋紙
wait_until "the editor to take the keyboard" focus_on "$(window_titled Kova付箋紙)"
xdotool key alt
xdotool key Right Right Right Return
wait_until "the timer dialog on workspace 3" on_current タイマー設定
wmctrl -c タイマー設定
wait_until "the editor back" has_window_titled Kova付箋紙
wmctrl -c Kova付箋紙
wait_until "the editor to close" has_no_window_titled Kova付箋紙

# A check started on workspace 1 shows the result window there ...
go_to 0
point_at_tray_icon
xdotool click --repeat 2 --delay 80 1
wait_until "the result window" on_current KovaMailChecker
# ... and finds mail while the user is on workspace 3.
go_to 2
has_window_titled KovaMailChecker && fail "the result window was on workspace 3 before mail came"
touch "$go"
wait_until "the result window on workspace 3" on_current KovaMailChecker
echo "result window on workspace 3: $(screenshot mail-on-3)"
process_alive "$KOVA_PID" || fail "KovaShell ended"
