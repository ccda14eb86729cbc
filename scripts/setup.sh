#!/usr/bin/env bash
# Installs the Debian packages (12 or 13, any architecture) that building
# and playing need; with "test", also what the test suite needs: the web
# build and three browsers, and on amd64 the Windows build and Wine. Skips
# the apt round trip when all is there.
#    setup.sh [play | test]
set -euo pipefail

play=(
  build-essential cmake pkg-config git
  liballegro4-dev                          # the game library and its dat tool
  libasound2-dev                           # the sound device, fed by the game
  libpng-dev                               # the asset generator's icons
)
test=(
  libgtest-dev googletest libbenchmark-dev # unit tests and benchmarks
  xvfb xdotool python3 python3-numpy libx11-dev # end-to-end tests on a virtual display
  python3-websocket python3-pil            # and touch, through the DevTools protocol
  imagemagick                              # reading the screen
  pipewire wireplumber pipewire-pulse pipewire-alsa pulseaudio-utils dbus-daemon # hearing it
  desktop-file-utils                       # the desktop entry's check
  file dpkg-dev lintian appstream groff-base # the .deb's build, and its checks
)
# the web build (Emscripten, with the clang and binaryen it runs) and its tests in the three
# browser engines: Chromium, Firefox and WebKitGTK (whose MiniBrowser comes with the library)
web=(emscripten strip-nondeterminism chromium firefox-esr libwebkit2gtk-4.1-0)
# the Windows build (64-bit, MinGW-w64), its zip, and its tests under 64-bit Wine
windows=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  patch icoutils
  wine wine64                              # no i386 architecture: Wine's 64-bit half alone
)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

packages=("${play[@]}")
if [ "${1:-play}" = test ]; then
  packages+=("${test[@]}" "${web[@]}")
  if [ "$(dpkg --print-architecture)" = amd64 ]; then
    packages+=("${windows[@]}")
  fi
fi

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
