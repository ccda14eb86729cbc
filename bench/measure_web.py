"""What the web build costs in each browser engine, beside the Linux build in the same run:
  - ticks per second over a 30 s turn, counted off the screen: envelopes fall 2 pixels a tick
    and one spawns every 30 ticks, so any envelope's row tells the tick count modulo 30, and
    grabs a few ticks apart tell it whole; a line fitted through them gives the rate;
  - CPU of the game's processes (the browser's, all of them; the Linux game) in play;
  - the time from a click in play to the fire sound's start in the recording of the sound
    server's sink (each click made when the sink has been quiet a while), and how often the
    page's sound queue ran dry in play;
  - the page's bytes, and the time from the click on the page to the first splash;
  - the engine's floor: the CPU of bench/floor.html, the least a page that animates a canvas as the
    game's does and plays sound costs that engine, against which the game's page is measured, and its
    click to sound (a tone started on the press); the desktop's, bench/sound_floor.py's;
  - in 30 s of play with a click every 0.3 s (a tap, on a phone's page in Chromium and Firefox): damage in
    the game's own mix, stretches the sink did not play as the mix has them, and how often the page's
    queue ran dry after the first second;
  - the Windows build under Wine too, where its build is given, beside the floor of Wine's DirectSound
    (bench/sound_floor_windows.c, built with it).
Every build is driven by the end-to-end driver (tests/e2e/game.py) on its own Xvfb.

usage: bench/measure_web.py [--whole-only] BUILD_DIR WEB_BUILD_DIR [WINDOWS_BUILD_DIR]   (after cmake --build
of each; --whole-only: only the 30 s of play, on the desktop and on a phone's page)"""
import ctypes, json, os, pathlib, subprocess, sys, time
import numpy as np

HERE = pathlib.Path(__file__).resolve().parent


def cpu_seconds(pid):  # of pid and every process under it
    total, kids = 0.0, {}
    for stat in pathlib.Path("/proc").glob("[0-9]*/stat"):
        try:
            f = stat.read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        kids.setdefault(int(f[1]), []).append(int(stat.parent.name))
        if int(stat.parent.name) == pid:
            total += (int(f[11]) + int(f[12])) / os.sysconf("SC_CLK_TCK")
    return total + sum(cpu_seconds(k) for k in kids.get(pid, []))


class Screen:
    """The display's pixels as RGB bytes straight from the server (XGetImage): a few
    milliseconds a grab, so each is timed to within a tick."""

    def __init__(self, display, w, h):
        self.x11, self.w, self.h = ctypes.CDLL("libX11.so.6"), w, h
        self.x11.XOpenDisplay.restype = self.x11.XGetImage.restype = ctypes.c_void_p
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.d = self.x11.XOpenDisplay(display.encode())
        self.root = self.x11.XDefaultRootWindow(self.d)

    def grab(self):  # a ZPixmap of 32-bit pixels: its data pointer follows four ints
        img = self.x11.XGetImage(self.d, self.root, 0, 0, self.w, self.h, 0xFFFFFFFF, 2)
        raw = ctypes.string_at(ctypes.c_void_p.from_address(img + 16).value, 4 * self.w * self.h)
        self.x11.XDestroyImage(img)
        return np.frombuffer(raw, np.uint8).reshape(-1, 4)[:, 2::-1].tobytes()


def driver(tap=False):
    """The end-to-end driver, imported in a process of its own per build, as it picks its build on import."""
    sys.path.insert(0, str(HERE.parent / "tests/e2e"))
    import browser, game
    if not tap:  # the tests' sound tap costs the page CPU: the latency is read off the sink
        browser.Page.TAP = None
    return game


def one_build():
    game = driver()
    import test_startup
    s, out = game.Session(), {}
    try:
        t0 = time.monotonic()
        s.start()
        started = time.monotonic()
        s.wait_for(s.shows(test_startup.SPLASH1), 30, "first splash")
        out["click to splash s"] = round(time.monotonic() - started, 2) if game.WEB else None
        out["start to splash s"] = round(time.monotonic() - t0, 2)
        s.wait_for(s.shows(game.menu()), 15, "menu")
        s.click(*game.centre(game.TIMES[0]), s.shows(game.menu(1, 0)), "30 s")
        s.click(*game.centre(game.PLAY), s.shows(game.PROMPT), "prompt")
        s.move(400, 470)
        s.key("space")
        s.wait_for(lambda i: game.clock(i) is not None, 3, "first frame")
        screen = Screen(s.env["DISPLAY"], game.W, game.H)
        samples, cpu0, t1 = [], cpu_seconds(s.game.pid), time.monotonic()
        while time.monotonic() < t1 + 14:  # the 20th landing ends the turn at 15.65 s
            t, img = time.monotonic(), screen.grab()
            t = (t + time.monotonic()) / 2
            rows = [y for x, y in game.envelopes(img)]
            if rows:  # the ticks since the turn began, as near as the clock tells, to the row's count
                guess = samples[-1][1] + (t - samples[-1][0]) * 60 if samples else (t - t1) * 60
                phase = ((rows[0] + 16) // 2) % 30
                samples.append((t, phase + 30 * round((guess - phase) / 30)))
        cpu = cpu_seconds(s.game.pid) - cpu0
        out["sound ran dry in play"] = s.game.log().count("sound ran dry") if game.WEB else None
        # a grab shows a frame late, never early: the line through the least late grab of each second
        best = {}
        for t, k in samples:
            b = int(t - t1)
            best[b] = max(best.get(b, (t, k)), (t, k), key=lambda e: e[1] - 60 * e[0])
        picks = list(best.values())
        mt, mn = sum(t for t, _ in picks) / len(picks), sum(k for _, k in picks) / len(picks)
        rate = sum((t - mt) * (k - mn) for t, k in picks) / sum((t - mt) ** 2 for t, _ in picks)
        spread = max(abs(k - mn - rate * (t - mt)) for t, k in picks)  # ticks off the line, at most
        out.update({"ticks per s": round(rate, 3), "least late grabs off it, ticks": round(spread, 1),
                    "ticks per 30 s turn": round(30 * rate, 1), "grabs": len(samples),
                    "CPU % of a core in play": round(100 * cpu / (time.monotonic() - t1), 1)})
        out.update(latency(s))
    finally:
        s.close()
    return out


def floor():
    """The engine's CPU over 14 s of bench/floor.html, started as the game's page is, and its click to
    sound (a tone started on the press)."""
    s = driver().Session()
    try:
        s.start(str(HERE / "floor.html"))
        time.sleep(12)  # as long as the game's page has run when its window opens: a new profile
        # keeps Chromium busy for a few seconds, now and then ten or more
        cpu0, t0 = cpu_seconds(s.game.pid), time.monotonic()
        time.sleep(14)
        out = {"floor: CPU % of a core": round(100 * (cpu_seconds(s.game.pid) - cpu0) /
                                               (time.monotonic() - t0), 1)}
        return dict(out, **{"floor: " + k: v for k, v in click_to_sound(s).items()})
    finally:
        s.close()


def sound_floor():
    """The desktop's click to sound: bench/sound_floor.py, on the sound server the game is heard through;
    under Wine its DirectSound's, bench/sound_floor_windows.c, built beside the Windows game."""
    s, game = driver().Session(), sys.modules["game"]
    try:
        s.start(*[os.path.dirname(game.GAME) + "/bench/sound_floor_windows.exe"] if game.WINE else
                [sys.executable, str(HERE / "sound_floor.py")])
        s.x("xdotool", "search", "--sync", "--name", "Sound floor")
        return {"floor: " + k: v for k, v in click_to_sound(s).items()}
    finally:
        s.close()


def latency(s):
    """Click to sound over the second player's turn: median and range, in ms."""
    game = sys.modules["game"]
    s.wait_for(s.shows(game.PROMPT), 10, "second player's prompt")
    s.key("space")
    s.wait_for(lambda i: game.clock(i) is not None, 3, "first frame")
    return click_to_sound(s)


def click_to_sound(s):
    """Twelve clicks at (400, 470), each when the sink has been quiet a while: median and range, in ms."""
    s.move(400, 470)
    frames = lambda: np.fromfile(s.sound.sink, np.int16)[::2].astype(float) / 32768
    waits, end = [], time.monotonic() + 14
    while len(waits) < 12 and time.monotonic() < end:
        x = frames()
        if len(x) < 4410 or np.abs(x[-4410:]).max() > 4e-3:  # a sound still playing
            time.sleep(0.02)
            continue
        at = len(x)
        s.x("xdotool", "click", 1)
        while time.monotonic() < end and not (loud := np.flatnonzero(np.abs(frames()[at:]) > 4e-3)).size:
            time.sleep(0.01)
        if loud.size:
            waits.append(1000 * loud[0] / 44100)
    return {"click to sound ms, median": round(float(np.median(waits)), 1),
            "click to sound ms, range": "%d-%d" % (min(waits), max(waits)), "clicks heard": len(waits)}


def whole(device=None):
    """30 s of a turn, a click (on a phone's page, a tap) every 0.3 s near the lowest envelope: what of the
    game's sound was not whole, from the first second of play on: damage in the game's own mix as the
    tests' ear tells it (a piece lost, repeated or cut; under Wine the ring's replays counted apart); the
    stretches the sink did not play as the mix has them (gaps); on a page, how often its queue ran dry."""
    game = driver(tap=True)
    import hear
    s = game.Session()
    try:
        s.start(device=device)
        s.wait_for(s.shows(game.menu()), 40, "menu")
        s.click(*game.centre(game.TIMES[4]), s.shows(game.menu(1, 4)), "300 s")
        s.click(*game.centre(game.PLAY), s.shows(game.PROMPT), "prompt")
        device or s.key("space")  # a phone has no keys: a tap begins the turn
        s.click(400, 470, lambda i: game.clock(i) is not None, "first frame") if device else \
            s.wait_for(lambda i: game.clock(i) is not None, 3, "first frame")
        t0, clicks, log = time.monotonic(), 0, lambda: s.game.log() if game.WEB else ""
        time.sleep(1)
        dry, since = log().count("sound ran dry"), s.mark()
        while time.monotonic() < t0 + 31:
            time.sleep(max(0.0, t0 + 1 + 0.3 * clicks - time.monotonic()))
            if clicks % 3 == 0:  # aimed every third click: under Wine a move takes a quarter second
                x = game.lowest(s.grab(), 500) + 16
                device or s.move(x, 470)
            s.game.tap(x, 470) if device else s.x("xdotool", "click", 1)
            clicks += 1
        time.sleep(1)
        mix, sink = hear.frames(s.mix), hear.frames(s.sound.sink)
        damage = [what for k, what in game.sounds(mix)[1] if k >= since]
        replays = damage.count("played again")
        return {"clicks": clicks, "damage in the mix": len(damage) - replays, "ring replays (Wine)": replays,
                "gaps at the sink": gaps(mix, sink, since),
                "queue ran dry after 1 s": log().count("sound ran dry") - dry if game.WEB else None}
    finally:
        s.close()


def gaps(mix, sink, since):
    """Stretches of the mix, from frame since on, that the sink did not play as they were: each second
    lined up with the sink to the frame (cross-correlation, within 0.6 s of the last second's lag), a 10 ms
    window is lost where what the sink left unexplained is over a tenth of it. A lost period, a queue run
    dry, a piece played twice: each one stretch."""
    def lag_of(x, y):  # where in y the stretch x fits best
        n = 1 << (len(x) + len(y)).bit_length()
        c = np.fft.irfft(np.fft.rfft(y, n) * np.conj(np.fft.rfft(x, n)), n)
        return int(np.argmax(c[:len(y) - len(x)]))
    bad, second, lag = [], 44100, None
    for i in range(since, len(mix) - second, second):
        x = mix[i:i + second]
        if np.abs(x).max() < 1e-2:
            continue
        if lag is not None and i + lag + second + 4410 > len(sink):  # the recording ends about here
            break
        a = 0 if lag is None else max(0, i + lag - 26460)
        lag = a + lag_of(x, sink[a:] if lag is None else sink[a:i + lag + second + 26460]) - i
        y = sink[i + lag:i + lag + second]
        g = np.dot(x, y) / np.dot(x, x)
        for k in range(0, second, 441):
            e = x[k:k + 441]
            if np.dot(e, e) > 441e-4 and np.sum((y[k:k + 441] - g * e) ** 2) > 0.1 * g * g * np.dot(e, e):
                bad.append(i + k)
    return sum(1 for j, k in enumerate(bad) if not j or k > bad[j - 1] + 441)


def main(build, web, windows=None, modes=("--one", "--floor", "--whole")):
    if build in ("--one", "--floor", "--whole", "--phone"):
        print(json.dumps(one_build() if build == "--one" else whole() if build == "--whole" else
                         {"phone: " + k: v for k, v in whole((844, 390)).items()} if build == "--phone" else
                         floor() if web else sound_floor()))
        return
    runs = {}
    page = web + "/web/index.html"
    builds = [("linux", build + "/junkfall", "")]
    builds += [("windows", windows + "/junkfall.exe", "")] if windows else []
    for name, path, engine in builds + [(e, page, e) for e in ("chromium", "firefox", "webkit")]:
        env = dict(os.environ, JUNKFALL_GAME=path, JUNKFALL_DATA=build + "/media/data.dat",
                   JUNKFALL_ENGINE=engine)
        runs[name] = {}
        for what in modes + ("--phone",) * (engine in ("chromium", "firefox")):
            done = subprocess.run([sys.executable, __file__, what, engine], env=env, capture_output=True,
                                  text=True)
            if done.returncode:
                sys.exit("%s: %s" % (name, done.stderr[-2000:]))
            runs[name].update(json.loads(done.stdout.strip().splitlines()[-1]))
        if engine and "--one" in modes:
            runs[name]["game above the floor"] = round(runs[name]["CPU % of a core in play"] -
                                                       runs[name]["floor: CPU % of a core"], 1)
    print("%-30s" % "" + "".join("%12s" % n for n in runs))
    for key in runs["chromium"]:
        print("%-30s" % key + "".join("%12s" % r.get(key, "") for r in runs.values()))
    page = pathlib.Path(web, "web")
    loaded = ["index.html", "page.js", "page.css", "junkfall.js", "junkfall.wasm", "media/data.dat",
              "junkfall-32.png"]
    for f in loaded:
        print("%-30s %12d" % (f, (page / f).stat().st_size))
    print("%-30s %12d" % ("page total", sum((page / f).stat().st_size for f in loaded)))


if __name__ == "__main__":
    whole_only = sys.argv[1:2] == ["--whole-only"]
    if len(sys.argv) - whole_only not in (3, 4):
        sys.exit(__doc__)
    main(*sys.argv[1 + whole_only:], **({"modes": ("--whole",)} if whole_only else {}))
