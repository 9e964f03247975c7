#!/usr/bin/env bash
# The Debian package as scripts/package.sh builds it (dpkg-buildpackage, into
# BUILD_DIR/package, where e2e.test_package_chroot takes it from): its
# layout, lintian and AppStream clean, and the unpacked KovaShell (its
# program folder read-only, as installed) starting with its tray icon and
# keeping its settings under $XDG_DATA_HOME/KovaShell. Then `cmake --install`
# of BUILD_DIR and the README's uninstall steps, which must leave nothing.
# Usage: test_package.sh BUILD_DIR

# The preregistration would use the build tree; the installed tools do it below.
E2E_NO_PREREGISTER=1
source "$(dirname "$0")/lib.sh"
BUILD_DIR=$(realpath "${1:?build tree}")
e2e_init "$BUILD_DIR/bin/KovaShell"

ROOT=$E2E_DIR/root
# The installed program folder is made read-only; open it again so the
# clean-up can remove it.
reopen_and_clean_up() {
  local status=$?
  chmod -R u+w "$ROOT" 2>/dev/null
  (exit "$status")
  exit_cleanup
}
trap reopen_and_clean_up EXIT

DEB=$(JOBS=${KOVA_JOBS:-2} KOVA_PACKAGE_DIR=$BUILD_DIR/package \
  "$E2E_LIB_DIR/../../scripts/package.sh" | tail -n 1) || fail "scripts/package.sh failed"
[[ -f $DEB && $DEB == */kovashell_*-*_"$(dpkg --print-architecture)".deb ]] ||
  fail "scripts/package.sh did not make kovashell_<version>-<revision>_<arch>.deb: $DEB"
DBGSYM=${DEB/kovashell_/kovashell-dbgsym_}
[[ -f $DBGSYM ]] || fail "no -dbgsym package beside $DEB"

# Layout: the programs side by side, the two commands, menu entry, icons, metadata.
listing=$(dpkg-deb -c "$DEB" | awk '{ print $6 }' | sed 's|^\./|/|')
for path in /usr/lib/kovashell/KovaShell /usr/lib/kovashell/KovaRemover \
  /usr/lib/kovashell/kovashell-regsvr /usr/lib/kovashell/kovashell-loadinproc \
  /usr/lib/kovashell/KovaShell.so /usr/lib/kovashell/kovashell-keyring.so \
  /usr/bin/kovashell /usr/bin/kovaremover \
  /usr/share/applications/org.example.kovashell.desktop \
  /usr/share/metainfo/org.example.kovashell.metainfo.xml \
  /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/kovashell.png \
  /usr/share/doc/kovashell/copyright /usr/share/doc/kovashell/changelog.Debian.gz \
  /usr/share/man/man1/kovashell.1.gz /usr/share/man/man1/kovaremover.1.gz; do
  grep -qxF "$path" <<<"$listing" || fail "the package lacks $path"
done
if grep -v -e '^/usr/' -e '^/$' <<<"$listing" | grep -q .; then
  fail "the package puts files outside /usr: $(grep -v '^/usr/' <<<"$listing")"
fi
depends=$(dpkg-deb -f "$DEB" Depends)
# libqt6keychain1 from the keyring module; libsecret-1-0, which it opens
# itself, recommended.
for dependency in xdg-utils libqt6widgets6 libqt6core6 libc6 fonts-japanese-gothic libqt6keychain1; do
  grep -q "\b$dependency\b" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done
recommends=$(dpkg-deb -f "$DEB" Recommends)
grep -q '\blibsecret-1-0\b' <<<"$recommends" || fail "Recommends lacks libsecret-1-0: $recommends"

# Debian's checker, pedantic: no error, warning or pedantic tag, and nothing
# about hardening even among the informational ones.
lintian --pedantic -I --allow-root "$DEB" "$DBGSYM" >"$E2E_DIR/lintian.log" 2>&1 || true
cat "$E2E_DIR/lintian.log"
if grep -qE '^[EWP]: |hardening' "$E2E_DIR/lintian.log"; then
  fail "lintian: $(grep -E '^[EWP]: |hardening' "$E2E_DIR/lintian.log")"
fi

dpkg-deb -x "$DEB" "$ROOT"
[[ $(readlink "$ROOT/usr/bin/kovashell") == ../lib/kovashell/KovaShell ]] ||
  fail "kovashell does not lead to the program: $(readlink "$ROOT/usr/bin/kovashell")"
desktop-file-validate "$ROOT/usr/share/applications/org.example.kovashell.desktop" ||
  fail "the menu entry is not valid"
# The tree check also finds the menu entry that the metainfo's launchable names.
appstreamcli validate-tree --pedantic --no-net "$ROOT" >"$E2E_DIR/appstream.log" 2>&1 ||
  fail "metainfo: $(cat "$E2E_DIR/appstream.log")"
identify -format '%w' "$ROOT/usr/share/icons/hicolor/128x128/apps/kovashell.png" | grep -qx 128 ||
  fail "the 128 px icon is not 128 px wide"

# Installed as root: the user cannot write into the program folder.
PROGRAMS=$ROOT/usr/lib/kovashell
chmod -R a-w "$PROGRAMS"
"$PROGRAMS/kovashell-regsvr" /s "$PROGRAMS/KovaShell.so" ||
  fail "the installed registration tool failed"
grep -qF "$PROGRAMS/KovaShell.so" "$XDG_CONFIG_HOME/KovaShell/registry.reg" ||
  fail "the registration does not name the installed component"

# The data folder rule without the test override: the program folder holds
# no KovaShell.ini, so the settings go to $XDG_DATA_HOME/KovaShell.
unset KOVASHELL_HOME
KOVASHELL=$ROOT/usr/bin/kovashell
start_x
start_kovashell_with_icon
wait_until "the first-run settings file" test -f "$XDG_DATA_HOME/KovaShell/KovaShell.ini"
[[ ! -e $PROGRAMS/KovaShell.ini ]] || fail "settings were written into the program folder"
[[ $(stat -c %a "$XDG_DATA_HOME/KovaShell") == 700 ]] || fail "the data folder is not private"
screenshot installed-tray >/dev/null

# `cmake --install` into a user prefix, then the README's uninstall steps.
prefix=$E2E_DIR/prefix
cmake --install "$BUILD_DIR" --prefix "$prefix" >"$E2E_DIR/install.log" ||
  fail "cmake --install failed"
[[ -f $prefix/share/doc/kovashell/LICENSE ]] || fail "cmake --install leaves out the licence"
xargs -d '\n' rm -f <"$BUILD_DIR/install_manifest.txt"
rmdir "$prefix/lib/kovashell" "$prefix/share/doc/kovashell"
left=$(find "$prefix" \( -type f -o -type l -o -iname '*kova*' -o -name lintian \) -print)
[[ -z $left ]] || fail "left after the README's uninstall steps: $left"

echo "PASS ($E2E_NAME) $(basename "$DEB") $(stat -c %s "$DEB") bytes"
