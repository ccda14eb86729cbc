#!/usr/bin/env bash
# Installs what building and playing need, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJUNKFALL_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target junkfall
exec ./build/junkfall
