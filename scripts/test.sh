#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite:
# headless unit tests, then the end-to-end tests on a virtual X display and
# a private sound server; then the same for the web build, its page in
# Chromium, Firefox and WebKit; then, on amd64, for the Windows build, its zip, and its game
# under 64-bit Wine. Every test passes the first time or fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJUNKFALL_TESTS=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
cmake --preset web
cmake --build --preset web
ctest --preset web
if [ "$(dpkg --print-architecture)" != amd64 ]; then
  echo "Windows build skipped: its toolchain and Wine are Debian's on amd64 only"
  exit 0
fi
cmake --preset windows
cmake --build --preset windows
(cd build-windows && cpack)
ctest --preset windows
