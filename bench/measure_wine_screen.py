"""What full screen costs the Windows build, under Wine, beside its window: CPU of the game's process (and
of the wineserver) in % of one core, in play at full health for 10 s with the pointer moving, then 10 s
firing ten shots a second; a window on 1920 x 1080, full screen at 1 x there and at 2 x on 2560 x 1440,
in turn, ROUNDS times (3 unless given). The game is driven by the end-to-end driver (tests/e2e/game.py),
each configuration on an Xvfb of its own. Wine draws the scaled picture with GDI in software, so this
tells what Wine costs, not what a Windows machine would.

usage: [ROUNDS=n] bench/measure_wine_screen.py WINDOWS_BUILD_DIR   (after cmake --build of it)"""
import os, pathlib, subprocess, sys, time

HERE = pathlib.Path(__file__).resolve().parent
os.environ["JUNKFALL_GAME"] = os.path.join(os.path.abspath(sys.argv[1]), "junkfall.exe")
sys.path.insert(0, str(HERE.parent / "tests/e2e"))
import game  # noqa: E402
from measure_web import cpu_seconds  # noqa: E402

CASES = (((1920, 1080), "--window"), ((1920, 1080), "--fullscreen"), ((2560, 1440), "--fullscreen"))


def wineserver():
    return sum(cpu_seconds(int(p)) for p in subprocess.run(["pgrep", "wineserver"], capture_output=True,
                                                           text=True).stdout.split())


def one(screen, mode):  # % of a core: (game, wineserver) moving, then firing
    s = game.Session(screen)
    try:
        full = mode == "--fullscreen"
        f = min(screen[0] // 800, screen[1] // 600) if full else 1
        at = lambda x, y: game.at(screen, x, y, f, full)
        s.start(game.GAME, mode)
        menu = s.shows(game.menu())
        s.wait_for(lambda i: (p := game.whole(i, screen, f, full)) is not None and menu(p), 20, "the menu")
        s.move(*at(*game.centre(game.PLAY)))
        s.mouse = game.centre(game.PLAY)  # where it is in the picture
        s.x("xdotool", "click", 1)
        prompt = s.shows(game.PROMPT)
        s.wait_for(lambda i: (p := game.whole(i, screen, f, full)) is not None and prompt(p), 3, "the prompt")
        s.key("space")
        out = []
        for firing in (False, True):
            g0, w0, t0 = cpu_seconds(s.game.pid), wineserver(), time.monotonic()
            for i in range(100):  # 10 s
                s.x("xdotool", "mousemove", *at(100 + i * 37 % 600, 470), *["click", 1] * firing)
                time.sleep(max(0.0, t0 + (i + 1) / 10 - time.monotonic()))
            dt = time.monotonic() - t0
            out.append((100 * (cpu_seconds(s.game.pid) - g0) / dt, 100 * (wineserver() - w0) / dt))
        return out
    finally:
        s.close()


if __name__ == "__main__":
    runs = {c: [] for c in CASES}
    for _ in range(int(os.environ.get("ROUNDS", "3"))):
        for c in CASES:
            runs[c].append(one(*c))
    for (screen, mode), r in runs.items():
        for k, what in enumerate(("moving", "firing")):
            g = [x[k][0] for x in r]
            print("%dx%d %-12s %s: game %.1f (%s), wineserver %.1f" % (
                *screen, mode, what, sum(g) / len(g), ", ".join("%.1f" % v for v in g),
                sum(x[k][1] for x in r) / len(r)))
