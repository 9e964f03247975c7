#!/usr/bin/env bash
# A full disk never costs the user a file: on a small tmpfs filled to the
# last block, start-up's write of [desktop] click fails without a word and
# leaves KovaShell.ini as it was; a drag that cannot be saved says so in a
# message box and leaves the note's field file as it was; no temporary file
# stays behind. Then, on an ordinary folder, kill -9 in the middle of drags
# and edits never leaves a note file cut short or a temporary file behind.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

full_disk=$KOVASHELL_HOME
mounted=""

# The program must end before its data folder can be unmounted.
full_disk_cleanup() {
  local status=$?
  set +e
  ((status != 0 && status != E2E_SKIP)) && [[ -n ${E2E_OWN_DISPLAY:-} ]] && screenshot "failure-before-unmount" >/dev/null 2>&1
  [[ -n $KOVA_PID ]] && stop_process "$KOVA_PID"
  if [[ -n $mounted ]]; then
    umount "$full_disk" 2>/dev/null || umount -l "$full_disk"
  fi
  (exit "$status")
  exit_cleanup
}
trap full_disk_cleanup EXIT

if ! why=$(mount -t tmpfs -o size=256k,mode=0700 tmpfs "$full_disk" 2>&1); then
  skip "cannot mount a tmpfs here (${why:-mount refused})"
fi
mounted=yes

# store_note N TOP LEFT TEXT: a note file pair as the program writes it.
store_note() {
  printf '"%s"\r\n' "ＭＳ Ｐゴシック" 12 False False "&H80FFFF" "&H0" True "$2" "$3" \
    "" "" "" "" "" False | iconv -f UTF-8 -t CP932 >"$KOVASHELL_HOME/KovaShell$1.hsn"
  printf '%s\r\n' "$4" | iconv -f UTF-8 -t CP932 >"$KOVASHELL_HOME/KovaShell$1.log"
}

# The data folder's files, lock files left out.
data_files() {
  find "$KOVASHELL_HOME" -mindepth 1 -maxdepth 1 -printf '%f\n' | { grep -v -i 'lock' || true; } | LC_ALL=C sort
}

note_id() { note_ids | head -n 1; }
has_note() { [[ -n $(note_id) ]]; }

# drag X Y DX: presses on X Y and lets go DX pixels to the right.
drag() {
  xdotool mousemove "$1" "$2" mousedown 1
  xdotool mousemove $(($1 + $3 / 2)) "$2"
  xdotool mousemove $(($1 + $3)) "$2" mouseup 1
}

printf '[a1]\r\nb7=True\r\n[desktop]\r\nclick=2\r\n' >"$full_disk/KovaShell.ini"
store_note 0 1500 3000 "満杯のディスク" # at (200, 100)
dd if=/dev/zero of="$full_disk/fill" bs=4k >/dev/null 2>&1 || true
mkdir -p "$E2E_DIR/before"
cp -a "$full_disk"/KovaShell* "$E2E_DIR/before/"
files_before=$(data_files)
echo "full disk: $(df -k "$full_disk" | tail -n 1)"

start_x --wm
start_kovashell_with_icon # fails on a message box at start-up
wait_until "the note on the screen" has_note
cmp "$E2E_DIR/before/KovaShell.ini" "$full_disk/KovaShell.ini" ||
  fail "start-up changed the settings file on a full disk: $(od -c "$full_disk/KovaShell.ini" | head)"
has_no_dialog "$KOVA_PID" KovaShell || fail "a message at start-up: $(screenshot startup-message)"

drag 210 110 120
wait_until "the message that the note was not saved" has_dialog "$KOVA_PID" KovaShell
echo "not saved: $(screenshot not-saved)"
cmp "$E2E_DIR/before/KovaShell0.hsn" "$full_disk/KovaShell0.hsn" || fail "the failed drag changed the field file"
cmp "$E2E_DIR/before/KovaShell0.log" "$full_disk/KovaShell0.log" || fail "the failed drag changed the text file"
cmp "$E2E_DIR/before/KovaShell.ini" "$full_disk/KovaShell.ini" || fail "the settings file changed"
[[ $(data_files) == "$files_before" ]] || fail "files left behind: $(data_files | tr '\n' ' ')"

dialog=$(dialogs_of "$KOVA_PID" KovaShell | head -n 1)
wait_until "the message to take the keyboard" focus_on "$dialog"
xdotool key Return
wait_until "the message to close" has_no_dialog "$KOVA_PID" KovaShell
process_alive "$KOVA_PID" || fail "KovaShell ended after the failed save"
stop_process "$KOVA_PID"
umount "$full_disk"
mounted=""

# --- kill -9 during drags and edits, on the ordinary folder below ---------

# note_intact N: the field file has its 15 quoted lines, the text file ends
# with its CR LF.
note_intact() {
  local hsn=$KOVASHELL_HOME/KovaShell$1.hsn log=$KOVASHELL_HOME/KovaShell$1.log
  (($(LC_ALL=C grep -c $'^".*"\r$' "$hsn") == 15)) && (($(wc -l <"$hsn") == 15)) &&
    [[ $(tail -c 2 "$log" | od -An -c | tr -d ' ') == '\r\n' ]]
}

# edit_note TEXT: the note's editor, new text, posted with the 貼り付け button.
edit_note() {
  local x y note
  note=$(note_id)
  [[ -n $note ]] || fail "no note to edit"
  read -r x y < <(xwininfo -id "$note" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }')
  xdotool mousemove $((x + 8)) $((y + 8)) click 3
  wait_until "the note menu" has_popup "$KOVA_PID"
  xdotool key Down Return
  post_from_editor "$1"
}

rm -f "$KOVASHELL_HOME"/*
printf '[a1]\r\nb7=True\r\n[desktop]\r\nclick=0\r\n' >"$KOVASHELL_HOME/KovaShell.ini"
store_note 0 1500 3000 "kill -9 のメモ"
for round in 1 2 3; do
  start_kovashell_with_icon
  wait_until "the note on the screen" has_note
  edit_note "round $round"
  grep -q "round $round" "$KOVASHELL_HOME/KovaShell0.log" || fail "the edit of round $round was not saved"
  # Drags back and forth; the program is killed somewhere among them.
  (sleep "0.$((round * 3))" && kill -KILL "$KOVA_PID") &
  killer=$!
  for _ in 1 2 3 4 5 6; do
    # An empty id would make xwininfo wait for a click.
    note=$(note_id)
    [[ -n $note ]] || break
    read -r x y < <(xwininfo -id "$note" 2>/dev/null | awk '
      /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }') || break
    [[ -n ${y:-} ]] || break
    drag $((x + 10)) $((y + 10)) 40
    drag $((x + 50)) $((y + 10)) -40
  done
  wait "$killer" 2>/dev/null || true
  wait_until "the killed program to be gone" process_gone "$KOVA_PID"
  xdotool mouseup 1 2>/dev/null || true
  note_intact 0 || fail "round $round: a note file was cut short: $(od -c "$KOVASHELL_HOME/KovaShell0.hsn" | tail -n 3)"
  [[ $(data_files) == $'KovaShell.ini\nKovaShell0.hsn\nKovaShell0.log' ]] ||
    fail "round $round: files left behind: $(data_files | tr '\n' ' ')"
done
echo "kill -9: three rounds, note intact, no temporary files"
