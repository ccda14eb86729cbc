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
# The driver starts this in place of the game. Fair scheduling: the menu
# polls without sleeping, and under valgrind's default lock that thread can
# starve the library's input thread, so clicks go unseen for minutes.
cat > "$out/game" <<WRAP
#!/bin/sh
exec valgrind --fair-sched=yes --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=97 \\
  --suppressions=$here/valgrind.supp --log-file=$log "$build/junkfall"
WRAP
chmod +x "$out/game"

status=0
JUNKFALL_GAME=$out/game JUNKFALL_SLOW=4 "$build/reliability_drive" --gtest_filter=Drive.Session || status=$?
echo "--- memcheck ($log)"
grep -E "ERROR SUMMARY|(definitely|indirectly|possibly) lost:|still reachable:|suppressed:" "$log" || true
exit $status
