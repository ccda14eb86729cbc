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
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
