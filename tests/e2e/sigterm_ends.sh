#!/usr/bin/env bash
# SIGTERM ends the program: it removes its icon and ends, writing no
# desktop-icon command on the way, and a running mail check does not hold it.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x
start_kovashell_with_icon

kill -TERM "$KOVA_PID"
wait_until "KovaShell to end on SIGTERM" process_gone "$KOVA_PID"
exit_status_of "$KOVA_PID"
status=$EXIT_STATUS
[[ $status == 0 ]] || fail "KovaShell ended with status $status"
wait_until "the tray icon to go away" tray_icon_absent
setting_is desktop click 0 || fail "click is '$(setting desktop click)' after SIGTERM, not 0"

# The lock of the ended copy does not keep the next start out.
start_kovashell_with_icon
has_no_dialog "$KOVA_PID" KovaShell || fail "the next start found the program still open"

# While a check waits on a server that never answers, SIGTERM still ends the
# program within a second (a close request would be refused meanwhile).
kill -TERM "$KOVA_PID"
wait_until "KovaShell to end" process_gone "$KOVA_PID"
python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen()
print(s.getsockname()[1], flush=True)
c, _ = s.accept(); open(sys.argv[1], "w").close(); time.sleep(300)
' "$E2E_DIR/accepted" >"$E2E_DIR/silent-port" &
E2E_PIDS+=($!)
wait_until "the silent server's port" grep -q '[0-9]' "$E2E_DIR/silent-port"
printf '[a1]\r\nb01=%s\r\nb02=127.0.0.1\r\nb03=alice\r\nb04=pw\r\nb5=0\r\nb7=True\r\n' \
  "$(cat "$E2E_DIR/silent-port")" >"$(settings_file)"
start_kovashell_with_icon
open_tray_menu
choose_tray_item メールチェッカー メールチェック
wait_until "the check to reach the server" test -e "$E2E_DIR/accepted"
kill -TERM "$KOVA_PID"
# ended_within_a_second WHILE: SIGTERM sent, the program is gone within 1 s
# with status 0.
ended_within_a_second() {
  local i
  for ((i = 0; i < 20; i++)); do
    process_gone "$KOVA_PID" && break
    sleep 0.05
  done
  process_gone "$KOVA_PID" || fail "KovaShell still runs 1 s after SIGTERM $1"
  exit_status_of "$KOVA_PID"
  [[ $EXIT_STATUS == 0 ]] || fail "KovaShell ended with status $EXIT_STATUS $1"
}
ended_within_a_second "during a check"

# The same while the keyring is asked for the password and never answers (a
# keyring whose daemon hangs holds a call for D-Bus's 25 s).
if command -v dbus-test-tool >/dev/null; then
  dbus-monitor --session "destination='org.freedesktop.secrets'" >"$E2E_DIR/secrets.log" 2>&1 &
  E2E_PIDS+=($!)
  dbus-test-tool black-hole --session --name=org.freedesktop.secrets &
  E2E_PIDS+=($!)
  wait_until "the silent keyring on the bus" \
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.GetNameOwner string:org.freedesktop.secrets
  printf '[a1]\r\nb01=%s\r\nb02=127.0.0.1\r\nb03=alice\r\nb04=\r\nb09=メール1 alice@127.0.0.1\r\nb5=0\r\nb7=True\r\n' \
    "$(cat "$E2E_DIR/silent-port")" >"$(settings_file)"
  start_kovashell_with_icon
  open_tray_menu
  choose_tray_item メールチェッカー メールチェック
  wait_until "the check to ask the keyring" \
    grep -q "^method call.*path=/org/freedesktop/secrets" "$E2E_DIR/secrets.log"
  kill -TERM "$KOVA_PID"
  ended_within_a_second "while the keyring is asked"
fi
