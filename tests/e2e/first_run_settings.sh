#!/usr/bin/env bash
# A missing settings file is recreated with the first-run values in order,
# Shift-JIS with CR LF, readable by its owner only; the mail program comes from
# the desktop's mailto handler. An existing file is not completed.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
fixture=$(dirname "$0")/../fixtures/first_run.ini
ini=$KOVASHELL_HOME/KovaShell.ini

# A desktop with no mailto handler.
cat >"$E2E_DIR/bin/xdg-mime" <<'STUB'
#!/bin/sh
exit 0
STUB
chmod +x "$E2E_DIR/bin/xdg-mime"
start_x

start_kovashell_with_icon
cmp "$fixture" "$ini" || fail "first-run file differs from the fixture: $(od -c "$ini" | head -n 20)"
[[ $(stat -c %a "$ini") == 600 ]] || fail "settings file mode is $(stat -c %a "$ini"), not 600"
stop_process "$KOVA_PID"

# Deleted, with a mailto handler whose Exec starts through env.
rm "$ini"
cat >"$E2E_DIR/bin/xdg-mime" <<'STUB'
#!/bin/sh
[ "$*" = "query default x-scheme-handler/mailto" ] && echo kova-test-mail.desktop
STUB
mkdir -p "$XDG_DATA_HOME/applications"
printf '[Desktop Entry]\nType=Application\nName=Mail\nExec=env LANG=C /opt/kova/bin/kmail --compose %%u\n' \
  >"$XDG_DATA_HOME/applications/kova-test-mail.desktop"
start_kovashell_with_icon
sed 's|^Mailler=thunderbird\r$|Mailler=/opt/kova/bin/kmail\r|' "$fixture" >"$E2E_DIR/expected.ini"
cmp "$E2E_DIR/expected.ini" "$ini" || fail "recreated file differs: $(od -c "$ini" | head -n 20)"
stop_process "$KOVA_PID"

# A file that exists but lacks keys only gains the start-up command and the
# place of the settings dialog, which start-up loads and unloads.
printf '[a1]\r\nb7=False\r\n' >"$ini"
start_kovashell_with_icon
printf '[a1]\r\nb7=False\r\n[desktop]\r\nclick=0\r\n[Option]\r\nTop=0\r\nLeft=0\r\n' \
  >"$E2E_DIR/expected.ini"
cmp "$E2E_DIR/expected.ini" "$ini" || fail "an existing file was changed: $(od -c "$ini")"
