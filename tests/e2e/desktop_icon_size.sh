#!/usr/bin/env bash
# The desktop's own icon size, on one desktop: the user's size (not the
# desktop's default) before KovaShell, small while it runs (the first-run
# start-up option), exactly the user's size again after "終了"; then small
# again, KovaShell killed, and KovaRemover putting the user's size back.
# Real desktop processes are photographed: the icons' drawn size must shrink
# and come back. Desktops that cannot run here are checked by their setting.
# Usage: desktop_icon_size.sh KOVASHELL_BINARY DESKTOP
# DESKTOP: xfce mate cinnamon cinnamon-legacy lxqt lxde budgie flashback ding ding-extension gtk4-ding plasma
# (plasma needs PLASMA_STANDIN, the test's stand-in for plasmashell).

desktop=${2:?which desktop}
source "$(dirname "$0")/lib.sh"
E2E_NAME=desktop_icon_size-$desktop

# nemo-desktop refuses to run as root: the test goes on as nobody, its
# screenshots copied back afterwards.
if [[ $desktop == cinnamon* && $(id -u) == 0 ]]; then
  command -v setpriv >/dev/null || skip "setpriv is needed to leave root"
  shots=$(mktemp -d "${TMPDIR:-/tmp}/shots.XXXXXX")
  chmod 0777 "$shots"
  status=0
  E2E_ARTIFACTS=$shots setpriv --reuid=nobody --regid=nogroup --clear-groups \
    bash "$0" "$@" || status=$?
  if [[ -n ${E2E_ARTIFACTS:-} ]]; then
    mkdir -p "$E2E_ARTIFACTS"
    cp "$shots"/*.png "$E2E_ARTIFACTS/" 2>/dev/null || true
  fi
  rm -rf "$shots"
  exit "$status"
fi

# The desktops make hundreds of windows: the helpers' walk through all of them
# takes seconds a look. Only the windows that carry the process's pid are looked at.
windows_of() {
  local pid=$1 id props info type title icons
  icons=" $(tray_icon_ids | tr '\n' ' ') "
  for id in $(xdotool search --pid "$pid" 2>/dev/null); do
    id=$(printf '0x%x' "$id")
    [[ $icons == *" $id "* ]] && continue
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    props=$(xprop -id "$id" _NET_WM_WINDOW_TYPE _NET_WM_NAME 2>/dev/null) || continue
    type=$(sed -n 's/^_NET_WM_WINDOW_TYPE.*= _NET_WM_WINDOW_TYPE_\([A-Z_]*\).*/\1/p' <<<"$props")
    title=$(sed -n 's/^_NET_WM_NAME.*= "\(.*\)"$/\1/p' <<<"$props")
    printf '%s\t%s\t%s\t%s\n' "$id" \
      "$(awk '/Override Redirect State:/ { print $4 }' <<<"$info")" "${type:-NORMAL}" "$title"
  done
}

e2e_init "$1"
BUILD_BIN=$(dirname "$KOVASHELL")
KEPT=$XDG_CONFIG_HOME/KovaShell/desktop-icon-size.ini
export GSETTINGS_BACKEND=keyfile

# --- each desktop: what it needs, its setting, the user's size and small ----

need() {
  local program
  for program in "$@"; do
    command -v "$program" >/dev/null || skip "$program is not installed (scripts/install-deps.sh)"
  done
}

gsettings_of() { gsettings get "$1" "$2" | tr -d "'"; }

# The drawn icons are looked at on a plain background.
case $desktop in
  xfce)
    need xfdesktop xfwm4 xfconf-query
    export XDG_CURRENT_DESKTOP=XFCE
    setting() { xfconf-query -c xfce4-desktop -p /desktop-icons/icon-size; }
    OWN=64 SMALL=32
    prepare() {
      xfconf-query -c xfce4-desktop -p /desktop-icons/icon-size -n -t uint -s "$OWN"
      xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorscreen/workspace0/image-style \
        -n -t int -s 0
    }
    start_desktop() { start_bg xfwm4 xfwm4 --sm-client-disable; start_bg xfdesktop xfdesktop; }
    ;;
  mate)
    need caja
    export XDG_CURRENT_DESKTOP=MATE
    setting() { gsettings_of org.mate.caja.icon-view default-zoom-level; }
    OWN=large SMALL=small
    prepare() {
      gsettings set org.mate.caja.icon-view default-zoom-level "$OWN"
      gsettings set org.mate.background picture-filename ''
      gsettings set org.mate.background color-shading-type solid
      gsettings set org.mate.background primary-color '#336699'
    }
    start_desktop() { start_openbox; start_bg caja caja --force-desktop --no-default-window; }
    ;;
  cinnamon)
    need nemo-desktop
    export XDG_CURRENT_DESKTOP=X-Cinnamon
    METADATA=$XDG_CONFIG_HOME/nemo/desktop-metadata
    setting() { sed -n 's/^nemo-icon-view-zoom-level=//p' "$METADATA" | head -n 1; }
    OWN=4 SMALL=2
    prepare() {
      mkdir -p "$(dirname "$METADATA")"
      printf '[desktop-monitor-0]\nnemo-icon-view-zoom-level=%s\n' "$OWN" >"$METADATA"
      gsettings set org.cinnamon.desktop.background picture-options none
    }
    start_desktop() { start_openbox; start_bg nemo-desktop nemo-desktop; }
    DESKTOP_PROCESS=nemo-desktop
    ;;
  cinnamon-legacy)
    # With the grid off, nemo-desktop's view follows the icon view's zoom live.
    need nemo-desktop
    export XDG_CURRENT_DESKTOP=X-Cinnamon
    setting() { gsettings_of org.nemo.icon-view default-zoom-level; }
    OWN=large SMALL=small
    prepare() {
      gsettings set org.nemo.desktop use-desktop-grid false
      gsettings set org.nemo.icon-view default-zoom-level "$OWN"
      gsettings set org.cinnamon.desktop.background picture-options none
    }
    start_desktop() { start_openbox; start_bg nemo-desktop nemo-desktop; }
    DESKTOP_PROCESS=nemo-desktop
    ;;
  lxqt)
    need pcmanfm-qt
    export XDG_CURRENT_DESKTOP=LXQt
    CONF=$XDG_CONFIG_HOME/pcmanfm-qt/lxqt/settings.conf
    setting() { sed -n 's/^DesktopIconSize=//p' "$CONF"; }
    OWN=64 SMALL=32
    prepare() {
      mkdir -p "$(dirname "$CONF")"
      printf '[Desktop]\nDesktopIconSize=%s\nWallpaperMode=none\nBgColor=#336699\n' "$OWN" >"$CONF"
      # LXQt's own icon theme setting, which Qt follows under XDG_CURRENT_DESKTOP=LXQt.
      mkdir -p "$XDG_CONFIG_HOME/lxqt"
      printf '[General]\nicon_theme=Adwaita\n' >"$XDG_CONFIG_HOME/lxqt/lxqt.conf"
    }
    start_desktop() { start_openbox; start_bg pcmanfm-qt pcmanfm-qt --desktop --profile=lxqt; }
    DESKTOP_PROCESS=pcmanfm-qt
    ;;
  lxde)
    need pcmanfm
    export XDG_CURRENT_DESKTOP=LXDE
    CONF=$XDG_CONFIG_HOME/libfm/libfm.conf
    setting() { sed -n 's/^big_icon_size=//p' "$CONF"; }
    OWN=64 SMALL=32
    prepare() {
      mkdir -p "$(dirname "$CONF")" "$XDG_CONFIG_HOME/pcmanfm/default"
      sed "s/^big_icon_size=.*/big_icon_size=$OWN/" /etc/xdg/libfm/libfm.conf >"$CONF"
      printf '[*]\nwallpaper_mode=color\ndesktop_bg=#336699\n' \
        >"$XDG_CONFIG_HOME/pcmanfm/default/desktop-items-0.conf"
    }
    start_desktop() { start_openbox; start_bg pcmanfm pcmanfm --desktop; }
    DESKTOP_PROCESS=pcmanfm
    ;;
  budgie | flashback | ding | ding-extension | gtk4-ding)
    case $desktop in
      budgie)
        export XDG_CURRENT_DESKTOP=Budgie:GNOME
        SCHEMA=org.buddiesofbudgie.budgie-desktop-view OWN=large SMALL=small ;;
      flashback)
        export XDG_CURRENT_DESKTOP=GNOME-Flashback:GNOME
        SCHEMA=org.gnome.gnome-flashback.desktop.icons OWN=64px SMALL=32px ;;
      *)
        export XDG_CURRENT_DESKTOP=ubuntu:GNOME
        SCHEMA=org.gnome.shell.extensions.ding OWN=large SMALL=small ;;
    esac
    gsettings range "$SCHEMA" icon-size >/dev/null 2>&1 ||
      skip "the schema $SCHEMA is not installed (scripts/install-deps.sh)"
    schemadir=()
    if [[ $desktop == ding-extension || $desktop == gtk4-ding ]]; then
      # As installed from the extensions site: the schema only in the
      # extension's own folder, none with the system's. The Gtk 4 fork's is
      # DING's under its own names.
      uuid=ding@rastersoft.com name=ding
      [[ $desktop == gtk4-ding ]] && uuid=gtk4-ding@smedius.gitlab.com name=gtk4-ding
      schemas=$XDG_DATA_HOME/gnome-shell/extensions/$uuid/schemas
      mkdir -p "$schemas" "$E2E_DIR/share"
      sed "s/extensions\.ding/extensions.$name/g; s/extension\.ding/extension.$name/g; s|/ding/|/$name/|" \
        "/usr/share/glib-2.0/schemas/$SCHEMA.gschema.xml" >"$schemas/org.gnome.shell.extensions.$name.gschema.xml"
      glib-compile-schemas "$schemas"
      export XDG_DATA_DIRS=$E2E_DIR/share
      gsettings range "$SCHEMA" icon-size >/dev/null 2>&1 && fail "the system's schema is still seen"
      SCHEMA=org.gnome.shell.extensions.$name schemadir=(--schemadir "$schemas")
    fi
    gsettings_of() { gsettings "${schemadir[@]}" get "$1" "$2" | tr -d "'"; }
    prepare() { gsettings "${schemadir[@]}" set "$SCHEMA" icon-size "$OWN"; }
    setting() { gsettings_of "$SCHEMA" icon-size; }
    start_desktop() { :; }
    ;;
  plasma)
    [[ -x ${PLASMA_STANDIN:-} ]] || skip "PLASMA_STANDIN names no stand-in for plasmashell"
    export XDG_CURRENT_DESKTOP=KDE
    OWN=4 SMALL=1
    SCRIPTS=$E2E_DIR/plasma-scripts.log
    prepare() { :; }
    start_desktop() {
      start_bg plasmashell "$PLASMA_STANDIN" "$SCRIPTS" "$OWN"
      wait_until "the stand-in to own org.kde.plasmashell" plasma_size
    }
    plasma_size() {
      gdbus call --session --dest org.kde.plasmashell --object-path /PlasmaShell \
        --method org.kde.PlasmaShell.evaluateScript \
        'var ds = desktops(); for (var i = 0; i < ds.length; ++i) { print(ds[i].readConfig("iconSize")); break; }' |
        sed -n "s/^('\([0-9]*\).*/\1/p"
    }
    setting() { plasma_size; }
    ;;
  *) fail "unknown desktop '$desktop'" ;;
esac

# start_bg NAME PROGRAM ARGS...: a desktop process in the background.
start_bg() {
  local name=$1
  shift
  "$@" >"$E2E_DIR/$name.log" 2>&1 &
  E2E_PIDS+=($!)
}
start_openbox() {
  start_bg openbox openbox --sm-disable
  wait_until "openbox to manage the screen" window_manager_running
}

# The desktop processes the component started anew are the test's to end too.
restarted_desktops() {
  local pid
  [[ -n ${DESKTOP_PROCESS:-} && -n ${KOVA_TEST_RUN:-} ]] || return 0
  for pid in $(pgrep -u "$(id -u)" -x "$DESKTOP_PROCESS"); do
    grep -qzx "KOVA_TEST_RUN=$KOVA_TEST_RUN" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
  return 0
}
# shellcheck disable=SC2207
trap 'E2E_STATUS=$?; set +e; E2E_PIDS+=($(restarted_desktops)); (exit $E2E_STATUS); exit_cleanup' EXIT
window_closed() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

PHOTOGRAPHED=""
[[ $desktop =~ ^(xfce|mate|cinnamon|cinnamon-legacy|lxqt|lxde)$ ]] && PHOTOGRAPHED=1

# Height of what the desktop draws in its icon column (icons and names) on
# the plain background; the tray is at the other end of the screen.
drawn_height() {
  local shot=$E2E_DIR/now.png
  import -window root "$shot"
  convert "$shot" -crop 400x768+0+0 +repage -fuzz 10% -trim -format '%h' info:
}
# Waits until the drawn height has settled and is TEST ($1: smaller, same).
height_becomes() {
  local want=$1 h
  h=$(drawn_height)
  [[ $h == "$LAST_HEIGHT" ]] || { LAST_HEIGHT=$h; return 1; }
  case $want in
    shown) ((h > 20)) ;;
    smaller) ((h > 20 && h + 8 <= BEFORE_HEIGHT)) ;;
    same) ((h >= BEFORE_HEIGHT - 2 && h <= BEFORE_HEIGHT + 2)) ;;
  esac
}
setting_is_now() { [[ $(setting) == "$1" ]]; }
kept_is() { [[ $(tr -d '\r' <"$KEPT" 2>/dev/null | sed -n 's/^[^=]*=//p' | sort -u | tr -d '\n') == "$1" ]]; }

# --- before -------------------------------------------------------------------

start_x --no-tray
mkdir -p "$HOME/Desktop"
echo "a file on the desktop" >"$HOME/Desktop/note.txt"
prepare
start_desktop
start_tray
[[ $(setting) == "$OWN" ]] || fail "the user's size is '$(setting)', not $OWN"
LAST_HEIGHT=""
if [[ -n $PHOTOGRAPHED ]]; then
  wait_until "the desktop to draw its icons" height_becomes shown
  BEFORE_HEIGHT=$LAST_HEIGHT
  echo "before: ${BEFORE_HEIGHT}px high: $(screenshot before)"
fi

# --- small while KovaShell runs, the user's size after "終了" -------------------

exit_from_menu() {
  open_tray_menu
  select_tray_item 終了
  sleep 0.2
  xdotool key Return
  wait_until "KovaShell to end after 終了" process_gone "$KOVA_PID"
  exit_status_of "$KOVA_PID"
  ((EXIT_STATUS == 0)) || fail "KovaShell ended with status $EXIT_STATUS"
}

start_kovashell_with_icon
wait_until "the desktop's setting to become small ($SMALL)" setting_is_now "$SMALL"
kept_is "$OWN" || fail "the user's size is not kept: $(cat "$KEPT" 2>/dev/null)"
if [[ -n $PHOTOGRAPHED ]]; then
  wait_until "the drawn icons to shrink" height_becomes smaller
  echo "small: ${LAST_HEIGHT}px high: $(screenshot small)"
fi

exit_from_menu
wait_until "the desktop's setting to be the user's $OWN again" setting_is_now "$OWN"
if [[ -n $PHOTOGRAPHED ]]; then
  wait_until "the drawn icons to be as large as before" height_becomes same
  echo "after 終了: ${LAST_HEIGHT}px high: $(screenshot after-exit)"
fi
wait_until "the kept size to be forgotten" kept_is ""

# --- killed while small, then KovaRemover ---------------------------------------

start_kovashell_with_icon
wait_until "small icons at the second start" setting_is_now "$SMALL"
kill -KILL "$KOVA_PID"
wait_until "KovaShell to be gone" process_gone "$KOVA_PID"
kept_is "$OWN" || fail "the kill lost the user's size: $(cat "$KEPT" 2>/dev/null)"

"$BUILD_BIN/KovaRemover" >"$E2E_DIR/remover.log" 2>&1 &
REMOVER_PID=$!
E2E_PIDS+=("$REMOVER_PID")
# Yes to the removal, No to the log-off.
for key in Return Escape; do
  wait_until "KovaRemover's question" has_dialog "$REMOVER_PID" KovaRemover
  box=$(dialogs_of "$REMOVER_PID" KovaRemover | head -n 1)
  wait_until "the question to take the focus" focus_on "$box"
  xdotool key "$key"
  wait_until "the question to close" window_closed "$box"
done
wait_until "KovaRemover to end" process_gone "$REMOVER_PID"
wait_until "KovaRemover to put the user's $OWN back" setting_is_now "$OWN"
wait_until "KovaRemover to forget the kept size" kept_is ""
if [[ -n $PHOTOGRAPHED ]]; then
  wait_until "the drawn icons to be as large as before, after KovaRemover" height_becomes same
  echo "after KovaRemover: ${LAST_HEIGHT}px high: $(screenshot after-remover)"
fi
exit 0
