#!/usr/bin/env bash
# The Debian package on a fresh Debian 12 root (debootstrap minbase), as a
# user would install it: apt brings a Japanese font and Qt's Japanese texts,
# KovaShell started there by an ordinary user draws its tray menu with that
# font, and a purge leaves no file of the package behind. Needs root,
# unshare and debootstrap, and the mirror (KOVA_DEBIAN_MIRROR); exits 77
# (skipped) without them. The downloaded packages are kept in CACHE_DIR for
# the next run.
# Usage: test_package_chroot.sh PACKAGE_DIR CACHE_DIR (PACKAGE_DIR holds
# kovashell_<version>_<arch>.deb)

SKIP=77
[[ $(id -u) == 0 ]] || { echo "SKIP: needs root (debootstrap, chroot)"; exit "$SKIP"; }
command -v debootstrap >/dev/null || { echo "SKIP: debootstrap is not installed"; exit "$SKIP"; }
# Mounts made here (the root's /proc) end with the test.
if [[ -z ${KOVA_PRIVATE_MOUNTS:-} ]]; then
  KOVA_PRIVATE_MOUNTS=1 exec unshare --mount --propagation private bash "$0" "$@" ||
    { echo "SKIP: no private mount namespace (unshare)"; exit "$SKIP"; }
fi

E2E_NO_PREREGISTER=1
source "$(dirname "$0")/lib.sh"
debs=("${1:?the package folder}"/kovashell_*_"$(dpkg --print-architecture)".deb)
DEB=$(realpath -m "${debs[0]}")
[[ -f $DEB ]] || fail "no kovashell_<version>_<arch>.deb in $1"
CACHE=$(mkdir -p "${2:?cache folder}" && realpath "$2")
MIRROR=${KOVA_DEBIAN_MIRROR:-http://deb.debian.org/debian}
# The program runs in the root, through a wrapper made below.
e2e_init /bin/true
# The window lister runs outside the root, from the build beside the package.
KOVA_XWINDOWS=$(realpath "$1/..")/bin/kova-xwindows
ROOT=$E2E_DIR/root
unmount_and_clean_up() {
  local status=$?
  umount -l "$ROOT/proc" 2>/dev/null
  (exit "$status")
  exit_cleanup
}
trap unmount_and_clean_up EXIT
# Nothing of the test's environment (TMPDIR, HOME ...) goes into the root.
in_root() {
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
    chroot "$ROOT" "$@"
}
phase() { echo "$1: $((SECONDS - phase_start)) s"; phase_start=$SECONDS; }
phase_start=$SECONDS

if ! debootstrap --variant=minbase --cache-dir="$CACHE" bookworm "$ROOT" "$MIRROR" \
  >"$E2E_DIR/debootstrap.log" 2>&1; then
  if grep -q 'Failed getting release file' "$E2E_DIR/debootstrap.log"; then
    echo "SKIP: the mirror $MIRROR cannot be reached"
    exit "$SKIP"
  fi
  fail "debootstrap failed: $(tail -n 20 "$E2E_DIR/debootstrap.log")"
fi
phase "debootstrap"
mount -t proc proc "$ROOT/proc"

# A plain install, Recommends and all; packages fetched before are reused.
cp "$DEB" "$ROOT/tmp/"
cp -n "$CACHE"/*.deb "$ROOT/var/cache/apt/archives/" 2>/dev/null || true
in_root apt-get update >"$E2E_DIR/apt.log" 2>&1 || fail "apt-get update: $(tail "$E2E_DIR/apt.log")"
in_root apt-get install -y "/tmp/$(basename "$DEB")" >>"$E2E_DIR/apt.log" 2>&1 ||
  fail "apt-get install: $(tail -n 20 "$E2E_DIR/apt.log")"
cp -n "$ROOT"/var/cache/apt/archives/*.deb "$CACHE/" 2>/dev/null || true
phase "apt-get install ($(grep -o '[0-9]* newly installed' "$E2E_DIR/apt.log"))"

installed() { [[ $(in_root dpkg-query -W -f '${db:Status-Abbrev}' "$1" 2>/dev/null) == ii* ]]; }
installed qt6-translations-l10n || fail "apt did not install qt6-translations-l10n (Qt's Japanese buttons)"
fonts=$(in_root fc-list :lang=ja file | sed 's/: *$//') || fail "no fc-list in the root"
[[ -n $fonts ]] || fail "no Japanese font in the root: fc-list :lang=ja is empty"
echo "Japanese fonts: $(tr '\n' ' ' <<<"$fonts")"

# An ordinary user starts it on the test's display (the root shares the
# network namespace, so the X server's abstract socket is reachable).
in_root useradd --create-home --shell /bin/bash kova
cat >"$E2E_DIR/bin/kovashell-in-root" <<EOF
#!/bin/sh
exec chroot --userspec=kova:kova "$ROOT" /usr/bin/env -i HOME=/home/kova \
  PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY="\$DISPLAY" "\$@"
EOF
chmod +x "$E2E_DIR/bin/kovashell-in-root"
KOVASHELL=$E2E_DIR/bin/kovashell-in-root
"$KOVASHELL" /usr/lib/kovashell/kovashell-regsvr /s /usr/lib/kovashell/KovaShell.so ||
  fail "the installed registration tool failed"
start_x
start_kovashell_with_icon /usr/bin/kovashell
open_tray_menu
menu=$(screenshot tray-menu)
# The menu's Japanese captions are drawn with one of those fonts: Qt has it open.
wait_until "a Japanese font in use" grep -qF -e "$fonts" "/proc/$KOVA_PID/maps"
echo "tray menu in $(grep -oF -e "$fonts" "/proc/$KOVA_PID/maps" | sort -u | tr '\n' ' '): $menu"
xdotool key Escape
stop_process "$KOVA_PID"
phase "KovaShell started, tray menu shown"

in_root dpkg-query -L kovashell >"$E2E_DIR/files"
in_root apt-get purge -y kovashell >>"$E2E_DIR/apt.log" 2>&1 || fail "apt-get purge failed"
while IFS= read -r path; do
  [[ $path != /. ]] || continue
  [[ -e $ROOT$path || -L $ROOT$path ]] || continue
  # A folder that another package holds too may stay.
  [[ -d $ROOT$path ]] && in_root dpkg-query -S "$path" >/dev/null 2>&1 && continue
  fail "left after the purge: $path"
done <"$E2E_DIR/files"
phase "purged"

echo "PASS ($E2E_NAME) installed, ran and purged on a fresh Debian 12 root"
