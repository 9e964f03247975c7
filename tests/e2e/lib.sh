# shellcheck shell=bash
# Shared helpers of the end-to-end tests. A test sources this file, calls
# e2e_init with the path of the KovaShell binary, then start_x, and drives the
# real program with xdotool. Every wait is a bounded poll; every process a test
# starts is ended by the EXIT trap.
#
# Each test runs with a fresh HOME, XDG_CONFIG_HOME, XDG_DATA_HOME,
# XDG_RUNTIME_DIR and KOVASHELL_HOME inside its own temporary folder, on its
# own X display (Xvfb picks a free number), with no session manager and a
# private session bus (start_x starts it, start_session_bus where a test makes
# its own display), so nothing of the machine's desktop leaks in or is touched.
#
# The display, process and window helpers (start_x, wait_until, fail,
# windows_of, open_tray_menu, screenshot ...) come from scripts/lib/xserver.sh,
# the note file writer from scripts/lib/note_files.sh, the status-notifier
# panels from scripts/lib/panels.sh.

set -euo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/xserver.sh
source "$E2E_LIB_DIR/../../scripts/lib/xserver.sh"
# shellcheck source=../../scripts/lib/note_files.sh
source "$E2E_LIB_DIR/../../scripts/lib/note_files.sh"
# shellcheck source=../../scripts/lib/panels.sh
source "$E2E_LIB_DIR/../../scripts/lib/panels.sh"
E2E_NAME=$(basename "${BASH_SOURCE[1]:-$0}" .sh)

# --- set-up ----------------------------------------------------------------

# e2e_init KOVASHELL_BINARY
e2e_init() {
  KOVASHELL=${1:?path of the KovaShell binary}
  [[ -x $KOVASHELL ]] || { echo "not executable: $KOVASHELL" >&2; exit 2; }
  KOVA_XWINDOWS=$(dirname "$KOVASHELL")/kova-xwindows
  E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kova-e2e.XXXXXX")
  E2E_ARTIFACTS=${E2E_ARTIFACTS:-$E2E_DIR/artifacts}
  mkdir -p "$E2E_ARTIFACTS"
  rm -f "$E2E_ARTIFACTS/$E2E_NAME"-*.png
  exit_traps
  e2e_fresh_home
  # The program finds a session bus as on a desktop (start_x starts it).
  E2E_SESSION_BUS=1
}

# A clean user: every folder the program or Qt may write to lies in E2E_DIR.
e2e_fresh_home() {
  private_home
  # Programs a test provides (stand-ins for desktop tools) come first.
  mkdir -p "$E2E_DIR/bin"
  export PATH=$E2E_DIR/bin:$PATH

  # A fresh start asks to install the desktop-icon component unless it is
  # registered. Tests of that question set E2E_NO_PREREGISTER=1.
  if [[ -z ${E2E_NO_PREREGISTER:-} ]]; then
    e2e_preregister_component
  fi
}

e2e_preregister_component() { register_desktop_icon_component; }

# --- the program -----------------------------------------------------------

# Starts the program and waits until its icon is in the tray. A message box
# instead of the icon fails at once, with a screenshot that shows it.
start_kovashell_with_icon() {
  start_kovashell "$@"
  local deadline
  wait_deadline
  until tray_icon_shown; do
    process_alive "$KOVA_PID" || fail "KovaShell ended during start-up"
    if has_dialog "$KOVA_PID" KovaShell; then
      fail "KovaShell showed a message box at start-up: $(screenshot startup-message)"
    fi
    ((SECONDS < deadline)) || waited_too_long "the tray icon"
    sleep 0.1
  done
}

# Path of the settings file of the running test.
settings_file() { echo "$KOVASHELL_HOME/KovaShell.ini"; }

# setting SECTION KEY: the value as stored (first match, names without case).
setting() {
  local section=$1 key=$2
  [[ -f $(settings_file) ]] || return 0
  tr -d '\r' <"$(settings_file)" | awk -v s="$section" -v k="$key" '
    /^\[.*\]$/ { in_section = tolower(substr($0, 2, length($0) - 2)) == tolower(s); next }
    in_section && index($0, "=") {
      name = substr($0, 1, index($0, "=") - 1)
      if (tolower(name) == tolower(k)) { print substr($0, index($0, "=") + 1); exit }
    }'
}

setting_is() { [[ $(setting "$1" "$2") == "$3" ]]; }

# The mapped note windows of the running program (title "付箋紙"), one id a line.
note_ids() { windows_of "$KOVA_PID" | awk -F '\t' '$4 == "付箋紙" { print $1 }'; }
notes_shown() { [[ -n $(note_ids) ]]; }

# The id of the program's shown window titled TITLE, if there is one.
window_titled() { windows_of "$KOVA_PID" | awk -F '\t' -v t="$1" '$4 == t { print $1; exit }'; }
has_window_titled() { [[ -n $(window_titled "$1") ]]; }
has_no_window_titled() { [[ -z $(window_titled "$1") ]]; }

# --- the note editor -------------------------------------------------------

editor_id() { window_titled Kova付箋紙; }
has_editor() { [[ -n $(editor_id) ]]; }
has_no_editor() { [[ -z $(editor_id) ]]; }

# post_from_editor TEXT: in the open editor, replaces the text with TEXT and
# posts it with the 貼り付け button.
post_from_editor() {
  local x y w h
  wait_until "the editor" has_editor
  wait_until "the editor to take the keyboard" focus_on "$(editor_id)"
  xdotool key ctrl+a
  xdotool type "$1"
  # 貼り付け sits left of Cancel in the editor's bottom right corner.
  read -r x y w h < <(xwininfo -id "$(editor_id)" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
  xdotool mousemove $((x + w - 94)) $((y + h - 17)) click 1
  wait_until "the editor to post the note" has_no_editor
}

# --- menus -----------------------------------------------------------------

# The menus' items in order, one table each (format in tray_menu.txt); a
# widget test keeps them in step with the program.
TRAY_MENU_TABLE=$E2E_LIB_DIR/tray_menu.txt
NOTE_MENU_TABLE=$E2E_LIB_DIR/note_menu.txt
# The entries a "{NAME}" line of a table shows now, one caption a line.
declare -A MENU_ENTRIES=()

# menu_entries NAME CAPTION...: the entries of {NAME} that the menu shows now
# (for example one per hidden note), in menu order; none clears them.
menu_entries() {
  local name=$1
  shift
  if (($# == 0)); then
    unset "MENU_ENTRIES[$name]"
  else
    MENU_ENTRIES[$name]=$(printf '%s\n' "$@")
  fi
}

# menu_keys TABLE CAPTION...: prints the keys that lead to the item at the
# caption path (a submenu's caption, then the item's) in a menu just opened
# with the mouse, where no item is selected yet: Down selects the first item,
# separators and hidden items are passed over, Right opens a submenu with its
# first item selected. The keys end on the item, one level per line. A path
# step "{NAME}K" is the K-th entry that {NAME} shows.
menu_keys() {
  local table=$1
  shift
  local -a path=("$@")
  local level=0 passed=0 line caption depth name k entry
  local -a entries keys
  while IFS= read -r line; do
    [[ -z ${line// /} || $line == \#* ]] && continue
    caption=${line#"${line%%[! ]*}"}
    depth=$(((${#line} - ${#caption}) / 2))
    ((depth > level)) && continue # inside a submenu passed over
    ((depth < level)) && break    # the submenu ended without the item
    entries=()
    case $caption in
      -) continue ;;
      "{"*"}")
        name=${caption:1:-1}
        [[ -n ${MENU_ENTRIES[$name]:-} ]] && readarray -t entries <<<"${MENU_ENTRIES[$name]}"
        ;;
      *" !{"*"}")
        name=${caption##* !\{}
        name=${name%\}}
        [[ -n ${MENU_ENTRIES[$name]:-} ]] && continue
        entries=("${caption% !\{*}")
        name=""
        ;;
      *) entries=("$caption") name="" ;;
    esac
    for k in "${!entries[@]}"; do
      entry=${entries[k]}
      if [[ ${path[level]} == "$entry" || (-n $name && ${path[level]} == "{$name}$((k + 1))") ]]; then
        # The first level starts with nothing selected, a submenu on its first item.
        keys=()
        ((level == 0)) && keys+=(Down)
        for ((; passed > 0; passed--)); do keys+=(Down); done
        if ((level + 1 == ${#path[@]})); then
          echo "${keys[*]}"
          return 0
        fi
        keys+=(Right)
        echo "${keys[*]}"
        level=$((level + 1))
        passed=0
        continue 2
      fi
      passed=$((passed + 1))
    done
  done <"$table"
  fail "no item '${path[*]:0:level+1}' in $(basename "$table") (shown entries: ${!MENU_ENTRIES[*]})"
}

# select_menu_item TABLE CAPTION...: moves the selection of the open menu to
# the item, opening the submenus on the way. The menu is the program's own,
# or MENU_PID's (a panel drawing the exported menu).
select_menu_item() {
  local table=$1 keys line before
  shift
  keys=$(menu_keys "$table" "$@") || exit 1
  while IFS= read -r line; do
    before=$(popups_of "${MENU_PID:-$KOVA_PID}" | wc -l)
    # shellcheck disable=SC2086
    [[ -z $line ]] || xdotool key $line
    if [[ $line == *Right ]]; then
      wait_until "the submenu to open" popups_more_than "$before"
    fi
  done <<<"$keys"
}

popups_more_than() { (($(popups_of "${MENU_PID:-$KOVA_PID}" | wc -l) > $1)); }

# select_tray_item CAPTION...: in the open tray menu, moves to the item at the
# caption path, for example 付箋紙 [新規作成]; choose_tray_item also picks it.
select_tray_item() { select_menu_item "$TRAY_MENU_TABLE" "$@"; }
choose_tray_item() {
  select_tray_item "$@"
  xdotool key Return
}

# choose_note_menu_item CAPTION: picks the item of the open note menu.
choose_note_menu_item() {
  select_menu_item "$NOTE_MENU_TABLE" "$@"
  xdotool key Return
}

# --- status-notifier panels (scripts/lib/panels.sh) ----------------------

# One face in the tray: the item, and neither Qt's XEmbed icon nor the
# handle (both titled "KovaShell") besides it.
only_the_item_shown() { has_kova_item && has_no_window_titled KovaShell; }

# The exported menu's captions are those the tray menu's table says it shows
# now (run-time entries as given with menu_entries), in menu order.
captions_match() {
  local menu exported expected="" line caption name
  menu=$(gdbus call --session -d "$(kova_item)" -o /StatusNotifierItem \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Menu | grep -o "/[^']*")
  exported=$(gdbus call --session -d "$(kova_item)" -o "$menu" -m com.canonical.dbusmenu.GetLayout \
    -- 0 -1 '[]' | grep -o "'label': <'[^']*'>" | sed "s/^'label': <'//; s/'>$//")
  while IFS= read -r line; do
    caption=${line#"${line%%[! ]*}"} name=${line#*\{} name=${name%\}}
    case $caption in
      "" | "#"* | -) continue ;;
      "{"*) caption=${MENU_ENTRIES[$name]:-} ;;
      *" !{"*) [[ -n ${MENU_ENTRIES[$name]:-} ]] && continue || caption=${caption% !\{*} ;;
    esac
    [[ -z $caption ]] || expected+=$caption$'\n'
  done <"$TRAY_MENU_TABLE"
  [[ $exported$'\n' == "$expected" ]] || fail "the exported menu holds: ${exported//$'\n'/ }"
}
