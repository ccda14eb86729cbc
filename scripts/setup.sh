#!/usr/bin/env bash
# Installs the Debian packages the game, its asset generator and its tests
# need, skipping the apt round trip when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  liballegro4-dev                          # the game library and its dat tool
  libpng-dev                               # the asset generator's icons
  libgtest-dev googletest libbenchmark-dev # unit tests and benchmarks
  xvfb xdotool python3 libx11-dev          # end-to-end tests on a virtual display
  desktop-file-utils imagemagick           # the desktop entry's check, screenshots
  file dpkg-dev lintian appstream groff-base # the .deb's build, and its checks
  # the Windows build (32-bit, MinGW-w64), its zip, and its tests under Wine
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  patch icoutils strip-nondeterminism
  wine wine32:i386 libxrandr2:i386 libxrender1:i386 # Wine's full-screen modes need these
)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# 32-bit Wine runs on the i386 architecture; its packages are then missing
# too, so the update below follows
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
