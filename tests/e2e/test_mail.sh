#!/usr/bin/env bash
# "メールチェック" from the tray menu against a real mail server (a private
# Dovecot on 127.0.0.1): over POP3 with two messages, or (second argument
# "imap") over IMAP with three, the account's protocol chosen on the mail tab
# (its picture is kept). The result window "KovaMailChecker" shows the count
# and size, its "メーラー起動" label turns yellow, and the keyboard stays where
# the user was typing.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../../scripts/lib/dovecot.sh"
protocol=${2:-pop3}
[[ $protocol == imap ]] && E2E_NAME=test_mail_imap
e2e_init "$1"

# Dovecot's own users must reach the folder: not inside the private E2E_DIR.
mail_dir=$(mktemp -d "${TMPDIR:-/tmp}/kova-dovecot.XXXXXX")
chmod 0755 "$mail_dir"
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
port=$(free_port)
imap_port=$(free_port)
# Stop the server too, keeping the test's status for the clean-up.
trap 'status=$?; set +e; stop_dovecot; rm -rf "$mail_dir"; (exit "$status"); exit_cleanup' EXIT
if why=$(dovecot_unavailable); then
  skip "$why"
fi
if [[ $protocol == imap ]]; then
  add_mailbox "$mail_dir" alice alicepw 3
else
  add_mailbox "$mail_dir" alice alicepw 2
fi
start_dovecot "$mail_dir" "$port" "$imap_port" ||
  fail "dovecot did not start: $(tail -n 5 "$mail_dir"/*.log)"

# Account 1 only; the rest as a first run leaves it. IMAP is chosen on the
# mail tab below.
printf '[a1]\r\nb01=%s\r\nb02=127.0.0.1\r\nb03=alice\r\nb04=alicepw\r\nb5=0\r\nb7=True\r\n' \
  "$port" >"$(settings_file)"

window_titled() { windows_of "$KOVA_PID" | awk -F '\t' -v t="$1" '$4 == t { print $1 }'; }
has_window_titled() { [[ -n $(window_titled "$1") ]]; }

# yellow_share X Y W H: per cent of the box's pixels that are pure yellow.
yellow_share() {
  local yellow
  yellow=$(import -window root -crop "$3x$4+$1+$2" -depth 8 txt:- | grep -c '#FFFF00' || true)
  echo $((yellow * 100 / ($3 * $4)))
}
mailer_label_yellow() {
  local x y w
  read -r x y w _ < <(xwininfo -id "$result" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } END { print x, y, w }')
  # "メーラー起動" sits at the top right of the window.
  (($(yellow_share $((x + w - 50)) $((y + 2)) 40 6) >= 50))
}

# click_in WINDOW X Y: a left click at X Y of the window's client area.
click_in() {
  local x y
  read -r x y < <(xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }')
  xdotool mousemove $((x + $2)) $((y + $3)) click 1
}

start_x --wm
start_kovashell_with_icon
# The user types in the settings dialog meanwhile: the result window, shown
# for the first time, leaves the keyboard there.
open_tray_menu
if [[ $protocol == imap ]]; then
  # As a user would: account 1 ("メール1") of the mail tab, "IMAP" (the port
  # follows: 143), Dovecot's port typed over it, "OK".
  choose_tray_item メールチェッカー "(設定)"
  wait_until "the settings dialog" has_window_titled "KovaShell(設定)"
  dialog=$(window_titled "KovaShell(設定)")
  click_in "$dialog" 30 45
  click_in "$dialog" 152 170
  sleep 0.3
  echo "mail tab: $(screenshot mail-tab)"
  click_in "$dialog" 130 80
  xdotool key ctrl+a type "$imap_port"
  click_in "$dialog" 180 204
  wait_until "the dialog to close" has_no_window_titled "KovaShell(設定)"
  setting_is a1 b07 1 || fail "IMAP was not saved: b07=$(setting a1 b07)"
  setting_is a1 b01 "$imap_port" || fail "the port was not saved: b01=$(setting a1 b01)"
  open_tray_menu
fi
choose_tray_item "オプション設定"
wait_until "the settings dialog" has_window_titled "KovaShell(設定)"
dialog=$(window_titled "KovaShell(設定)")
wait_until "the dialog to take the keyboard" focus_on "$dialog"
open_tray_menu
choose_tray_item メールチェッカー メールチェック
wait_until "the result window" has_window_titled KovaMailChecker
result=$(window_titled KovaMailChecker)
wait_until "the mailer label to turn yellow" mailer_label_yellow
echo "mail found: $(screenshot mail-found)"
[[ $(xdotool getwindowfocus) == "$((dialog))" ]] ||
  fail "the result window took the keyboard from the settings dialog"
process_alive "$KOVA_PID" || fail "KovaShell ended"
has_no_dialog "$KOVA_PID" KovaShell || fail "a message box appeared: $(screenshot message)"
