#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test KovaShell.
# Quick when everything is present: it only asks apt when something is missing.
set -euo pipefail

# The one list of packages. Keep it sorted by purpose.
PACKAGES=(
  # build
  cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libx11-dev
  # mail passwords in the desktop's keyring (QtKeychain, which opens libsecret)
  qtkeychain-qt6-dev libsecret-1-0
  # the C++ layout and layer checks of scripts/test.sh
  clang-format python3
  # Japanese texts: Qt's own dialogs and a font to draw them
  qt6-translations-l10n fonts-ipafont-gothic
  # a virtual display with a tray host and a window manager
  xvfb xauth trayer openbox dbus-x11
  # a private session bus and the panels Debian ships whose trays speak the
  # status-notifier protocol (LXQt's: only that one; Xfce's: XEmbed too)
  dbus-daemon lxqt-panel xfce4-panel
  # the window managers of Xfce, MATE, KDE Plasma, GNOME and Cinnamon (with
  # the settings schemas marco and muffin read at start), and a terminal to
  # type into while a note's alarm ticks
  xfwm4 marco mate-settings-daemon-common kwin-x11 mutter muffin cinnamon-settings-daemon xterm
  # an X server whose screen can change size while a test runs
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  # driving and looking at the desktop in the end-to-end tests
  xdotool imagemagick x11-utils wmctrl
  # desktop settings (desktop icons) and a real POP3 server for the mail tests
  libglib2.0-bin dovecot-pop3d
  # a real IMAP server for the mail tests (announces STATUS=SIZE)
  dovecot-imapd
  # the desktops whose icon size the desktop-icon component sets, run for real
  # (Xfce's xfdesktop with xfwm4, MATE's caja, Cinnamon's nemo-desktop, LXQt's
  # pcmanfm-qt, LXDE's pcmanfm) or for their schemas (Budgie, GNOME Flashback,
  # GNOME's desktop icons); Adwaita draws pcmanfm-qt's icons
  xfdesktop4 caja nemo pcmanfm-qt pcmanfm adwaita-icon-theme
  budgie-desktop-view gnome-flashback gnome-shell-extension-desktop-icons-ng
  # POP3 over TLS: the system's trusted certificates (Qt's OpenSSL backend
  # comes with libqt6network6), and the tool the mail tests make their
  # certificates with
  ca-certificates openssl
  # a real Secret Service for the keyring tests, and the tool a user reads
  # an item back with
  gnome-keyring libsecret-tools
  # a keyring that never answers (dbus-test-tool black-hole), for SIGTERM
  # during a password read
  dbus-tests
  # checking the autostart entry the settings dialog writes
  desktop-file-utils
  # killing a save at each of its renames (test_save_killed), and failing
  # one open of the CP932 converter's module
  strace
  # the fuzz targets (scripts/fuzz.sh): clang with libFuzzer and the
  # sanitizers' runtime
  clang libclang-rt-14-dev
  # opening web pages and folders, and finding the default mail program
  xdg-utils
  # the Debian package (dpkg-buildpackage with debhelper), its checks
  # (lintian, appstreamcli) and a fresh Debian root to install it in
  dpkg-dev debhelper file lintian appstream debootstrap
)

missing=()
for package in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
  [[ $status == ii* ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "install-deps: missing packages: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: run as root to install them, for example:" >&2
  echo "  sudo $0" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
echo "install-deps: done"
