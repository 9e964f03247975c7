#!/usr/bin/env bash
# Started without an X display (no DISPLAY, no WAYLAND_DISPLAY), KovaShell and
# KovaRemover say in one line that they need X11 or XWayland and exit with a
# non-zero code: no crash, no core file, nothing written.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
unset KOVASHELL_HOME
remover=$(dirname "$KOVASHELL")/KovaRemover

cd "$E2E_DIR"
ulimit -c unlimited 2>/dev/null || true
for program in "$KOVASHELL" "$remover"; do
  [[ -x $program ]] || continue
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" >"$E2E_DIR/out.txt" 2>"$E2E_DIR/err.txt" ||
    status=$?
  ((status != 0)) || fail "$(basename "$program") exited with 0 without a display"
  ((status < 128)) || fail "$(basename "$program") died by signal $((status - 128))"
  (($(wc -l <"$E2E_DIR/err.txt") == 1)) || fail "not one line: $(cat "$E2E_DIR/err.txt")"
  grep -q 'X11' "$E2E_DIR/err.txt" && grep -q 'XWayland' "$E2E_DIR/err.txt" ||
    fail "the line does not name X11 and XWayland: $(cat "$E2E_DIR/err.txt")"
  echo "$(basename "$program"): exit $status: $(cat "$E2E_DIR/err.txt")"
done
[[ -z $(find "$E2E_DIR" -maxdepth 1 -name 'core*' -print -quit) ]] || fail "a core file was left"
[[ ! -e $XDG_DATA_HOME/KovaShell ]] || fail "a data folder was made: $(ls -la "$XDG_DATA_HOME/KovaShell")"
