#!/usr/bin/env bash
# scripts/package.sh a second time, from the same sources into another
# folder, gives byte-identical packages to the ones e2e.test_package built.
# Usage: test_package_reproducible.sh BUILD_DIR
set -euo pipefail
BUILD_DIR=$(realpath "${1:?build tree}")
again=$BUILD_DIR/package-again
JOBS=${KOVA_JOBS:-2} KOVA_PACKAGE_DIR=$again "$(dirname "$0")/../../scripts/package.sh" >/dev/null
status=0
for deb in "$BUILD_DIR"/package/*.deb; do
  if ! cmp "$deb" "$again/$(basename "$deb")"; then
    echo "FAIL: $(basename "$deb") differs between two builds" >&2
    status=1
  fi
done
((status == 0)) && echo "PASS: $(cd "$BUILD_DIR/package" && echo *.deb) built twice, byte for byte the same"
rm -rf "$again"
exit "$status"
