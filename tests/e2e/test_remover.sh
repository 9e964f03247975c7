#!/usr/bin/env bash
# KovaRemover end to end, from a program folder with a blank in its name:
# Yes to the removal, Yes to the log-off. The component's registration and
# the autostart entry go, loginctl is asked to end the session, and the
# settings and notes stay byte for byte. (A failing log-off: test_remover.cpp.)
# Usage: test_remover.sh KOVASHELL_BINARY

source "$(dirname "$0")/lib.sh"
e2e_init "$1"

BUILD_BIN=$(dirname "$KOVASHELL")
REGISTRY=$XDG_CONFIG_HOME/KovaShell/registry.reg
ENTRY=$XDG_CONFIG_HOME/autostart/KovaShell.desktop
PROGID=KovaShell.KovaClass
CLASS_ID="{D2CDDC34-2016-42EE-BAFD-4E7BA889AB31}"

# The programs as they are installed: side by side, here in a folder with a blank.
PROGRAM_DIR="$E2E_DIR/Program Files/Kova Shell"
mkdir -p "$PROGRAM_DIR"
cp "$BUILD_BIN"/{KovaShell,KovaRemover,kovashell-regsvr,KovaShell.so} "$PROGRAM_DIR/"
"$PROGRAM_DIR/kovashell-regsvr" /s "$PROGRAM_DIR/KovaShell.so" ||
  fail "registration from the folder with a blank failed"
grep -qiF "$PROGID" "$REGISTRY" || fail "the ProgID is not registered: $(cat "$REGISTRY")"
grep -qiF "$CLASS_ID" "$REGISTRY" || fail "the class id is not registered"
grep -qF "$PROGRAM_DIR/KovaShell.so" "$REGISTRY" || fail "the component's path is not registered"

mkdir -p "$(dirname "$ENTRY")"
printf '[Desktop Entry]\nType=Application\nName=KovaShell\nExec=KovaShell\n' >"$ENTRY"

# The user's data, which must stay.
printf '[a1]\r\nb7=True\r\n' >"$KOVASHELL_HOME/KovaShell.ini"
write_note_files "$KOVASHELL_HOME" 3 "残しておくメモ"
mkdir -p "$E2E_DIR/kept"
cp -p "$KOVASHELL_HOME"/* "$E2E_DIR/kept/"

# A loginctl that only records what it is asked.
cat >"$E2E_DIR/bin/loginctl" <<STANDIN
#!/bin/sh
echo "\$*" >>"$E2E_DIR/loginctl.log"
STANDIN
chmod +x "$E2E_DIR/bin/loginctl"
export XDG_SESSION_ID=e2e-17

start_x

start_remover() {
  "$PROGRAM_DIR/KovaRemover" >"$E2E_DIR/remover-$1.log" 2>&1 &
  REMOVER_PID=$!
  E2E_PIDS+=("$REMOVER_PID")
}

remover_dialog() { dialogs_of "$REMOVER_PID" KovaRemover | head -n 1; }

# Only message boxes, never a window of its own.
only_message_boxes() {
  local others
  others=$(windows_of "$REMOVER_PID" | awk -F '\t' '$3 != "DIALOG"')
  [[ -z $others ]] || fail "KovaRemover showed a window that is not a message box: $others"
}

# answer_dialog PREVIOUS_ID NAME: waits for a message box other than
# PREVIOUS_ID, takes a screenshot, answers with Return (the default: Yes or
# OK) and prints its id.
answer_dialog() {
  local previous=$1 name=$2 id="" deadline
  wait_deadline
  while :; do
    id=$(remover_dialog)
    [[ -n $id && $id != "$previous" ]] && break
    process_alive "$REMOVER_PID" || fail "KovaRemover ended before its '$name' question"
    ((SECONDS < deadline)) || waited_too_long "the '$name' question"
    sleep 0.1
  done
  only_message_boxes
  screenshot "$name" >/dev/null
  wait_until "the '$name' box to take the focus" focus_on "$id"
  xdotool key Return
  echo "$id"
}

registry_clean() { ! grep -qiF -e "$PROGID" -e "$CLASS_ID" "$REGISTRY"; }

start_remover yes
first=$(answer_dialog "" ask-remove)
answer_dialog "$first" ask-logoff >/dev/null
wait_until "KovaRemover to end" process_gone "$REMOVER_PID"
exit_status_of "$REMOVER_PID"
status=$EXIT_STATUS
((status == 0)) || fail "KovaRemover ended with status $status: $(cat "$E2E_DIR/remover-yes.log")"

wait_until "the unregistration to take the component's entries away" registry_clean
[[ ! -e $ENTRY ]] || fail "the autostart entry is still there"
# Nothing else was registered: the store and its folder go with the keys.
[[ ! -e $(dirname "$REGISTRY") ]] || fail "left behind: $(ls -A "$(dirname "$REGISTRY")")"
[[ $(cat "$E2E_DIR/loginctl.log" 2>/dev/null) == "terminate-session e2e-17" ]] ||
  fail "loginctl was asked: '$(cat "$E2E_DIR/loginctl.log" 2>/dev/null)'"
for kept in "$E2E_DIR"/kept/*; do
  cmp -s "$kept" "$KOVASHELL_HOME/$(basename "$kept")" ||
    fail "$(basename "$kept") changed or went away"
done
[[ -x $PROGRAM_DIR/KovaShell && -f $PROGRAM_DIR/KovaShell.so ]] ||
  fail "a program file went away"

echo "PASS ($E2E_NAME)"
