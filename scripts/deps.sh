#!/usr/bin/env bash
# Installs the Debian packages Ocuvell needs to build, run and test, when missing.
# Usage: scripts/deps.sh [run|test|windows]
set -euo pipefail
mode=${1:-test}
# libwayland-dev and libwayland-bin (wayland-scanner): the Wayland compositors' gamma
# control; qt6-wayland: the windows of a Wayland session without XWayland.
# libxss-dev: the idle time (MIT-SCREEN-SAVER) for away-counts-as-rest.
pkgs=(build-essential cmake pkg-config qt6-base-dev libx11-dev libxrandr-dev libxss-dev
      xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils fonts-wqy-microhei
      xdg-utils libwayland-dev libwayland-bin qt6-wayland)
if [ "$mode" = test ] || [ "$mode" = windows ]; then
  # The Windows program (scripts/windows.sh): Qt for Windows built from Debian's qtbase
  # source with the host's Qt tools, mingw-w64 with the posix thread model, the installer,
  # the zip, and the signing tool (the tests sign with a certificate made by openssl).
  pkgs+=(g++-mingw-w64-x86-64-posix qt6-base-dev-tools dpkg-dev patch ninja-build nsis zip
         osslsigncode openssl)
fi
if [ "$mode" = test ]; then
  # Wine reaches the X server's gamma through libXxf86vm, which it loads on demand and
  # which Debian only recommends; without it GetDeviceGammaRamp fails under Wine.
  # An English locale for the Wine tests is compiled from the locales package's sources.
  pkgs+=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev wine64 g++-mingw-w64-x86-64
         libxxf86vm1 locales)
  # Two builds of the same sources, and a suite run again and again: a compiler cache.
  pkgs+=(ccache)
  # The install checks: the validators of the menu entry and the AppStream data, a tray
  # panel that comes after the program, and the tools that find and click its windows.
  pkgs+=(desktop-file-utils appstream trayer xdotool x11-utils faketime dpkg-dev clang-format)
  # The Windows program under Wine: a compositor for its translucent tip, screenshots.
  pkgs+=(xcompmgr imagemagick)
  # Debian's own check of the package, and a real window manager for the window checks.
  pkgs+=(lintian openbox wmctrl)
  # A headless Wayland compositor whose outputs refuse gamma control.
  pkgs+=(sway)
  # A private system bus with a mock logind, for sleep, resume and unlock.
  pkgs+=(dbus python3-dbusmock)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
