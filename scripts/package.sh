#!/usr/bin/env bash
# Builds the Debian package kovashell_<version>_<arch>.deb: configures a
# Release build in build-package/, builds it and runs cpack there. Prints the
# package's path. JOBS limits the build's parallel jobs (default: ninja's).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-package

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" ${JOBS:+-j "$JOBS"}
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/kovashell_*.deb
