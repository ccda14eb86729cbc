"""Drives a built game ($JUNKFALL_GAME) as a player would: on a private Xvfb, xdotool for input, import for
the screen, a private PipeWire for the sound (told by hear.py). What it should show and play comes from the
library itself (ctypes, none system), the data file and the game's own tables. A game ending in .exe is the
Windows build, under Wine (wine.py); a page (.html) the web build, opened in a browser (browser.py)."""
import ctypes, functools, os, pathlib, random, re, shutil, subprocess, tempfile, time, unittest
from collections import Counter
import numpy as np
import browser, hear, sound_server, wine

GAME = os.environ.get("JUNKFALL_GAME", "build/junkfall")
DATA = os.environ.get("JUNKFALL_DATA", os.path.join(os.path.dirname(GAME), "media/data.dat"))
SRC = pathlib.Path(__file__).resolve().parents[2] / "src"
EXE, BUILD = os.path.basename(GAME), {".exe": "wine", "html": "web"}.get(GAME[-4:], "linux")
W, H = 800, 600
SLOW = browser.Page.SLOW = float(os.environ.get("JUNKFALL_SLOW", "1"))  # deadlines stretch under valgrind

# What a build cannot show, and why: a check that needs it is skipped with the reason.
TOUCH = "touch screens are the web page's (on a desktop the library sees a touch as the mouse)"
LACKS = {
    "linux": {"touch": TOUCH},
    "wine": {"touch": TOUCH, "signals": "Wine passes no signal on to a Windows program",
             "long paths": "longer than Windows' paths",
             "message text": "the library's messages are Windows message boxes, their text unread",
             "silence without a card": "on Windows a machine without sound devices fails to start the sound "
                                       "(no MIDI device, and no patch set for the library's synthesiser)"},
    "web": {"signals": "a page gets no signals", "close button": "a page closes with its tab, game and all",
            "full screen of its own": "a page's full screen is the browser's (its button: the touch tests)",
            "install layout": "a page's files are served as built: its data is at /media/data.dat",
            "sound settings": "a page reads no allegro.cfg: no sound driver can be named to fail",
            **({"touch": "WebKitGTK's automation makes no touch events (its WebDriver's touch is WPE's only)"}
               if browser.ENGINE == "webkit" else {}),
            **({"install": "installability is asked of Chromium (through the DevTools protocol)"}
               if browser.ENGINE != "chromium" else {})},
}[BUILD]


WINE, WEB = BUILD == "wine", BUILD == "web"
needs = lambda what: unittest.skipIf(what in LACKS, LACKS.get(what))
# what messages() gives for these messages of the library's, and for one that matches a pattern
said = lambda texts: ["(a box)"] * len(texts) if "message text" in LACKS else texts
said_like = lambda pattern: r"^\(a box\)$" if "message text" in LACKS else pattern


def rgb(c):  # a 0..63 palette entry as the 24-bit server shows it
    return bytes((v << 2) | (v >> 4) for v in c)


def row(img, y, x0=0, x1=W):
    return img[(y * W + x0) * 3:(y * W + x1) * 3]


def count(img, colour, y0=0, y1=H, x0=0, x1=W):  # its pixels of that colour (or of a set) in rows y0.., x0..
    px = np.frombuffer(img, np.uint8).reshape(H, W, 3)[y0:y1, x0:x1]
    colours = {colour} if isinstance(colour, bytes) else colour
    return sum(int((px == tuple(c)).all(2).sum()) for c in colours)


# a machine with no sound card: no ALSA device of ours, no sound server to reach
NO_CARD = dict(PIPEWIRE_RUNTIME_DIR="/none", XDG_RUNTIME_DIR="/none", PULSE_SERVER="unix:/none")


def failing_sound(d):
    """Where the game's sound fails to start: a driver named in an allegro.cfg in d; on Windows no device."""
    if WINE:
        return dict(NO_CARD)
    pathlib.Path(d, "allegro.cfg").write_text("[sound]\ndigi_card = ALSA\n")
    return dict(NO_CARD, ALLEGRO=d, HOME=d)


class Session:
    """One X server and one sound server; games on them one after another."""

    def __init__(self, screen=(W, H)):  # the X server's screen, in pixels
        self.dir, self.game, self.keep = tempfile.mkdtemp(prefix="junkfall-e2e."), None, False
        self.screen = screen
        self.touch = None
        self.mouse = W - 1, H - 1
        self.sound, self.mix = sound_server.Server(self.dir + "/sound"), self.dir + "/sound/mix.raw"
        hear.keep_mix(self.sound.home, self.mix)
        # a free display, high up where no other session's answers for it; -noreset, or the
        # server refuses connections while it resets as its last client leaves
        for n in random.sample(range(200, 900), 20):
            self.env = dict(os.environ, DISPLAY=":%d" % n, MSGS=self.dir + "/messages", TMPDIR=self.dir,
                            PATH=self.dir + ":" + os.environ["PATH"], **self.sound.game_env())
            # no X cursor: the games draw their own pointer, and Wine's now and then showed X's
            self.xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "%dx%dx24" % screen, "-nocursor",
                                          "-nolisten", "tcp", "-noreset"], stderr=subprocess.DEVNULL)
            while self.xvfb.poll() is None and subprocess.run(["xdotool", "getmouselocation"], env=self.env,
                                                              capture_output=True).returncode:
                time.sleep(0.05)
            if self.xvfb.poll() is None:
                break
        # allegro_message runs xmessage and waits for it: record the text, answer OK
        pathlib.Path(self.dir, "xmessage").write_text('#!/bin/sh\nfor a; do last=$a; done\n'
                                                      'printf "%s\\0" "$last" >> "$MSGS"\nexit 101\n')
        os.chmod(self.dir + "/xmessage", 0o755)
        try:
            WINE and wine.prefix(self, GAME)
        except BaseException:  # no X or sound server left behind by a session that never came
            self.close()
            raise

    def start(self, *cmd, device=None, **env):  # the game by default; the page on a touch screen of a size
        self.stop()
        self.touch = device
        self.mouse = (W // 2, H // 2) if device else self.mouse  # a page's pointer starts at the centre
        pathlib.Path(self.env["MSGS"]).write_text("")
        self.boxes = 0
        pathlib.Path(self.mix).unlink(missing_ok=True)
        self.sound.record()  # one mix and one recording of the sink per game
        self.move(*self.mouse)
        with open(self.dir + "/output", "w") as out:
            command, env = ["wine"] * WINE + (list(cmd) or [GAME]), dict(self.env, **env)
            self.game = browser.Page(command, env, out, out, self.mix, device) if WEB else \
                subprocess.Popen(command, env=env, stdout=out, stderr=out)
        self.t0, self.unseen = time.monotonic(), True

    def messages(self):  # what allegro_message said; under Wine a box for each, unread; a page logs them
        return self.game.messages() if WEB else ["(a box)"] * self.boxes if WINE else \
            pathlib.Path(self.env["MSGS"]).read_text().split("\0")[:-1]

    def wait_exit(self, timeout=5):
        """The game's exit status; TimeoutExpired if it runs on. Under Wine message boxes are answered
        meanwhile, and Wine waits 2 s for a window manager (Xvfb has none) each time a game window hides."""
        end = time.monotonic() + timeout * SLOW + 4.5 * WINE + 10 * WINE * (self.game.poll() is None)
        while WINE and self.game.poll() is None and time.monotonic() < end:
            wine.answer_box(self, W, H)
            time.sleep(0.2)
        return self.game.wait(max(0.1, end - time.monotonic()))

    def stop(self):
        if self.game and (WEB or self.game.poll() is None):  # a page's browser outlives its game
            self.game.kill()
            self.game.wait()

    def close(self):
        self.stop()
        WINE and wine.close(self.env)
        WEB and browser.Page.close()
        self.sound.close()
        self.xvfb.terminate()
        self.xvfb.wait()
        self.keep and print("kept for a look: " + self.dir)
        self.keep or shutil.rmtree(self.dir, ignore_errors=True)

    mark = lambda self: len(hear.frames(self.mix))  # a point in the mix: heard(mark) is what came after it

    def heard(self, since=0):
        """The sounds begun since a mark, as (name, pitch), once those begun so far, or the game, ended; the
        mix damaged there fails the check (but for Wine's replays, counted)."""
        end, now = time.monotonic() + 10 * SLOW, self.mark()
        while self.game.poll() is None and time.monotonic() < end and self.mark() < now + LONGEST:
            time.sleep(0.1)
        told, damaged = sounds(hear.frames(self.mix))
        damaged = [(round(t / hear.RATE, 2), what) for t, what in damaged if since <= t < now]
        if replays := [t for t, what in damaged if what.startswith("played again")]:
            print("Wine's DirectSound played a late piece of its ring again (s into the mix): %s" % replays)
        if damaged := [d for d in damaged if d[0] not in replays]:
            raise AssertionError("the sound damaged (s into the mix): %s" % damaged)
        return [(n, pitch) for t, n, pitch in told if t >= since]

    def x(self, *cmd):  # an X client
        return subprocess.run([str(a) for a in cmd], env=self.env, capture_output=True, check=True).stdout

    def move(self, x, y):
        self.mouse, self.unseen = (x, y), False
        self.x("xdotool", "mousemove", x, y)

    button = lambda self, down: self.x("xdotool", "mousedown" if down else "mouseup", 1)

    key = lambda self, name: self.x("xdotool", "key", name)

    def click(self, x, y, until, what):  # pressed and let go at once, as a touchpad taps; a touch page's tap
        if self.touch:
            self.mouse = self.game.tap(x, y)
        else:
            self.move(x, y)
            self.x("xdotool", "click", 1)
        return self.wait_for(until, 3, what)

    def grab(self):  # the screen; a touch page's canvas
        return self.game.canvas() if self.touch else self.x("import", "-window", "root", "-depth", "8",
                                                             "rgb:-")

    def wait_for(self, pred, timeout, what):
        """The first grab for which pred holds, within timeout seconds and while the game runs."""
        last = time.monotonic()
        end, gap = last + timeout * SLOW, 0.0  # the longest time between grabs: did the checks stall?
        while True:
            x, y = self.mouse  # the library shows the pointer at the centre until it sees motion
            if self.unseen and not self.touch:
                self.x("xdotool", "mousemove", x ^ 1, y, "mousemove", x, y)
            WINE and wine.answer_box(self, W, H)
            img = self.grab()
            gap, last = max(gap, time.monotonic() - last), time.monotonic()
            if pred(img):
                return img
            if time.monotonic() > end or self.game.poll() is not None:
                name = "%s/%s.ppm" % (self.dir, re.sub(r"\W+", "-", what))  # kept with the session's files
                pathlib.Path(name).write_bytes(b"P6 %d %d 255\n" % self.screen + img)
                raise AssertionError("%s: not seen (last grab %s, status %s, at most %.1f s between grabs)\n"
                                     "%s\n%s" % (what, name, self.game.poll(), gap, self.messages(),
                                                 pathlib.Path(self.dir, "output").read_text()[-3000:]))

    def masked(self, img):  # without the pointer, which the library draws itself, nor what it leaves
        # where it stood as the screen was drawn under it (a check nudges it from x to x ^ 1 and back)
        img, (mx, my) = bytearray(img), self.mouse
        x0, x1 = max(0, (mx & ~1) - 7), min(W, (mx | 1) + 9)
        for y in range(max(0, my - 7), min(H, my + 9)):
            img[(y * W + x0) * 3:(y * W + x1) * 3] = bytes(3 * (x1 - x0))
        return img

    def shows(self, ref):  # under Wine the pointer starts where the game first sees motion: anywhere
        # till moved
        return lambda i: self.masked(i) == self.masked(ref) or WINE and self.unseen and pointer_only(i, ref)

    def away(self, gone):
        """Another program's window (an invisible one) takes the keyboard's focus, as a player turns to it;
        or the focus follows the pointer again, as the X server began. Wine hears nothing of focus that
        follows the pointer: its window is marked mapped (WM_STATE) and given the focus first, to lose, and
        is given it back as a window manager does (WM_TAKE_FOCUS). A touch page: another tab, in front."""
        if self.touch:
            return self.game.hide(gone)
        game_window = WINE and self.under_pointer()
        if gone:
            self.other = x11.XOpenDisplay(self.env["DISPLAY"].encode())  # the window lives with it
            window = x11.XCreateWindow(self.other, x11.XDefaultRootWindow(self.other), 0, 0, 1, 1, 0, 0,
                                       2, None, 0, None)  # InputOnly
            x11.XMapWindow(self.other, window)
            if WINE:  # Wine 10 hears no focus till a window manager has marked the window mapped
                state = x11.XInternAtom(self.other, b"WM_STATE", 0)
                normal = (ctypes.c_long * 2)(1, 0)  # NormalState, no icon
                x11.XChangeProperty(self.other, game_window, state, state, 32, 0, normal, 2)
                x11.XSetInputFocus(self.other, game_window, 1, 0)
        elif WINE:
            self.wm_protocol(game_window, b"WM_TAKE_FOCUS")
        x11.XSetInputFocus(self.other, window if gone else 1, 1, 0)
        x11.XSync(self.other, 0)  # PointerRoot (1), RevertToPointerRoot
        gone or x11.XCloseDisplay(self.other)

    def under_pointer(self):  # the X window under the pointer: the game's, full screen or not
        return int(self.x("xdotool", "getmouselocation", "--shell").split(b"WINDOW=")[1])

    def wm_protocol(self, window, name):  # a window manager's message (WM_PROTOCOLS) to a window
        d = x11.XOpenDisplay(self.env["DISPLAY"].encode())
        atoms = [x11.XInternAtom(d, a, 0) for a in (b"WM_PROTOCOLS", name)]
        # an XClientMessageEvent on LP64: type, serial, send_event, display, window, type, format, data
        ev = (ctypes.c_long * 24)(33, 0, 0, 0, window, atoms[0], 32, atoms[1])
        x11.XSendEvent(d, window, 0, 0, ev)
        x11.XCloseDisplay(d)

    close_button = lambda self: self.wm_protocol(self.under_pointer(), b"WM_DELETE_WINDOW")


def pointer_only(img, ref):  # whether img is ref but for one pointer's square
    rows = [y for y in range(H) if row(img, y) != row(ref, y)]
    cols = [x for y in rows[:16] for x in range(W) if row(img, y, x, x + 1) != row(ref, y, x, x + 1)]
    return not rows or rows[-1] - rows[0] < 16 and max(cols) - min(cols) < 16


x11 = ctypes.CDLL("libX11.so.6")  # the calls the driver makes itself, typed: the result's, the arguments'
c = {k: getattr(ctypes, "c_" + n) for k, n in zip("psLiIl", "void_p char_p ulong int uint long".split())}
for f, t in dict(XOpenDisplay="ps", XDefaultRootWindow="Lp", XSync="ipi", XMapWindow="ipL",
                 XCloseDisplay="ip", XCreateWindow="LpLiiIIIiIpLp", XSetInputFocus="ipLii",
                 XInternAtom="Lpsi", XSendEvent="ipLilp", XChangeProperty="ipLLLiipi").items():
    getattr(x11, f).restype, getattr(x11, f).argtypes = c[t[0]], [c[a] for a in t[1:]]


class Case(unittest.TestCase):
    """The tests of one file share an X server; numbered steps share a game."""
    screen = W, H
    setUpClass = classmethod(lambda cls: setattr(cls, "s", Session(cls.screen)))
    tearDownClass = classmethod(lambda cls: cls.s.close())

    def tearDown(self):  # a failure keeps the session's files: the last game's mix and output
        result = self._outcome.result
        self.s.keep = self.s.keep or any(t is self for t, _ in result.failures + result.errors)

    def stands_still(self, x, y):  # the player away from a turn, then back: a click or tap at (x, y) goes on
        self.s.away(True)
        paused = self.s.wait_for(lambda i: shows_text(i, 200, 300, "Paused "), 2, "paused")
        for still in (1.5, 1):  # away; then back, asking for a press: nothing moves
            end = time.monotonic() + still
            while time.monotonic() < end:
                self.assertEqual(self.s.masked(self.s.grab()), self.s.masked(paused), "moved while paused")
            if still == 1.5:
                self.s.away(False)
                paused = self.s.wait_for(lambda i: shows_text(i, 200, 300, PAUSED), 2, "back")
        img = self.s.click(x, y, lambda i: not shows_text(i, 200, 300, PAUSED) and clock(i), "going on")
        self.assertIn(clock(paused) - clock(img), (0, 1))  # 2.5 s away; the grab after the tap may see 1 s go
        after = envelopes(img)  # each where it stood, a tick or a few on: the nearest at or below it in its
        # column (another may fall in the same column, a spawn's 60 rows or more lower)
        drop = [min((b - y for a, b in after if a == x and b >= y), default=-H) for x, y in envelopes(paused)]
        self.assertTrue(drop and all(0 <= d <= 40 for d in drop), drop)


# ---- the game's own tables: the data file's indices, the menu's slots
INDEX = {m[1]: int(m[2]) for m in re.finditer(r"#define (\w+)\s+(\d+)", (SRC / "data.h").read_text())}
SLOTS = [(INDEX[m[1]], int(m[2]), int(m[3]))
         for m in re.finditer(r"\{ (MENU_\w+), (\d+), (\d+) \}", (SRC / "title_layout.h").read_text())]
PLAYERS, TIMES, (PLAY, QUIT) = ([s[1:] for s in SLOTS[a:b]] for a, b in ((0, 4), (4, 9), (9, 11)))


centre = lambda slot: (slot[0] + 58, slot[1] + 23)


# ---- what the screen should show, drawn by the library under the none system
al = ctypes.CDLL("liballeg.so.4.4")
al._install_allegro_version_check(0x4E4F4E45, ctypes.byref(ctypes.c_int()), None, 0x040403)
al.set_color_depth(8)
al.set_color_conversion(0)
al.create_bitmap.restype = al.load_datafile.restype = p = ctypes.c_void_p
FONT = p.in_dll(al, "font")
_data = al.load_datafile(DATA.encode())
SKY, CLOUD, GROUND, SPECKLE, TURRET, BAR = (rgb(c) for c in (  # in the game's own palette
    (0, 0, 63), (60, 60, 60), (61, 53, 29), (41, 31, 21), (31, 31, 63), (31, 31, 63)))


def obj(name):  # the data file's object of that index name
    return p.from_address(_data + 32 * INDEX[name]).value


def size(bmp):
    return ctypes.c_int.from_address(bmp).value, ctypes.c_int.from_address(bmp + 4).value


def palette(name):
    raw = ctypes.string_at(obj(name), 1024)
    return {c: tuple(raw[4 * c:4 * c + 3]) for c in range(256)}


def picture(draw, pal, w=W, h=H):
    """The RGB bytes of what draw(bitmap) puts on a cleared w x h bitmap, in pal."""
    bmp = al.create_bitmap(w, h)
    al.clear_bitmap(p(bmp))
    draw(p(bmp))
    idx = ctypes.string_at(p.from_address(bmp + 56).value, w * h)  # BITMAP.dat
    al.destroy_bitmap(p(bmp))
    out = bytearray(3 * w * h)
    for ch in range(3):
        out[ch::3] = idx.translate(bytes(rgb(pal.get(c, (0, 0, 0)))[ch] for c in range(256)))
    return bytes(out)


def blit(bmp, dest, x, y):
    al.blit(p(bmp), dest, 0, 0, x, y, *size(bmp))


def text(lines):  # a cleared screen with (x, y, text) lines in white, as textout_ex
    draw = lambda b: [al.textout_ex(b, FONT, s.encode(), x, y, 1, 0) for x, y, s in lines]
    return picture(draw, {1: (63, 63, 63)})


@functools.lru_cache(None)
def glyphs(s):  # the 8 rows of s in the library's font, white on black
    ref = picture(lambda b: al.textout_ex(b, FONT, s.encode(), 0, 0, 1, 0), {1: (63, 63, 63)}, 8 * len(s), 8)
    return [ref[24 * len(s) * r:24 * len(s) * (r + 1)] for r in range(8)]


def shows_text(img, x, y, s):
    return all(row(img, y + r, x, x + 8 * len(s)) == g for r, g in enumerate(glyphs(s)))


PROMPT = text([(200, 300, "Press any key to start")])
PAUSED = "Paused: press a key or click to go on"
[glyphs(s) for s in ["Time left "] + list(" -0123456789")]  # ready before any turn is timed


def menu(players=1, time_slot=3):
    """The title menu with frames on these slots (0-based: 2 players, 180 s)."""
    def draw(b):
        logo = obj("TITLE_BMP")
        blit(logo, b, 400 - size(logo)[0] // 2, 20)
        for i, x, y in SLOTS:
            blit(p.from_address(_data + 32 * i).value, b, x, y)
        for x, y in (PLAYERS[players], TIMES[time_slot]):
            al.rect(b, x, y, x + 117, y + 46, 1)
    return picture(draw, palette("TITLE_PAL"))


CROSSHAIR = picture(lambda b: [al.circle(b, 7, 7, 6, 1)] + [al.line(b, *e, 1) for e in (
    (0, 7, 2, 7), (12, 7, 14, 7), (7, 0, 7, 2), (7, 12, 7, 14))], {1: (63, 63, 63)}, 16, 16)


def pointer_shown(img, ref, x, y, colour=(63, 63, 63)):  # ref under the crosshair, its (7, 7) on (x, y)
    return all(row(img, y - 7 + r, x - 7 + c, x - 6 + c) == (rgb(colour) if CROSSHAIR[48 * r + 3 * c] else
               row(ref, y - 7 + r, x - 7 + c, x - 6 + c)) for r in range(16) for c in range(16))


# ---- reading a turn in play
def health(img):  # the bar at the top right as 0..20; None if it is not a clean bar
    col = b"".join(row(img, y, 790, 791) for y in range(103))
    bars = (bytes(3) * (101 - 5 * h) + BAR * (5 * h + 1) + bytes(3) for h in range(21))
    return next((h for h, bar in enumerate(bars) if col == bar), None)


def clock(img):  # the number in "Time left %3d", if the text is there and whole
    if shows_text(img, 9, 10, "Time left "):
        n = "".join(next((c for c in " -0123456789" if shows_text(img, 89 + 8 * i, 10, c)), "?")
                    for i in range(3))
        return int(n) if re.fullmatch(r" *-?\d+", n) else None


def envelopes(img):
    """Top left corners of whole envelopes in view: 32 pixels in a row in the edge colour, as far as the
    colours swing with the sky's (above row 36 such a row may be the bottom of one coming in)."""
    edge = blend(4, next((p for p in range(64, -1, -1) if blend(6, p) == sky(img)), 64))
    ch, out = [img[c::3] for c in range(3)], []
    i = ch[0].find(edge[:1] * 32)
    while i >= 0:
        hit = ch[1][i:i + 32] == edge[1:2] * 32 and ch[2][i:i + 32] == edge[2:] * 32
        hit = hit and 20 <= i // W < 580 and i % W + 32 <= 780
        out += [(i % W, i // W)] if hit else []
        i = ch[0].find(edge[:1] * 32, i + (32 if hit else 1))
    return [(x, y) for x, y in out if (x, y - 15) not in out and y >= 36]  # not the bottom edge of one


def origin(screen, f=1, full=True):  # the picture's top left on a bigger screen: full screen in its middle
    # at f x; a window where it opens (Windows centres it; a bare X server puts it at the top left)
    return ((screen[0] - W * f) // 2, (screen[1] - H * f) // 2) if full or WINE else (0, 0)


def at(screen, x, y, f=1, full=True, last=False):  # the monitor's pixel that shows the picture's (x, y) at
    x0, y0 = origin(screen, f, full)  # f x: its first, or its last
    return x0 + f * x + (f - 1) * last, y0 + f * y + (f - 1) * last


def whole(img, screen, f=1, full=True):
    """The picture in a grab of a bigger screen, full screen at f x or in a window (origin); None unless it
    is whole: each of its pixels a square of f, the screen black all around (no window manager, no frame)."""
    x0, y0 = origin(screen, f, full)
    root = np.frombuffer(img, np.uint8).reshape(screen[1], screen[0], 3)
    pic, rows = root[y0:y0 + H * f, x0:x0 + W * f], root[y0:y0 + H * f]
    around = root[:y0], root[y0 + H * f:], rows[:, :x0], rows[:, x0 + W * f:]
    sharp = all((pic[i::f, j::f] == pic[::f, ::f]).all() for i in range(f) for j in range(f))
    return pic[::f, ::f].tobytes() if sharp and not any(a.any() for a in around) else None


def lowest(img, above):  # the left edge of the lowest whole envelope above that row; 384 if none
    return max((e for e in envelopes(img) if e[1] < above), key=lambda e: e[1], default=(384, 0))[0]


def sky(img):  # the commonest colour of an open row of sky
    return Counter(bytes(row(img, 400)[i:i + 3]) for i in range(0, 3 * W, 3)).most_common(1)[0][0]


def blend(i, pos):  # entry 6 (sky), 4 (envelope edge) or 2 (banana), pos/64 of the way from the 2nd palette
    ends = {6: ((15, 51, 27), (0, 0, 63)), 4: ((45, 15, 57), (63, 0, 0)), 2: ((25, 48, 34), (63, 63, 0))}[i]
    return rgb(tuple((a * (64 - pos) + b * pos) // 64 for a, b in zip(*ends)))


BANANA = {blend(2, pos) for pos in range(65)}  # a banana's colour, however far the colours swing


# ---- what the game plays: the samples by their index names, as the mixer plays them
def sample(name):  # a SAMPLE's 16-bit data and rate
    s = obj(name)
    n, data = ctypes.c_ulong.from_address(s + 16).value, ctypes.c_void_p.from_address(s + 48).value
    return memoryview(ctypes.string_at(data, 2 * n)).cast("H"), ctypes.c_int.from_address(s + 8).value


SAMPLES = {k[:-len("_SAMPLE")].lower(): sample(k) for k in INDEX if k.endswith("_SAMPLE")}
WAVES = hear.waves(SAMPLES, {"fire": range(900, 1100)})  # the fire sound at each of the game's pitches
LONGEST = max(len(t) for t in WAVES.values())  # frames: a sound begun now has ended this far on
STARTUP = [("splash1", 1000), ("splash2", 1000), ("title", 1000)]  # each whole, in order
HITS = {"hit1", "hit2", "hit3"}


def sounds(mix):
    """Every sound in a mix, in order, [(start frame, name, pitch)], one begun k times at once k times;
    and its damage, [(frame, what)]: stretches no sound explains, sounds at a loudness not a whole
    multiple of the usual one (every sound plays at full volume)."""
    told, bad, rest = hear.tell(mix, WAVES)
    usual = float(np.median([g for *_, g in told] or [1]))
    out = [(s, n, round(st * hear.RATE * 1000 / (256 * SAMPLES[n][1]))) for s, n, st, g in told
           for _ in range(round(g / usual))]
    damaged = [(k, "played again" if WINE and wine.replayed(mix, rest, k) else "no sound explains it")
               for i, k in enumerate(bad) if not i or k > bad[i - 1] + 2 * hear.W]
    return out, damaged + [(s, "%s at %.2f of the usual loudness" % (n, g / usual)) for s, n, _, g in told
                           if abs(g / usual - max(1, round(g / usual))) > 0.05]
