#!/usr/bin/env bash
# Retakes the README's pictures (docs/images/menu.png and game.png) from the
# real game on a private X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target e2e_screenshots
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
./build/e2e_screenshots "$tmp"
mkdir -p docs/images
for shot in menu game; do
  convert-im6.q16 "$tmp/$shot.ppm" -colors 256 "PNG8:docs/images/$shot.png"
done
ls -l docs/images
