# Shared by the benchmarks: a Release build and a private desktop.
# shellcheck shell=bash
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KOVA_BENCH_BUILD:-$root/build-release}

# bench_build [TARGET...]: the Release program and its component, and TARGETs.
bench_build() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -j2 -C "$build" KovaShell kovashell-regsvr kovashell-loadinproc KovaShellComponent \
    kova-xwindows "$@" >/dev/null
}

# bench_desktop [START_X OPTIONS...]: a private Xvfb and home, cleaned up on exit.
bench_desktop() {
  # shellcheck source=../scripts/lib/xserver.sh
  source "$root/scripts/lib/xserver.sh"
  # shellcheck source=../scripts/lib/note_files.sh
  source "$root/scripts/lib/note_files.sh"
  KOVASHELL=$build/bin/KovaShell
  E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kova-bench.XXXXXX")
  E2E_ARTIFACTS=$E2E_DIR/artifacts
  mkdir -p "$E2E_ARTIFACTS"
  exit_traps
  private_home
  register_desktop_icon_component
  # A desktop session has its bus; without one each program would autolaunch
  # a bus of its own (dbus-launch), and wait for it.
  E2E_SESSION_BUS=1 start_x "$@"
}
