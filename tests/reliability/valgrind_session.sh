#!/usr/bin/env bash
# A whole scripted session under valgrind's memcheck: splashes, menu choices,
# a two-player game with shooting and landings, a game abandoned with Esc,
# Quit. Passes with no memory errors and nothing definitely or indirectly
# lost; the suppressions cover only the libraries' own one-time allocations.
#   tests/reliability/valgrind_session.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: $0 BUILD_DIR}")
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" -j"$(nproc)" --target junkfall reliability_drive

out=$(mktemp -d /tmp/junkfall-valgrind.XXXXXX)
log=$out/memcheck.log
# the driver starts this in place of the game
cat > "$out/game" <<WRAP
#!/bin/sh
exec valgrind --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=97 \\
  --suppressions=$here/valgrind.supp --log-file=$log "$build/junkfall"
WRAP
chmod +x "$out/game"

status=0
JUNKFALL_GAME=$out/game JUNKFALL_SLOW=4 "$build/reliability_drive" --gtest_filter=Drive.Session || status=$?
echo "--- memcheck ($log)"
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|suppressed:" "$log" || true
exit $status
