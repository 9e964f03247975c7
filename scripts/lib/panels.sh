# shellcheck shell=bash
# Real status-notifier panels on the private display of scripts/lib/xserver.sh
# (sourced first), each with nothing but its tray, across the top of the
# screen: LXQt's (status-notifier items only) and Xfce's (those and XEmbed
# icons in one tray), on the private session bus of start_session_bus
# (scripts/lib/xserver.sh); what their watcher holds, read with gdbus. For the end-to-end tests and the idle benchmark.

# start_panel lxqt|xfce: its pid in PANEL_PID, once its host is registered.
start_panel() {
  local xfconf=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
  mkdir -p "$XDG_CONFIG_HOME/lxqt" "$xfconf"
  printf '[General]\n__userfile__=true\n[panel1]\nplugins=statusnotifier\nposition=Top\npanelSize=32\n[statusnotifier]\ntype=statusnotifier\n' \
    >"$XDG_CONFIG_HOME/lxqt/panel.conf"
  printf '%s' '<?xml version="1.0"?><channel name="xfce4-panel" version="1.0">' \
    '<property name="configver" type="int" value="2"/><property name="panels" type="array">' \
    '<value type="int" value="1"/><property name="panel-1" type="empty">' \
    '<property name="position" type="string" value="p=6;x=0;y=0"/>' \
    '<property name="length" type="uint" value="100"/><property name="size" type="uint" value="32"/>' \
    '<property name="plugin-ids" type="array"><value type="int" value="1"/></property></property>' \
    '</property><property name="plugins" type="empty">' \
    '<property name="plugin-1" type="string" value="systray"/></property></channel>' \
    >"$xfconf/xfce4-panel.xml"
  case $1 in
    lxqt) lxqt-panel >>"$E2E_DIR/lxqt-panel.log" 2>&1 & ;;
    xfce) xfce4-panel >>"$E2E_DIR/xfce4-panel.log" 2>&1 & ;;
  esac
  PANEL_PID=$!
  E2E_PIDS+=("$PANEL_PID")
  wait_until "the $1 panel's status-notifier host" eval \
    'watcher_property IsStatusNotifierHostRegistered | grep -q true'
}

stop_panel() {
  stop_process "$PANEL_PID"
  wait_until "the panel's watcher to go" eval '! watcher_property ProtocolVersion'
}

watcher_property() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}

# kova_item: the bus name of the program's item, if the watcher holds it.
kova_item() {
  watcher_property RegisteredStatusNotifierItems |
    grep -o "org\.kde\.StatusNotifierItem-$KOVA_PID-[0-9]*" | head -n 1
}
has_kova_item() { [[ -n $(kova_item) ]]; }
