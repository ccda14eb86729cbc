"""What the game plays, heard as a player hears it: a private PipeWire (with WirePlumber and its
PulseAudio server) whose one sink is a null sink, recorded from its monitor; each sound in the
recording told by its content, against the data file's samples at the pitches the game plays."""
import os, pathlib, shutil, subprocess, time
import numpy as np

RATE = 48000  # the graph's own rate: every mix reaches it resampled
HUSH = 0.5  # seconds of silence that end what a check listens to


class Server:
    """dbus, pipewire, wireplumber and pipewire-pulse in private runtime, config and state
    directories; `game_env()` reaches it, through ALSA (a private HOME's .asoundrc) or the
    PulseAudio protocol (Wine's driver)."""

    def __init__(self, d):
        self.dir, self.procs, self.rec = d, [], None
        run = os.path.join(d, "run")
        os.makedirs(run, mode=0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=run, HOME=d, XDG_CONFIG_HOME=d + "/config",
                        XDG_STATE_HOME=d + "/state", PIPEWIRE_RUNTIME_DIR=run,
                        DBUS_SESSION_BUS_ADDRESS="unix:path=%s/bus" % run, PULSE_SERVER="unix:%s/pulse/native" % run)
        for cmd in (["dbus-daemon", "--session", "--nofork", "--address=" + self.env["DBUS_SESSION_BUS_ADDRESS"]],
                    ["pipewire"], ["wireplumber"], ["pipewire-pulse"]):
            self.procs.append(subprocess.Popen(cmd, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            self.until(lambda: cmd[0] != "dbus-daemon" or os.path.exists(run + "/bus"), cmd[0])
        self.until(lambda: self.pactl("info").returncode == 0, "pipewire-pulse")
        self.pactl("load-module", "module-null-sink", "sink_name=heard")
        self.until(lambda: b"heard" in self.pactl("list", "short", "sinks").stdout, "the null sink")
        self.pactl("set-default-sink", "heard")
        home = os.path.join(d, "game")
        os.makedirs(home)
        pathlib.Path(home, ".asoundrc").write_text("pcm.!default { type pipewire }\nctl.!default { type pipewire }\n")
        self.home = home

    def until(self, cond, what, timeout=10):
        end = time.monotonic() + timeout
        while not cond():
            if time.monotonic() > end or any(p.poll() is not None for p in self.procs):
                raise RuntimeError("the sound server did not come up: " + what)
            time.sleep(0.05)

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=self.env, capture_output=True)

    def game_env(self):
        keys = ("XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "PULSE_SERVER")
        return dict({k: self.env[k] for k in keys}, HOME=self.home, XDG_CONFIG_HOME=self.home + "/.config")

    def record(self, path):  # a new recording of the sink, from now on
        self.stop_recording()
        self.path = path
        with open(path, "wb") as f:
            self.rec = subprocess.Popen(["parec", "-d", "heard.monitor", "--format=float32le", "--rate=%d" % RATE,
                                         "--channels=2", "--raw", "--latency-msec=20"], env=self.env, stdout=f)
        self.until(lambda: os.path.getsize(path) > 0, "recording")

    def mark(self):  # a point in the recording, in frames
        return os.path.getsize(self.path) // 8

    def quiet_since(self, frame):  # whether the recording has run quiet for HUSH s, past frame
        n = self.mark()
        if n < frame + 2 * HUSH * RATE:
            return False
        with open(self.path, "rb") as f:
            f.seek(8 * (n - int(HUSH * RATE)))
            return np.abs(np.frombuffer(f.read(8 * int(HUSH * RATE)), dtype="<f4")).max(initial=0) < QUIET

    def stop_recording(self):
        if self.rec:
            self.rec.terminate()
            self.rec.wait()
            self.rec = None

    def close(self):
        self.stop_recording()
        for p in reversed(self.procs):
            p.terminate()
            p.wait()


CUT = 4000, 6000  # Hz: what every mixer passes alike (they part ways above it, in how they
# interpolate), with a smooth edge, so that a sound rings little before it starts


def lowpass(x):
    f, hz = np.fft.rfft(x), np.fft.rfftfreq(len(x), 1 / RATE)
    f *= np.clip((CUT[1] - hz) / (CUT[1] - CUT[0]), 0, 1) ** 2 * (3 - 2 * np.clip((CUT[1] - hz) / (CUT[1] - CUT[0]), 0, 1))
    return np.fft.irfft(f, len(x))


def mono(raw):  # a recording's two channels as one, low-passed
    x = np.frombuffer(raw[:len(raw) // 8 * 8], dtype="<f4").reshape(-1, 2)
    return lowpass(x.mean(axis=1).astype(np.float64))


QUIET, GAP = 3e-4, int(0.12 * RATE)  # below this is silence; this much of it parts two stretches


def stretches(x):
    """(start, end) of each run of sound, parted by GAP or more of silence, with half of
    the silence on each side (a sound may begin softer than QUIET)."""
    loud = np.flatnonzero(np.abs(x) > QUIET)
    if not len(loud):
        return []
    breaks = np.flatnonzero(np.diff(loud) > GAP)
    return [(max(0, a - GAP // 2), min(len(x), b + GAP // 2))
            for a, b in zip(loud[np.r_[0, breaks + 1]], loud[np.r_[breaks, len(loud) - 1]] + 1)]


LEAD = 256  # frames a wave starts before its sample does


class Samples:
    """The data file's samples ({index: (16-bit data, rate)}) as the mix should hold them at a
    pitch: resampled to RATE, low-passed, with their derivative (to fit a fraction of a frame)."""

    def __init__(self, samples, fire, pitches):
        self.samples, self.fire, self.pitches, self.cache = samples, fire, pitches, {}

    def wave(self, i, pitch):
        if (i, pitch) not in self.cache:
            data, freq = self.samples[i]
            x = (np.asarray(data, dtype=np.float64) - 0x8000) / 0x8000
            n = int(len(x) * RATE * 1000 / (freq * pitch))
            f = np.fft.rfft(x)[:n // 2 + 1]
            t = np.fft.irfft(np.r_[f, np.zeros(n // 2 + 1 - len(f))], n) * n / len(x)
            t = lowpass(np.r_[np.zeros(LEAD), t, np.zeros(LEAD)])  # with what rings around it
            self.cache[i, pitch] = t, np.gradient(t)
        return self.cache[i, pitch]

    def candidates(self):
        return [(i, 1000) for i in self.samples if i != self.fire] + [(self.fire, p) for p in self.pitches]


def fit(r, t, d):
    """r fitted by least squares as g t + h d: (g, the fitted wave, the share of r's energy
    it explains)."""
    n = min(len(r), len(t))
    a = np.stack([t[:n], d[:n]], axis=1)
    coef = np.linalg.lstsq(a, r[:n], rcond=None)[0]
    f, e = a @ coef, np.dot(r[:n], r[:n])
    return coef[0], f, 1 - np.dot(r[:n] - f, r[:n] - f) / e if e else 0.0


def align(r, k, t, reach):
    """The start within reach of frame k at which t explains most of r's window there."""
    a = max(0, k - reach)
    w = r[a:k + reach + len(t)]
    if len(w) < len(t):
        w = np.r_[w, np.zeros(len(t) - len(w))]
    n = 1 << int(len(w) + len(t)).bit_length()
    c = np.fft.irfft(np.fft.rfft(w, n) * np.conj(np.fft.rfft(t, n)), n)[:len(w) - len(t) + 1]
    e = np.cumsum(np.r_[0, w * w])
    return a + int(np.argmax(c * np.abs(c) / np.maximum(e[len(t):] - e[:-len(t)], 1e-12)))


def follow(r, s, t, d, f, n=2048, reach=256):
    """Takes t (from frame s of r) away from r piece by piece, each lined up afresh: a server's
    stream may skip or repeat a little. A piece that fits badly is halved (a skip inside it);
    frames a piece leaves behind it are taken as a repeat of what came just before. Adds the
    fitted wave to f; gives the gain of each piece of t that holds sound, and where t ended."""
    gains, j = [], 0
    while j < len(t):
        tb, db = t[j:j + n], d[j:j + n]
        quiet = np.sqrt(np.mean(tb * tb)) < 0.01  # too little to line up by: kept in step
        near = s if quiet else align(r, s, tb, 4)  # a pitch a little off drifts a little
        g, fb, q = fit(r[near:near + len(tb)], tb, db)
        p = near if quiet else align(r, s, tb, reach)
        if p != near:  # a jump only where it then explains the mix well (else another sound misleads it)
            g2, fb2, q2 = fit(r[p:p + len(tb)], tb, db)
            g, fb, q, p = (g2, fb2, q2, p) if q2 > max(0.9, q + 0.2) else (g, fb, q, near)
        if not quiet and q < 0.9 and len(tb) > 128:
            more, s = follow(r, s, tb, db, f, n // 2, reach)
            gains, j = gains + more, j + len(tb)
            continue
        for a, w, v in ((p - min(p - s, j), t[j - min(p - s, j):j], d[j - min(p - s, j):j]), (p, tb, db)):
            if len(w) and a >= 0:
                fw = fit(r[a:a + len(w)], w, v)[1]
                r[a:a + len(fw)] -= fw
                f[a:a + len(fw)] += fw
        gains += [] if quiet else [g]
        j, s = j + len(tb), p + len(tb)
    return gains, s


def onset(r, f, k, level, n=256):
    """The first window from frame k in which the residue r is loud, for what is already told
    there (f): a server's skips leave some of a told sound behind."""
    for a in range(k, len(r), n):
        w, v = r[a:a + n], f[a:a + n]
        if np.dot(w, w) > n * level ** 2 + 0.25 * np.dot(v, v):
            return a + int(np.argmax(np.abs(w) > level))
    return None


HEAD = 2048  # frames of a sound, from where it grows loud, by which it is told


def tell(x, lib, level=5e-3):
    """The sounds in one stretch x, earliest first: [(frame, index, pitch, gains)], index None
    where no sample explains the mix. At the residue's first loud frame, the candidate whose
    start explains most of the mix there is taken, followed to its end and taken away; the
    sounds it overlaps are then followed again without it."""
    r, told, k = x.copy(), [], 0
    while True:
        k = onset(r, sum((w for *_, w in told), np.zeros(len(x))), k, level)
        if k is None:
            return [(s, c, pitch, gains) for s, c, pitch, gains, w in told]
        q, c, pitch, s = max(start(r, k, lib, c, pitch, level) for c, pitch in lib.candidates())
        if c == lib.fire:  # its pitch to the unit, from the pitches near the best of the coarse ones
            q, c, pitch, s = max(start(r, k, lib, c, v, level) for v in range(pitch - 9, pitch + 10))
        if q < 0.6:  # unexplained: heard as unknown, and passed over; unless what is told there is
            # louder than the rest, which is then what a skip of the stream left behind of it
            w = sum(w[k:k + HEAD] for *_, w in told) if told else np.zeros(1)
            if np.dot(w, w) < 2 * np.dot(r[k:k + HEAD], r[k:k + HEAD]):
                told.append((k, None, 0, [], np.zeros(len(x))))
            k += HEAD
            continue
        told.append((s, c, pitch, [], np.zeros(len(x))))
        new = told[-1]
        for n, (s, c, pitch, gains, w) in 2 * list(enumerate(told)):  # twice: each fitted without the others
            if c is not None and (told[n] is new or w[new[0]:].any() or new[4][s:].any()):
                r += w
                w[:] = 0
                told[n] = (s, c, pitch, follow(r, s, *lib.wave(c, pitch), w)[0], w)
        told.sort(key=lambda e: e[0])


def start(r, k, lib, c, pitch, level, n=HEAD):
    """(how well, c, pitch, where it starts) for sample c at pitch started so that it grows
    loud near frame k, as the mix does there."""
    t, d = lib.wave(c, pitch)
    z = np.flatnonzero(np.abs(t) > 2 * level)[0]  # where it grows loud, at about the mix's gain
    p = align(r, k, t[z:z + n], 4096)
    return fit(r[p:p + n], t[z:], d[z:])[2], c, pitch, p - z


def cut_short(gains):  # whether a sound's last pieces were much quieter than the rest of it
    return len(gains) > 2 and max(gains[-2:]) < 0.5 * float(np.median(gains))
