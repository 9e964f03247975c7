#!/usr/bin/env bash
# Builds the Debian package from debian/ with dpkg-buildpackage, in a clean
# copy of the source tree (build-package/kovashell-<version>/), and prints the
# path of build-package/kovashell_<version>-<revision>_<arch>.deb; the
# -dbgsym package, .buildinfo and .changes lie beside it, the build's log in
# kovashell_<version>-<revision>_<arch>.build.
#
# Only what ships is built. With --check the unit and widget tests are built
# and run as well (dh_auto_test), as a Debian build daemon does. JOBS limits
# the parallel jobs (default: one per core); KOVA_PACKAGE_DIR puts everything
# in another folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${KOVA_PACKAGE_DIR:-$root/build-package}
options=${DEB_BUILD_OPTIONS:-}
case ${1:-} in
  --check) ;;
  "") options+=" nocheck" ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

"$root/scripts/install-deps.sh"
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
name=kovashell_${version}_$(dpkg --print-architecture)
src=$out/kovashell-${version%-*}
rm -rf "$src" "$out/kovashell"*_"$version"_*
mkdir -p "$src"

# The sources as a clone would have them (tracked files, and new ones not
# ignored), with fresh file times: SOURCE_DATE_EPOCH then sets every time
# in the package.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$root" ls-files -z --cached --others --exclude-standard |
    tar -C "$root" --null --no-recursion --ignore-failed-read -T - -cf - 2>/dev/null
else
  tar -C "$root" --exclude='./build*' -cf - .
fi | tar -C "$src" -xmf -

echo "package: building $name.deb (log: $out/$name.build)" >&2
if ! (cd "$src" && DEB_BUILD_OPTIONS=$options dpkg-buildpackage -us -uc -b -j"${JOBS:-auto}") \
  >"$out/$name.build" 2>&1; then
  tail -n 40 "$out/$name.build" >&2
  echo "package: dpkg-buildpackage failed; the whole log is $out/$name.build" >&2
  exit 1
fi
echo "$out/$name.deb"
