#!/usr/bin/env bash
# A screen that shrinks while KovaShell runs (Xorg's dummy driver switched
# with xrandr, as when a monitor goes): a note left off the screen comes onto
# it, its file keeps its own place, and it goes back there when the screen is
# large again.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../../scripts/lib/note_files.sh"
e2e_init "$1"
if [[ ! -x /usr/bin/Xorg || ! -f /usr/lib/xorg/modules/drivers/dummy_drv.so ]]; then
  skip "Xorg with the dummy driver is not installed (xserver-xorg-video-dummy)"
fi

cat >"$E2E_DIR/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1920x1080" "1024x768"
    Virtual 1920 1080
  EndSubSection
EndSection
CONF
: >"$E2E_DIR/display"
Xorg -displayfd 9 -config "$E2E_DIR/xorg.conf" -noreset -nolisten tcp \
  -logfile "$E2E_DIR/xorg-server.log" 9>"$E2E_DIR/display" >"$E2E_DIR/xorg.log" 2>&1 &
E2E_PIDS+=($!)
wait_until "Xorg to report its display" grep -q '[0-9]' "$E2E_DIR/display"
export DISPLAY=:$(tr -dc '0-9' <"$E2E_DIR/display")
E2E_OWN_DISPLAY=$DISPLAY
start_session_bus
start_tray

# A note at (1500, 300), right of where a 1024-pixel screen ends.
write_note_files "$KOVASHELL_HOME" 0 "rescue me" top=4500 left=22500
cp "$KOVASHELL_HOME/KovaShell0.hsn" "$E2E_DIR/note.hsn"
note_place() {
  local id
  id=$(note_ids | head -n 1)
  [[ -n $id ]] || return 1
  xwininfo -id "$id" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } END { print x, y, w }'
}
note_at() { [[ $(note_place | cut -d' ' -f1,2) == "$1 $2" ]]; }
note_on_small_screen() {
  local x y w
  read -r x y w < <(note_place) || return 1
  ((x >= 0 && x + w <= 1024))
}

start_kovashell_with_icon
wait_until "the note at its place" note_at 1500 300
xrandr -s 1024x768
wait_until "the note onto the smaller screen" note_on_small_screen
echo "rescued: $(screenshot rescued)"
cmp "$E2E_DIR/note.hsn" "$KOVASHELL_HOME/KovaShell0.hsn" || fail "the rescue rewrote the note's file"
xrandr -s 1920x1080
wait_until "the note back at its own place" note_at 1500 300
process_alive "$KOVA_PID" || fail "KovaShell ended"
