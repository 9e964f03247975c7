#!/usr/bin/env bash
# The desktop-icon component for a fresh user: one install question, the
# registration, the component acting on the start and exit commands; then the
# folder moved (no question, re-pointed), and "No" ending the program.
E2E_NO_PREREGISTER=1
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
start_x

build_bin=$(dirname "$KOVASHELL")
# A copy in a folder with a blank, as a user may unpack it.
copy="$E2E_DIR/Kova Shell"
mkdir -p "$copy"
cp "$build_bin"/{KovaShell,KovaShell.so,kovashell-regsvr,kovashell-loadinproc} "$copy/"

# The desktop's own setting tool, standing in: it records what it is asked
# to set, and reads as unset (so large is the desktop's default).
calls=$E2E_DIR/gsettings.calls
: >"$calls"
printf '#!/bin/sh\n[ "$1" = set ] || exit 0\necho "$*" >>"%s"\n' "$calls" >"$E2E_DIR/bin/gsettings"
chmod +x "$E2E_DIR/bin/gsettings"
export XDG_CURRENT_DESKTOP=ubuntu:GNOME
store=$XDG_CONFIG_HOME/KovaShell/registry.reg
small="set org.gnome.shell.extensions.ding icon-size 'small'"
large="set org.gnome.shell.extensions.ding icon-size 'standard'"

question_shown() { has_dialog "$KOVA_PID" KovaShell; }

# answer NAME KEY: waits for the question, keeps a picture of it, answers it.
answer() {
  local box
  wait_until "the install question" question_shown
  box=$(dialogs_of "$KOVA_PID" KovaShell | head -n 1)
  wait_until "the question to take the focus" focus_on "$box"
  echo "question: $(screenshot "$1")"
  xdotool key "$2"
}

# The unnamed value of the class's InprocServer32 key in the store.
inproc_path() {
  awk '/\\InprocServer32\]$/ { grab = 1; next }
       grab && /^@=/ { print substr($0, 4, length($0) - 4); exit }' "$store"
}
progid_registered() {
  grep -qiF '[HKEY_LOCAL_MACHINE\Software\Classes\KovaShell.KovaClass\CLSID]' "$store" 2>/dev/null
}
last_call_is() { [[ $(tail -n 1 "$calls") == "$1" ]]; }

exit_from_menu() {
  open_tray_menu
  select_tray_item 終了
  sleep 0.2
  xdotool key Return
  wait_until "KovaShell to end" process_gone "$KOVA_PID"
  exit_status_of "$KOVA_PID"
  status=$EXIT_STATUS
  [[ $status == 0 ]] || fail "KovaShell ended with status $status"
  wait_until "the tray icon to go away" tray_icon_absent
}

# 1. First start of the copy: "Yes" registers it and the start-up command acts.
KOVASHELL="$copy/KovaShell"
start_kovashell
answer install-question Return
wait_until "the tray icon after installing" tray_icon_shown
has_no_dialog "$KOVA_PID" KovaShell || fail "a second message after Yes: $(screenshot second-message)"
progid_registered || fail "the store holds no ProgID: $(cat "$store")"
[[ $(inproc_path) == "$copy/KovaShell.so" ]] || fail "InprocServer32 is '$(inproc_path)'"
# First-run b6 is "1": the start command "0" asks for small icons.
wait_until "the component to apply small icons" last_call_is "$small"
exit_from_menu
wait_until "the component to see the exit's large-icon command" last_call_is "$large"
(($(wc -l <"$calls") == 2)) || fail "unexpected calls: $(cat "$calls")"

# 2. The program started from another folder: re-pointed without a question.
KOVASHELL="$build_bin/KovaShell"
start_kovashell_with_icon
[[ $(inproc_path) == "$build_bin/KovaShell.so" ]] || fail "not re-pointed: '$(inproc_path)'"
wait_until "the component of the new folder to act" last_call_is "$small"
exit_from_menu

# 3. Not registered, and the user says "No": the program ends, no icon stays.
rm -f "$store"
start_kovashell
answer declined-question Escape
wait_until "KovaShell to end after No" process_gone "$KOVA_PID"
exit_status_of "$KOVA_PID"
status=$EXIT_STATUS
[[ $status == 0 ]] || fail "KovaShell ended with status $status after No"
tray_icon_absent || fail "a tray icon stayed after No"
if progid_registered; then
  fail "registered although the answer was No"
fi
exit 0
