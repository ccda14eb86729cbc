#!/usr/bin/env bash
# One 30-second turn kept alive by shooting, first on a quiet machine, then
# with a busy process on the other core. Prints the turn's length as seen on
# screen and the ticks and stopwatch reading counted inside the game by
# junkfall_probe (the game linked with turn_probe.cpp); it must process
# 1800 +- 2 ticks and last 30 s +- 50 ms. Not part of the suite.
#   tests/reliability/load_turn.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: $0 BUILD_DIR}")
cmake --build "$build" -j"$(nproc)" --target junkfall_probe reliability_drive
run() { JUNKFALL_GAME=$build/junkfall_probe "$build/reliability_drive" --gtest_filter=Drive.TimedTurn; }

echo "=== quiet"
run
echo "=== one core kept busy"
yes > /dev/null &
busy=$!
trap 'kill "$busy" 2>/dev/null || true' EXIT
run
