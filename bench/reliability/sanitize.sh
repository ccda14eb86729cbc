#!/usr/bin/env bash
# The game and its tests built with ASan and UBSan (halting on any report; a
# leak at the game's exit fails its test), then the unit and e2e suites.
#   bench/reliability/sanitize.sh [BUILD_DIR]   (default /tmp/junkfall-sanitize)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmake -S "$here/../.." -B "${1:-/tmp/junkfall-sanitize}" -DJUNKFALL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "${1:-/tmp/junkfall-sanitize}" -j2
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1:suppressions=$here/ubsan.supp}
# the leaks the library's sound driver leaves are known by install_sound, which only a full unwind finds
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/lsan.supp} ASAN_OPTIONS=${ASAN_OPTIONS:-fast_unwind_on_malloc=0}
cd "${1:-/tmp/junkfall-sanitize}" && ctest -L "unit|e2e" --output-on-failure
