#!/usr/bin/env bash
# Retakes the README's pictures (docs/images/menu.png and game.png, fullscreen-*.png, on amd64
# windows-menu.png and windows-turn.png, the page's in Chromium, Firefox and
# WebKit, and on touch screens) from the real games on a private X server,
# through the end-to-end driver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target junkfall data_file
mkdir -p docs/images
# the menu and a turn of one build: [ENGINE=firefox|webkit] shoot GAME MENU-NAME TURN-NAME
shoot() {
JUNKFALL_GAME=$1 JUNKFALL_DATA=build/media/data.dat NAMES="$2 $3" JUNKFALL_ENGINE=${ENGINE:-} \
  PYTHONPATH=tests/e2e \
  /usr/bin/python3 -B - <<'PY'
import os, subprocess, time
import game
s = game.Session()
try:
    s.start()
    s.wait_for(s.shows(game.menu()), 40, "menu")
    s.move(560, 460)
    names = os.environ["NAMES"].split()
    shots = {names[0]: s.grab()}
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
    shots[names[1]] = s.grab()
    for name, img in shots.items():
        subprocess.run(["convert", "-size", "800x600", "-depth", "8", "rgb:-", "-colors", "256",
                        "PNG8:docs/images/%s.png" % name], input=img, check=True)
finally:
    s.close()
PY
}
shoot build/junkfall menu game
# full screen on a 2560 x 1440 monitor, the picture at 2 x in its middle: the menu, and shots flying
JUNKFALL_GAME=build/junkfall JUNKFALL_DATA=build/media/data.dat PYTHONPATH=tests/e2e \
  /usr/bin/python3 -B - <<'PY'
import subprocess, time
import game
s = game.Session((2560, 1440))
at = lambda x, y: game.at(s.screen, x, y, 2)
png = lambda name: subprocess.run(["convert", "-size", "2560x1440", "-depth", "8", "rgb:-", "-colors", "256",
                                   "PNG8:docs/images/%s.png" % name], input=s.grab(), check=True)
try:
    s.start()
    s.move(*at(400, 300))  # where the library shows the pointer till it moves, on the screen too
    s.mouse = 400, 300
    whole_menu = lambda i: (p := game.whole(i, s.screen, 2)) is not None and s.shows(game.menu())(p)
    s.wait_for(whole_menu, 40, "menu")
    png("fullscreen-menu")
    for x, y in ((100, 297), (240, 410), (200, 512)):  # 1 player, 60 s, Play
        s.move(*at(x, y))
        s.x("xdotool", "click", 1, "sleep", 0.5)
    s.key("space")
    time.sleep(3)
    for x in (300, 420, 520):
        s.move(*at(x, 470))
        s.x("xdotool", "click", 1, "sleep", 0.25)
    png("fullscreen-play")
finally:
    s.close()
PY
if [ "$(dpkg --print-architecture)" = amd64 ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows >/dev/null
  shoot build-windows/junkfall.exe windows-menu windows-turn
fi
ls -l docs/images

# the web page as a player sees it, in a window with room for the how-to-play
# beside the canvas (at 66,40 in it), on a private X server
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
work=$(mktemp -d)
Xvfb :97 -screen 0 1280x680x24 -nolisten tcp -noreset & xvfb=$!
(cd build-web/web && exec python3 -m http.server -b 127.0.0.1 8097 >/dev/null 2>&1) & server=$!
trap 'kill $browser $server $xvfb 2>/dev/null; sleep 1; rm -rf "$work"' EXIT
sleep 1
DISPLAY=:97 chromium --no-sandbox --test-type --user-data-dir="$work" --no-first-run --app=http://127.0.0.1:8097/ \
  --window-position=0,0 --window-size=1280,680 >/dev/null 2>&1 & browser=$!
shot() { DISPLAY=:97 import -window root "PNG8:docs/images/$1.png"; }
sleep 6
DISPLAY=:97 xdotool mousemove 640 340 click 1 sleep 9 mousemove 800 400 sleep 1
shot web-menu
DISPLAY=:97 xdotool mousemove 266 552 click 1 sleep 1 key space mousemove 600 500 sleep 6
shot web-turn
ENGINE=firefox shoot build-web/web/index.html web-firefox-menu web-firefox-turn
ENGINE=webkit shoot build-web/web/index.html web-webkit-menu web-webkit-turn
rm docs/images/web-firefox-menu.png docs/images/web-webkit-menu.png  # pixel for pixel menu.png
ls -l docs/images/web-*

# the page on touch screens, in the menu: a phone held either way, and a tablet
JUNKFALL_GAME=build-web/web/index.html JUNKFALL_DATA=build-web/media/data.dat PYTHONPATH=tests/e2e \
  /usr/bin/python3 -B - <<'PY'
import base64, pathlib
import game
s = game.Session()
try:
    for name, device in (("phone", (844, 390)), ("phone-portrait", (390, 844)), ("tablet", (1180, 820))):
        s.start(device=device)
        s.wait_for(s.shows(game.menu()), 15, "menu")
        shot = s.game.call("Page.captureScreenshot", format="png")["data"]
        pathlib.Path("docs/images/web-%s.png" % name).write_bytes(base64.b64decode(shot))
finally:
    s.close()
PY
ls -l docs/images/web-*
