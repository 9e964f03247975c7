#!/usr/bin/env bash
# Start-up benchmark: builds the Release program (build-release/) and the
# benchmark, starts a private Xvfb with trayer and a fresh home, and prints the
# median time from start to tray icon and the resident memory after start-up.
#
#   bench/run-startup.sh [RUNS]     (default 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-release
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" KovaShell startup_bench

# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init "$build/bin/KovaShell"
start_x
"$build/bin/startup_bench" "$build/bin/KovaShell" "${1:-15}"
