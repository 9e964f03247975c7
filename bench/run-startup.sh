#!/usr/bin/env bash
# Start-up benchmark: builds the Release program (build-release/) and the
# benchmark, starts a private Xvfb with trayer and a fresh home, and prints the
# median time from start to tray icon (and all notes) shown, and the resident
# memory after start-up: with an empty data folder (a first run), with 101
# stored notes of a few lines of Japanese text, with 100 such notes and one of
# 5 MB, and with none. The 101 notes are also shown by a bare Qt program
# (bare_qt_startup: a tray icon and 101 frameless windows), measured the same
# way in the same run, KovaShell's figures over its given as ratios.
#
#   bench/run-startup.sh [RUNS]     (default 15)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bench_build startup_bench bare_qt_startup
bench_desktop
runs=${1:-15}

"$build/bin/startup_bench" "$build/bin/KovaShell" "$runs"

# Data folders with and without notes, both with their settings file.
with=$E2E_DIR/with-notes
without=$E2E_DIR/without-notes
mkdir -p "$with" "$without"
KOVASHELL_HOME=$without "$build/bin/KovaShell" &
pid=$!
wait_until "the first-run settings" test -s "$without/KovaShell.ini"
sleep 1
stop_process "$pid"
rm -f "$without"/*.lock
cp "$without/KovaShell.ini" "$with/"
for n in $(seq 0 100); do
  write_note_files "$with" "$n" "メモ $n"$'\n'"牛乳と卵を買う"$'\n'"会議は三時から" back="&H80FFFF" \
    top=$(((n / 10) * 70 * 15 + 600)) left=$(((n % 10) * 100 * 15))
done

# The same with note 0 holding 5 MB of text.
huge=$E2E_DIR/huge-note
cp -r "$with" "$huge"
# (awk, not yes | head: under pipefail yes's SIGPIPE would end the script.)
awk 'BEGIN { for (i = 0; i < 107000; i++) print "会議の記録 牛乳と卵を買う 0123456789 ABCDEFGHIJ" }' |
  write_note_files "$huge" 0 - back="&H80FFFF" top=600 left=0
echo "note 0 of the 5 MB case: $(stat -c %s "$huge/KovaShell0.log") bytes"

"$build/bin/startup_bench" "$build/bin/KovaShell" "$runs" "$with" 101 | tee "$E2E_DIR/kova.txt"
"$build/bin/startup_bench" "$build/bin/bare_qt_startup" "$runs" "$with" 101 | tee "$E2E_DIR/bare.txt"
# median FILE WHAT: the median of the summary line about WHAT.
median() { grep "$2: median" "$1" | sed 's/.*median \([0-9.]*\).*/\1/'; }
for what in "notes shown" "CPU time of the program until then" "resident memory after start-up"; do
  awk -v k="$(median "$E2E_DIR/kova.txt" "$what")" -v b="$(median "$E2E_DIR/bare.txt" "$what")" \
    -v w="$what" 'BEGIN { printf "101 notes, %s: KovaShell %.1f against a bare Qt program %.1f: %.2fx\n", w, k, b, k / b }'
done
"$build/bin/startup_bench" "$build/bin/KovaShell" "$runs" "$huge" 101
"$build/bin/startup_bench" "$build/bin/KovaShell" "$runs" "$without" 0
