#!/usr/bin/env bash
# Retakes the README's pictures (docs/images/menu.png and game.png) from the
# real game on a private X server, through the end-to-end driver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target junkfall data_file
mkdir -p docs/images
JUNKFALL_GAME=build/junkfall PYTHONPATH=tests/e2e /usr/bin/python3 -B - <<'PY'
import subprocess, time
import game
s = game.Session()
try:
    s.start()
    s.wait_for(s.shows(game.menu()), 40, "menu")
    s.move(560, 460)
    shots = {"menu": s.grab()}
    s.click(100, 297, s.shows(game.menu(0, 3)), "1 player")
    s.click(240, 410, s.shows(game.menu(0, 1)), "60 s")
    s.click(200, 512, s.shows(game.PROMPT), "prompt")
    s.key("space")
    t0, i = time.monotonic(), 0
    while time.monotonic() < t0 + 9:  # sweep and fire until a few envelopes have landed and the colours swing
        s.move(120 + (i * 37) % 560, 560)
        s.button(i % 3 == 0)
        i += 1
    s.button(False)
    shots["game"] = s.grab()
    for name, img in shots.items():
        subprocess.run(["convert", "-size", "800x600", "-depth", "8", "rgb:-", "-colors", "256",
                        "PNG8:docs/images/%s.png" % name], input=img, check=True)
finally:
    s.close()
PY
ls -l docs/images
