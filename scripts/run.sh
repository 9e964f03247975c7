#!/usr/bin/env bash
# Builds KovaShell (Release, in build-release/) and starts it.
#
# On a desktop ($DISPLAY set) the program runs there in the foreground; end it
# with "終了" in its tray menu. Without a display it starts a virtual one (Xvfb)
# with a tray host (trayer) and a window manager (openbox), runs KovaShell
# there, opens its tray menu, saves a screenshot and prints its path, then
# stops everything again. With --keep it keeps running until Ctrl+C.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
keep=0
case ${1:-} in
  --keep) keep=1 ;;
  "") ;;
  *) echo "usage: $0 [--keep]" >&2; exit 2 ;;
esac

"$root/scripts/install-deps.sh"
build=$root/build-release
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# kova-xwindows finds the program's windows on the virtual display.
targets=(KovaShell kova-xwindows)
# The removal program lives beside KovaShell once it is part of the tree.
if ninja -C "$build" -t targets all | grep -q '^KovaRemover:'; then
  targets+=(KovaRemover)
fi
ninja -C "$build" "${targets[@]}"
program=$build/bin/KovaShell

if [[ -n ${DISPLAY:-} ]]; then
  echo "Starting KovaShell on display $DISPLAY; end it with 終了 in its tray menu."
  exec "$program"
fi

# No display: start and watch a virtual one.
# shellcheck source=lib/xserver.sh
source "$root/scripts/lib/xserver.sh"
E2E_NAME=kovashell
E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kovashell-run.XXXXXX")
E2E_ARTIFACTS=$build/screenshots
mkdir -p "$E2E_ARTIFACTS"
KOVASHELL=$program
exit_traps
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
export QT_QPA_PLATFORM=xcb

start_x --wm
echo "Virtual display $DISPLAY with trayer and openbox is up; starting KovaShell."
start_kovashell
deadline=$((SECONDS + E2E_TIMEOUT))
until tray_icon_shown; do
  process_alive "$KOVA_PID" || fail "KovaShell ended during start-up (log: $(tail -n 5 "$E2E_DIR"/kovashell-1.log))"
  box=$(dialogs_of "$KOVA_PID" KovaShell | head -n 1)
  if [[ -n $box ]]; then
    # A start-up question (such as installing the desktop-icon component):
    # take its default answer, as pressing Return would.
    echo "KovaShell asks a question at start-up: $(screenshot question)"
    echo "Answering with its default button."
    focus_on "$box" || true
    xdotool key Return
    sleep 0.5
  fi
  ((SECONDS < deadline)) || fail "the tray icon did not appear within ${E2E_TIMEOUT}s"
  sleep 0.1
done

open_tray_menu
shot=$(screenshot tray-menu)
xdotool key Escape
echo "KovaShell is running; screenshot of its tray menu: $shot"

if ((keep)); then
  echo "It keeps running on display $DISPLAY (for example: DISPLAY=$DISPLAY import -window root shot.png)."
  echo "Press Ctrl+C to stop it and the virtual display."
  wait "$KOVA_PID" || true
else
  echo "Stopping it and the virtual display (use --keep to keep them running)."
fi
