#!/usr/bin/env bash
# Exit benchmark: "終了" on a real Xfce desktop (xfdesktop with xfwm4), RUNS
# times: from the key press that chooses it until the process is gone, and
# until the desktop has the user's own icon size back (the desktop-icon
# component finishes after the program has gone). With "panel", Xfce's panel
# is the tray and "終了" is clicked as it clicks it: the menu's event over D-Bus.
#
#   bench/run-exit.sh [RUNS [panel]]   (default 10; KOVA_BENCH_BUILD picks the build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVA_BENCH_BUILD:-$root/build-release}
if [[ -z ${KOVA_BENCH_BUILD:-} ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -j2 -C "$build" KovaShell kovashell-regsvr kovashell-loadinproc KovaShellComponent >/dev/null
fi
runs=${1:-10}
panel=${2:-}
# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
E2E_NAME=bench-exit
e2e_init "$build/bin/KovaShell"
export XDG_CURRENT_DESKTOP=XFCE
start_x --no-tray
xfconf-query -c xfce4-desktop -p /desktop-icons/icon-size -n -t uint -s 64
xfwm4 --sm-client-disable >"$E2E_DIR/xfwm4.log" 2>&1 &
E2E_PIDS+=($!)
xfdesktop >"$E2E_DIR/xfdesktop.log" 2>&1 &
E2E_PIDS+=($!)
if [[ -n $panel ]]; then start_panel xfce; else start_tray; fi

# Chooses "終了": from trayer's menu by keys, or as the panel does.
choose_exit() {
  if [[ -z $panel ]]; then
    open_tray_menu
    select_tray_item 終了
    sleep 0.2
    START=$(now_ms)
    xdotool key Return
    return
  fi
  local item menu id
  item=$(kova_item)
  menu=$(gdbus call --session -d "$item" -o /StatusNotifierItem -m org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierItem Menu | grep -o "/[^']*")
  id=$(gdbus call --session -d "$item" -o "$menu" -m com.canonical.dbusmenu.GetLayout -- 0 -1 '[]' |
    grep -o "([0-9]*, {[^}]*'label': <'終了'>" | sed 's/^(\([0-9]*\),.*/\1/')
  START=$(now_ms)
  gdbus call --session -d "$item" -o "$menu" -m com.canonical.dbusmenu.Event -- "$id" clicked '<0>' 0 >/dev/null
}

size() { xfconf-query -c xfce4-desktop -p /desktop-icons/icon-size; }
size_is() { [[ $(size) == "$1" ]]; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

gone=() back=()
for ((run = 1; run <= runs; run++)); do
  if [[ -n $panel ]]; then
    start_kovashell
    wait_until "KovaShell's item in the panel" has_kova_item
  else
    start_kovashell_with_icon
  fi
  wait_until "small icons" size_is 32
  choose_exit
  until process_gone "$KOVA_PID"; do sleep 0.01; done
  gone+=($(($(now_ms) - START)))
  until size_is 64; do sleep 0.01; done
  back+=($(($(now_ms) - START)))
  exit_status_of "$KOVA_PID"
  echo "run $run: gone after ${gone[-1]} ms, the user's size back after ${back[-1]} ms"
done
stats() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { printf "median %d ms, max %d ms", v[int((NR + 1) / 2)], v[NR] }'; }
echo "終了 over $runs runs: process gone: $(stats "${gone[@]}"); size back: $(stats "${back[@]}")"
