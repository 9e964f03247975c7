# shellcheck shell=bash
# A private X display for KovaShell: Xvfb with trayer as the tray host (and
# openbox as window manager when asked), a clean user, bounded waits, the
# program's tray icon and windows found with xwininfo/xprop, screenshots.
# Sourced by scripts/run.sh, bench/run-startup.sh and tests/e2e/lib.sh.
#
# The caller sets E2E_DIR (a folder of its own for logs, removed on exit
# unless E2E_KEEP is set), E2E_ARTIFACTS (where screenshots go, named
# E2E_NAME-WHAT.png) and KOVASHELL (the program), then calls exit_traps.
# Every process started here is in E2E_PIDS and is ended on exit.

# Upper bound of every wait, in seconds; generous because a loaded 2-core
# machine can be slow to start X clients.
E2E_TIMEOUT=${E2E_TIMEOUT:-20}
E2E_PIDS=()
E2E_DIR=""
E2E_NAME=$(basename "$0" .sh)
KOVASHELL=""
KOVA_PID=""

# --- set-up and clean-up ---------------------------------------------------

# Clean up on every way out, a timeout's SIGTERM and Ctrl+C included.
exit_traps() {
  trap exit_cleanup EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
}

exit_cleanup() {
  local status=$?
  set +e
  if ((status != 0 && status != E2E_SKIP)) && [[ -n ${E2E_OWN_DISPLAY:-} ]]; then
    screenshot "failure" >/dev/null 2>&1
    dump_logs
  fi
  local i
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    stop_process "${E2E_PIDS[i]}"
  done
  if [[ -n $E2E_DIR && -z ${E2E_KEEP:-} ]]; then
    rm -rf "$E2E_DIR"
  fi
  exit "$status"
}

dump_logs() {
  local log
  for log in "$E2E_DIR"/*.log; do
    [[ -s $log ]] || continue
    echo "--- $(basename "$log")"
    tail -n 40 "$log"
  done
}

# A clean user: every folder the program or Qt may write to lies in E2E_DIR,
# and nothing of the machine's desktop session leaks in.
private_home() {
  export HOME=$E2E_DIR/home
  export XDG_CONFIG_HOME=$E2E_DIR/config
  export XDG_DATA_HOME=$E2E_DIR/data
  export XDG_CACHE_HOME=$E2E_DIR/cache
  export XDG_STATE_HOME=$E2E_DIR/state
  export XDG_RUNTIME_DIR=$E2E_DIR/runtime
  export KOVASHELL_HOME=$E2E_DIR/kovashell
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" \
    "$KOVASHELL_HOME"
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
  unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER WAYLAND_DISPLAY XAUTHORITY \
    XDG_SESSION_ID XDG_CURRENT_DESKTOP DESKTOP_SESSION QT_QPA_PLATFORMTHEME
  export QT_QPA_PLATFORM=xcb
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
}

# Registers the desktop-icon component (built beside the program) in the
# user's registry store, as answering "yes" at a first start would, so that
# the program starts without asking.
register_desktop_icon_component() {
  local bin
  bin=$(dirname "$KOVASHELL")
  "$bin/kovashell-regsvr" /s "$bin/KovaShell.so" >"$E2E_DIR/regsvr.log" 2>&1 ||
    fail "could not register the desktop-icon component: $(cat "$E2E_DIR/regsvr.log")"
}

# --- failing and waiting ---------------------------------------------------

fail() {
  echo "FAIL ($E2E_NAME): $*" >&2
  exit 1
}

# skip REASON: this machine cannot run the test (a tool, a mount, a server is
# missing): the skip code the tests' SKIP_RETURN_CODE names, never a pass.
E2E_SKIP=77
skip() {
  echo "SKIP ($E2E_NAME): $*"
  exit "$E2E_SKIP"
}

# No wait runs past the test's own time limit (E2E_TEST_TIMEOUT, set by the
# tests' CMake file) less a margin for the clean-up: a slow test fails naming
# what it waited for, rather than being killed without a word.
E2E_TEST_END=$((SECONDS + ${E2E_TEST_TIMEOUT:-3600} - 15))

# wait_deadline: sets `deadline` to E2E_TIMEOUT seconds from now, or to the
# test's end if that comes first.
wait_deadline() {
  deadline=$((SECONDS + E2E_TIMEOUT))
  ((deadline <= E2E_TEST_END)) || deadline=$E2E_TEST_END
}

# waited_too_long DESCRIPTION: fails, saying what was waited for and why it
# stopped.
waited_too_long() {
  if ((SECONDS >= E2E_TEST_END)); then
    fail "stopped at the test's time limit (${E2E_TEST_TIMEOUT}s) waiting for: $1"
  fi
  fail "timed out after ${E2E_TIMEOUT}s waiting for: $1"
}

# wait_until DESCRIPTION COMMAND...: polls COMMAND every 0.1 s until it
# succeeds; fails after E2E_TIMEOUT seconds.
wait_until() {
  local description=$1 deadline
  shift
  wait_deadline
  until "$@" >/dev/null; do
    ((SECONDS < deadline)) || waited_too_long "$description"
    sleep 0.1
  done
}

# output_is EXPECTED COMMAND...: COMMAND prints EXPECTED. For waits on a
# value: wait_until "..." output_is 4 field 0 7 reads the value at each poll,
# where test "$(field 0 7)" = 4 would read it once.
output_is() {
  local expected=$1
  shift
  [[ $("$@") == "$expected" ]]
}

# True while PID runs (an ended child not yet waited for is a zombie: gone).
process_alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [[ ${stat:0:1} != Z ]]
}

process_gone() { ! process_alive "$1"; }

# stop_process PID: SIGTERM, then SIGKILL if it has not ended within 5 s.
stop_process() {
  local pid=$1 i
  # A process ended by the signal reports a failing status; not ours.
  process_alive "$pid" || { wait "$pid" 2>/dev/null || true; return 0; }
  kill -TERM "$pid" 2>/dev/null
  for ((i = 0; i < 50; i++)); do
    process_alive "$pid" || break
    sleep 0.1
  done
  process_alive "$pid" && kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
  return 0
}

# exit_status_of PID: sets EXIT_STATUS to the exit status of a background
# child that has ended. Called in this shell, never in $(...): a subshell may
# not see the child that the shell reaps meanwhile, and reports -1.
exit_status_of() {
  EXIT_STATUS=0
  wait "$1" || EXIT_STATUS=$?
}

# --- the X display ---------------------------------------------------------

# start_x [--wm] [--no-tray]: a private Xvfb with trayer as the tray host (and openbox as
# window manager with --wm), and a private session bus when E2E_SESSION_BUS is
# set. Sets DISPLAY.
start_x() {
  local display_file=$E2E_DIR/display
  : >"$display_file"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset \
    9>"$display_file" >"$E2E_DIR/xvfb.log" 2>&1 &
  E2E_PIDS+=($!)
  local xvfb=$!
  wait_until "Xvfb to report its display" grep -q '[0-9]' "$display_file"
  process_alive "$xvfb" || fail "Xvfb did not start"
  export DISPLAY=:$(tr -dc '0-9' <"$display_file")
  E2E_OWN_DISPLAY=$DISPLAY

  local wm="" tray=1 option
  for option in "$@"; do
    case $option in
      --wm) wm=1 ;;
      --no-tray) tray="" ;;
    esac
  done
  if [[ -n $wm ]]; then
    openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until "openbox to manage the screen" window_manager_running
  fi
  [[ -z $tray ]] || start_tray
  [[ -z ${E2E_SESSION_BUS:-} ]] || start_session_bus
}

# start_session_bus: a private session bus for what runs on the display,
# once. Without one, D-Bus autolaunches a bus (dbus-launch) that outlives the
# caller. It starts the installed services as a desktop's bus does, except a
# keyring (GNOME Keyring, KWallet): one would otherwise be started by the
# first password saved, and its "new keyring" prompt would cover the desktop.
# A test that wants a keyring starts its own.
start_session_bus() {
  [[ -n ${E2E_BUS_PID:-} ]] && return 0
  local file=$E2E_DIR/bus.address services=$E2E_DIR/dbus-services service
  : >"$file"
  mkdir -p "$services"
  for service in /usr/share/dbus-1/services/*.service; do
    [[ -e $service ]] || continue
    grep -qE '^Name=(org\.freedesktop\.secrets|org\.gnome\.keyring|org\.kde\.kwalletd)' "$service" ||
      ln -s "$service" "$services/"
  done
  cat >"$E2E_DIR/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  dbus-daemon --config-file="$E2E_DIR/bus.conf" --nofork --print-address=1 >"$file" 2>"$E2E_DIR/dbus.log" &
  E2E_BUS_PID=$!
  E2E_PIDS+=("$E2E_BUS_PID")
  wait_until "the session bus" grep -q . "$file"
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$file")
  export DBUS_SESSION_BUS_ADDRESS
}

# start_tray: trayer as the tray host; its pid in TRAY_PID.
start_tray() {
  trayer --edge top --align right --widthtype request --height 32 \
    --transparent false --tint 0x808080 >>"$E2E_DIR/trayer.log" 2>&1 &
  TRAY_PID=$!
  E2E_PIDS+=("$TRAY_PID")
  wait_until "trayer's panel" tray_panel_id
}

window_manager_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Prints the window id of trayer's panel; fails when there is none.
tray_panel_id() {
  local id
  id=$(xwininfo -root -tree 2>/dev/null | awk '/"panel": \("panel" "trayer"\)/ { print $1; exit }')
  [[ -n $id ]] && echo "$id"
}

# Prints the ids of the mapped "KovaShell" windows embedded in the tray.
tray_icon_ids() {
  local panel id
  panel=$(tray_panel_id) || return 0
  for id in $(xwininfo -id "$panel" -tree 2>/dev/null | awk '/"KovaShell": \(/ { print $1 }'); do
    if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      echo "$id"
    fi
  done
}

tray_icon_count() { tray_icon_ids | wc -l; }
tray_icon_shown() { (($(tray_icon_count) == 1)); }
tray_icon_absent() { (($(tray_icon_count) == 0)); }

# Prints "X Y WIDTH HEIGHT" of the tray icon, in root coordinates.
tray_icon_geometry() {
  local id
  id=$(tray_icon_ids | head -n 1)
  [[ -n $id ]] || fail "no tray icon"
  xwininfo -id "$id" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { print x, y, w, h }'
}

# Moves the pointer to the middle of the tray icon.
point_at_tray_icon() {
  local x y w h
  read -r x y w h < <(tray_icon_geometry) || true
  [[ -n ${h:-} ]] || fail "no tray icon to point at"
  # No --sync: it waits in vain when the pointer is already there.
  xdotool mousemove $((x + w / 2)) $((y + h / 2))
}

# Prints the mapped windows of process PID (at any depth, so it works with and
# without a window manager), one "ID<TAB>OVERRIDE<TAB>TYPE<TAB>TITLE<TAB>
# DESKTOP<TAB>STATES" line each: OVERRIDE is yes for popups such as menus, TYPE
# the end of the window type (DIALOG, POPUP_MENU ...), DESKTOP the workspace
# (4294967295: all), STATES the _NET_WM_STATE names without the prefix. The
# tray icon's own window is left out. One X connection a call, however many
# windows there are (kova-xwindows, built beside the program; KOVA_XWINDOWS
# names it where a test runs a copy of the program from elsewhere).
windows_of() { "${KOVA_XWINDOWS:-$(dirname "$KOVASHELL")/kova-xwindows}" "$1"; }

# Prints the ids of the mapped popups of PID: override-redirect windows such as
# menus, but not the tooltip that hovering over the icon shows.
popups_of() { windows_of "$1" | awk -F '\t' '$2 == "yes" && $3 != "TOOLTIP" { print $1 }'; }

# Prints the ids of the mapped dialogs (message boxes) of PID titled TITLE.
dialogs_of() {
  windows_of "$1" | awk -F '\t' -v t="$2" '$2 == "no" && $3 == "DIALOG" && $4 == t { print $1 }'
}

has_popup() { [[ -n $(popups_of "$1") ]]; }
has_no_popup() { [[ -z $(popups_of "$1") ]]; }
has_dialog() { [[ -n $(dialogs_of "$1" "$2") ]]; }
has_no_dialog() { [[ -z $(dialogs_of "$1" "$2") ]]; }

# focus_on WINDOW: gives WINDOW the keyboard focus; true once it has it.
# Without a window manager nothing else hands focus to a new window.
focus_on() {
  [[ $(xdotool getwindowfocus 2>/dev/null) == "$(($1))" ]] && return 0
  xdotool windowfocus "$1" 2>/dev/null
  [[ $(xdotool getwindowfocus 2>/dev/null) == "$(($1))" ]]
}

# screenshot NAME: saves the whole screen to the artifacts folder and prints
# the file's path.
screenshot() {
  local file=$E2E_ARTIFACTS/$E2E_NAME-$1.png
  import -window root "$file"
  echo "$file"
}

# --- the program -----------------------------------------------------------

# start_kovashell [ARGS...]: starts the program in the background; its pid is
# in KOVA_PID, its output in $E2E_DIR/kovashell-N.log (N counts the starts).
start_kovashell() {
  E2E_STARTS=$((${E2E_STARTS:-0} + 1))
  "$KOVASHELL" "$@" >"$E2E_DIR/kovashell-$E2E_STARTS.log" 2>&1 &
  KOVA_PID=$!
  E2E_PIDS+=("$KOVA_PID")
}

# Opens the tray menu with a right press on the icon: the menu must be up
# before the button is released.
open_tray_menu() {
  # Right after a menu item was chosen, the closing menu may still hold the
  # pointer and eat a press: wait for it to go, and press again if needed.
  wait_until "the previous menu to close" has_no_popup "$KOVA_PID"
  local try
  for try in 1 2 3; do
    point_at_tray_icon
    xdotool mousedown 3
    if E2E_TIMEOUT=3 try_until has_popup "$KOVA_PID"; then
      xdotool mouseup 3
      return 0
    fi
    xdotool mouseup 3
    sleep 0.5
  done
  fail "the tray menu did not open on the right press: $(screenshot no-menu)"
}

# try_until COMMAND...: like wait_until, but returns false instead of failing.
try_until() {
  local deadline
  wait_deadline
  until "$@" >/dev/null; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}
