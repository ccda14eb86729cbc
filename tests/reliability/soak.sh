#!/usr/bin/env bash
# A 300-second turn of random input (about six minutes in all), sampling the
# game's resident memory every 5 s; after the first minute it must stay flat.
# Not part of the suite.
#   tests/reliability/soak.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: $0 BUILD_DIR}")
cmake --build "$build" -j"$(nproc)" --target junkfall reliability_drive
"$build/reliability_drive" --gtest_filter=Drive.Soak
