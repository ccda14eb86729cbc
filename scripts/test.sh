#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite:
# headless unit tests, then the end-to-end tests on a virtual X display and
# a private sound server; then the same for the web build, its page in
# Chromium; then, on amd64, for the Windows build, its zip, and its game
# under Wine (where the kernel runs 32-bit programs). Every test passes the
# first time or fails.
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
# Debian's Wine runs a 32-bit Windows program as a 32-bit Linux one
if ! /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
  echo "Windows game's tests skipped: this kernel runs no 32-bit programs (its ia32 emulation is off)"
  exit 0
fi
ctest --preset windows
