#!/usr/bin/env bash
# Idle benchmark: KovaShell with 101 stored notes on a desktop without a tray
# (so the handle stands in), or with a status-notifier panel (its item
# registered there), left alone for a minute; prints how often the process
# woke up meanwhile (context switches from /proc), beside the design's own
# timers (none here: no note has a timer and the mail interval is 0).
#
#   bench/run-idle.sh [SECONDS [lxqt|xfce]]     (default 60, no panel)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bench_build
bench_desktop --no-tray
seconds=${1:-60}
panel=${2:-}
face="the handle"
if [[ -n $panel ]]; then
  # shellcheck source=../scripts/lib/panels.sh
  source "$root/scripts/lib/panels.sh"
  start_session_bus
  start_panel "$panel"
  face="its item in the $panel panel"
fi

for n in $(seq 0 100); do
  write_note_files "$KOVASHELL_HOME" "$n" "メモ $n" top=$(((n / 10) * 1050 + 600)) left=$(((n % 10) * 1500))
done
start_kovashell
handle_shown() { windows_of "$KOVA_PID" | awk -F '\t' '$4 == "KovaShell"' | grep -q .; }
if [[ -n $panel ]]; then
  E2E_TIMEOUT=40 wait_until "the item" has_kova_item
else
  E2E_TIMEOUT=40 wait_until "the handle" handle_shown
fi
sleep 2
switches() {
  awk '/^voluntary_ctxt_switches|^nonvoluntary_ctxt_switches/ { n += $2 } END { print n }' \
    /proc/"$KOVA_PID"/task/*/status
}
before=$(switches)
sleep "$seconds"
after=$(switches)
echo "idle for ${seconds} s with 101 notes and $face: $((after - before)) wake-ups (context switches, all threads)"
