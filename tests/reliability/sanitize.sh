#!/usr/bin/env bash
# The game and its tests built with AddressSanitizer and UBSan in a build
# directory of their own, then the unit and end-to-end suites run there.
# Any sanitizer report fails the run: ASan stops the process, UBSan is told
# to (ubsan.supp lists the library's own), and a leak at the game's exit
# turns its status non-zero.
#   tests/reliability/sanitize.sh [BUILD_DIR]   (default /tmp/junkfall-sanitize)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=${1:-/tmp/junkfall-sanitize}
cmake -S "$src" -B "$build" -DJUNKFALL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1:suppressions=$here/ubsan.supp}
cd "$build"
ctest -L "unit|e2e" --output-on-failure
