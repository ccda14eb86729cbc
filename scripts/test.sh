#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite:
# headless unit tests, then the end-to-end tests on a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
# end-to-end tests are marked to run alone, so timing is not shared
ctest --output-on-failure -j"$(nproc)"
