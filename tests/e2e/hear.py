"""What the game plays, heard as a player hears it: a private PipeWire whose one sink is a null
sink, recorded from its monitor; each sound in the recording told by fitting the data file's
samples, at the pitches the game plays, to what any mixer and resampler make of them."""
import os, pathlib, subprocess, time
import numpy as np

RATE, HUSH = 48000, 0.5  # the graph's rate, which every mix is resampled to; seconds of quiet that end a listen
QUIET, GAP = 3e-4, int(0.12 * RATE)  # below this is silence; this much of it parts two stretches of sound
CUT = 4000, 6000  # Hz: what every mixer passes alike (they part above, in how they interpolate), a smooth edge
LEAD, HEAD = 256, 2048  # frames a wave rings before its sample starts; frames of a sound by which it is told


class Server:
    """dbus, pipewire, wireplumber and pipewire-pulse, each by its process id, in private runtime,
    config and state directories; game_env() reaches them through ALSA's PipeWire plugin (a
    private HOME's .asoundrc) or the PulseAudio protocol (Wine's driver)."""

    def __init__(self, d):
        run, self.procs, self.rec = d + "/run", [], None
        os.makedirs(run, mode=0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=run, PIPEWIRE_RUNTIME_DIR=run, HOME=d, XDG_CONFIG_HOME=d + "/config",
                        XDG_STATE_HOME=d + "/state", PULSE_SERVER="unix:%s/pulse/native" % run,
                        DBUS_SESSION_BUS_ADDRESS="unix:path=%s/bus" % run)
        for cmd, ready in ((["dbus-daemon", "--session", "--nofork", "--address=" + self.env["DBUS_SESSION_BUS_ADDRESS"]],
                            "bus"), (["pipewire"], "pipewire-0"), (["wireplumber"], "bus"), (["pipewire-pulse"], "bus")):
            self.procs.append(subprocess.Popen(cmd, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            self.until(lambda: os.path.exists(run + "/" + ready), cmd[0])  # each on what came before it
        self.until(lambda: self.pactl("info").returncode == 0, "pipewire-pulse")
        self.pactl("load-module", "module-null-sink", "sink_name=heard")
        self.until(lambda: b"heard" in self.pactl("list", "short", "sinks").stdout, "the null sink")
        self.pactl("set-default-sink", "heard")
        self.home = d + "/game"
        os.makedirs(self.home)
        pathlib.Path(self.home, ".asoundrc").write_text("pcm.!default { type pipewire }\nctl.!default { type pipewire }\n")

    def until(self, cond, what, timeout=10):
        end = time.monotonic() + timeout
        while not cond():
            if time.monotonic() > end or any(p.poll() is not None for p in self.procs):
                raise RuntimeError("the sound server did not come up: " + what)
            time.sleep(0.05)

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=self.env, capture_output=True)

    def game_env(self):
        return dict({k: self.env[k] for k in ("XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "PULSE_SERVER")},
                    HOME=self.home, XDG_CONFIG_HOME=self.home + "/.config")

    def record(self, path):  # a new recording of the sink, from now on: float stereo frames
        self.stop_recording()
        self.path = path
        with open(path, "wb") as f:
            self.rec = subprocess.Popen(["parec", "-d", "heard.monitor", "--format=float32le", "--rate=%d" % RATE,
                                         "--channels=2", "--raw", "--latency-msec=20"], env=self.env, stdout=f)
        self.until(lambda: os.path.getsize(path) > 0, "recording")

    def mark(self):  # a point in the recording, in frames
        return os.path.getsize(self.path) // 8

    def quiet_since(self, frame):  # whether the recording has run quiet for HUSH s, well past frame
        n, m = self.mark(), int(HUSH * RATE)
        with open(self.path, "rb") as f:
            f.seek(8 * (n - m))
            return n >= frame + 2 * m and np.abs(np.frombuffer(f.read(8 * m), "<f4")).max(initial=0) < QUIET

    def stop_recording(self):
        if self.rec:
            self.rec.terminate()
            self.rec.wait()

    def close(self):
        self.stop_recording()
        for p in reversed(self.procs):
            p.terminate()
            p.wait()


def lowpass(x):
    f, edge = np.fft.rfft(x), np.clip((CUT[1] - np.fft.rfftfreq(len(x), 1 / RATE)) / (CUT[1] - CUT[0]), 0, 1)
    return np.fft.irfft(f * edge ** 2 * (3 - 2 * edge), len(x))


def mono(raw):  # a recording's two channels as one, low-passed
    return lowpass(np.frombuffer(raw[:len(raw) // 8 * 8], "<f4").reshape(-1, 2).mean(axis=1).astype(float))


def stretches(x):
    """(start, end) of each run of sound parted by GAP of silence, with GAP / 2 each side (it may begin soft)."""
    loud = np.flatnonzero(np.abs(x) > QUIET)
    cuts = np.flatnonzero(np.diff(loud) > GAP)
    return [(max(0, loud[a] - GAP // 2), min(len(x), loud[b] + GAP // 2)) for a, b in
            zip(np.r_[0, cuts + 1], np.r_[cuts, len(loud) - 1])] if len(loud) else []


class Samples:
    """The data file's samples ({index: (16-bit data, rate)}) as a mix at RATE holds them at a
    pitch, low-passed, with their derivative (to fit a fraction of a frame's shift)."""

    def __init__(self, samples, fire, pitches):
        self.samples, self.fire, self.pitches, self.cache = samples, fire, pitches, {}

    def wave(self, i, pitch):
        if (i, pitch) not in self.cache:
            data, freq = self.samples[i]
            x = (np.asarray(data, float) - 0x8000) / 0x8000
            n = int(len(x) * RATE * 1000 / (freq * pitch))
            f = np.fft.rfft(x)[:n // 2 + 1]
            t = np.fft.irfft(np.r_[f, np.zeros(n // 2 + 1 - len(f))], n) * n / len(x)
            t = lowpass(np.r_[np.zeros(LEAD), t, np.zeros(LEAD)])  # with what rings around it
            self.cache[i, pitch] = t, np.gradient(t)
        return self.cache[i, pitch]

    def candidates(self):
        return [(i, 1000) for i in self.samples if i != self.fire] + [(self.fire, p) for p in self.pitches]


def fit(r, t, d):
    """r fitted by least squares as g t + h d: (g, the fitted wave, the share of r it explains)."""
    n = min(len(r), len(t))
    a = np.stack([t[:n], d[:n]], axis=1)
    coef = np.linalg.lstsq(a, r[:n], rcond=None)[0]
    f, e = a @ coef, np.dot(r[:n], r[:n])
    return coef[0], f, 1 - np.dot(r[:n] - f, r[:n] - f) / e if e else 0.0


def align(r, k, t, reach):
    """The start within reach of frame k at which t explains most of r's window there."""
    a = max(0, k - reach)
    w = r[a:k + reach + len(t)]
    w = np.r_[w, np.zeros(max(0, len(t) - len(w)))]
    n = 1 << int(len(w) + len(t)).bit_length()
    c = np.fft.irfft(np.fft.rfft(w, n) * np.conj(np.fft.rfft(t, n)), n)[:len(w) - len(t) + 1]
    e = np.cumsum(np.r_[0, w * w])
    return a + int(np.argmax(c * np.abs(c) / np.maximum(e[len(t):] - e[:-len(t)], 1e-12)))


def dropout(x, s, t, least=96):
    """The first run of silence in the mix x from frame s, where t, placed there, sounds: (its
    start, its end, the mix's next loud frame), or None. A stream that ran dry plays nothing for
    a while, then goes on where it stopped or where it would have been by then."""
    quiet = np.r_[False, np.abs(x[s:s + len(t)]) < QUIET, False]
    edges = np.flatnonzero(np.diff(quiet.astype(int)))
    for a, b in zip(edges[::2], edges[1::2]):
        if b - a >= least and np.sqrt(np.mean(t[a:b] ** 2)) > 0.005:
            loud = np.flatnonzero(np.abs(x[s + b:]) >= QUIET)
            return s + a, s + b, s + b + (loud[0] if len(loud) else 0)


def goes_on(r, s, t, d, reach=256):
    return fit(r[align(r, s, t, reach):], t, d)[2]


def follow(r, s, t, d, f, x, n=2048, reach=256, before=()):
    """Takes t, from frame s, away from r piece by piece, each lined up afresh: a server's stream
    may skip, repeat or run dry a little. A piece that fits badly is halved; frames a jump leaves
    behind are taken as a repeat of what came before; a silence in the mix x where t sounds, as
    a pause in it or a loss of it. Adds the fitted wave to f; gives the gain of each piece that holds sound, and
    where t ended. The gain of a small piece that still fits badly is told by loudness, up to the
    usual: a sound cut short leaves silence, one drowned by another leaves more than itself."""
    gains, j = [], 0
    while j < len(t):
        tb, db, hole = t[j:j + n], d[j:j + n], dropout(x, s, t[j:j + n])
        if hole and hole[0] == s:  # on from where t explains the mix better after it
            lost = j + hole[1] - hole[0]
            s, j = (hole[1], lost) if lost < len(t) and goes_on(r, hole[1], t[lost:lost + n], d[lost:lost + n]) > \
                goes_on(r, hole[2], tb, db) else (hole[2], j)
            continue
        tb, db = (tb[:hole[0] - s], db[:hole[0] - s]) if hole else (tb, db)
        quiet = np.sqrt(np.mean(tb * tb)) < 0.01  # too little to line up by: kept in step
        p = s if quiet else align(r, s, tb, 4)  # a pitch a little off drifts a little
        g, fb, q = fit(r[p:p + len(tb)], tb, db)
        jump = p if quiet else align(r, s, tb, reach)
        if jump != p:  # only where it then explains the mix well (else another sound misleads it)
            g2, fb2, q2 = fit(r[jump:jump + len(tb)], tb, db)
            g, fb, q, p = (g2, fb2, q2, jump) if q2 > max(0.9, q + 0.2) else (g, fb, q, p)
        if not quiet and q < 0.9 and len(tb) > 128:
            more, s = follow(r, s, tb, db, f, x, n // 2, reach, [*before, *gains])
            gains, j = gains + more, j + len(tb)
            continue
        if q < 0.9 and not quiet:
            usual = np.median([*before, *gains]) if before or gains else g
            g = min(usual, np.sqrt(np.dot(r[p:p + len(tb)], r[p:p + len(tb)]) / np.dot(tb, tb)))
        back = min(p - s, j)
        for a, w, v in ((p - back, t[j - back:j], d[j - back:j]), (p, tb, db)):
            if len(w) and a >= 0:
                fw = fit(r[a:a + len(w)], w, v)[1]
                r[a:a + len(fw)] -= fw
                f[a:a + len(fw)] += fw
        gains += [] if quiet else [g]
        j, s = j + len(tb), p + len(tb)
    return gains, s


def onset(r, f, k, level, n=256):
    """The residue r's first loud frame from k on, beside what is told there (f): skips leave a bit behind."""
    for a in range(k, len(r), n):
        w, v = r[a:a + n], f[a:a + n]
        if np.dot(w, w) > n * level ** 2 + 0.25 * np.dot(v, v):
            return a + int(np.argmax(np.abs(w) > level))


def start(r, k, lib, c, pitch, level):
    """(how well, c, pitch, its start) for sample c at pitch, lined up by where it grows loud near frame k."""
    t, d = lib.wave(c, pitch)
    z = np.flatnonzero(np.abs(t) > 2 * level)[0]  # at about the mix's gain
    p = align(r, k, t[z:z + HEAD], 4096)
    return fit(r[p:p + HEAD], t[z:], d[z:])[2], c, pitch, p - z


def together(r, k, lib, c, pitch, s, q, level):
    """How much of the mix near frame k sample c (at pitch, from s) and the best other sound explain."""
    t, d = lib.wave(c, pitch)
    a = max(s, 0)
    w = r.copy()
    w[a:a + HEAD] -= fit(r[a:a + HEAD], t[a - s:a - s + HEAD], d[a - s:a - s + HEAD])[1]
    other = max(start(w, k, lib, o, p, level)[0] for o, p in lib.candidates())
    return q + (1 - q) * other


def best(r, k, lib, level):
    """start() of the sound that best explains the mix near frame k, the fire's pitch refined to the unit."""
    q, c, pitch, s = max(start(r, k, lib, c, pitch, level) for c, pitch in lib.candidates())
    return max(start(r, k, lib, c, v, level) for v in range(pitch - 9, pitch + 10)) if c == lib.fire else (q, c, pitch, s)


def plain(lib, e, n):  # a told sound e as its sample plays unbroken from its start at its usual gain, n frames
    s, c, pitch, gains, _ = e
    t = float(np.median(gains or [0])) * lib.wave(c, pitch)[0][max(-s, 0):]
    return np.r_[np.zeros(max(s, 0)), t, np.zeros(n)][:n]


def again(told, b):  # whether start()'s b is a told sound again: the same sample within LEAD frames
    return any(e[1] == b[1] and abs(e[0] - b[3]) < LEAD for e in told)


def take(r, x, lib, told, s, c, pitch):
    """Tells sample c at pitch from s, then follows it and the sounds it overlaps again, twice, each alone."""
    told.append((s, c, pitch, [], np.zeros(len(x))))
    new = told[-1]
    for n, (s, c, pitch, gains, w) in 2 * list(enumerate(told)):
        if c is not None and (told[n] is new or w[new[0]:].any() or new[4][s:].any()):
            r += w
            w[:] = 0
            told[n] = (s, c, pitch, follow(r, s, *lib.wave(c, pitch), w, x)[0], w)
    told.sort(key=lambda e: e[0])


def tell(x, lib, level=5e-3):
    """The sounds in one stretch x, in order: [(frame, index, pitch, gains)], index None where none explains
    the mix. At the residue's first loud frame the best candidate is taken, then whatever began with it."""
    r, told, k = x.copy(), [], 0
    while True:
        k = onset(r, sum((w for *_, w in told), np.zeros(len(x))), k, level)
        if k is None:
            return [e[:4] for e in told]
        q, c, pitch, s = best(r, k, lib, level)
        loud = [e for e in told if e[1] is not None and e[4][k:k + HEAD].any()]
        if q < 0.6 and loud:  # begun while told sounds were loud, whose following took a share of it:
            v = r + sum(e[4] - plain(lib, e, len(r)) for e in loud)  # seen beside their plain waves
            b = best(v, k, lib, level)  # where that is not one of them again
            if not again(told, b):
                q, c, pitch, s = max((q, c, pitch, s), b)
        if q < 0.6:  # two sounds begun at once (a shot into an envelope just above): the first
            q = together(r, k, lib, c, pitch, s, q, level)  # is told now, the other once it is gone
        if q < 0.6:  # unknown, and passed over; unless what is told there is louder than what is
            # not, which is then what a skip of the stream left behind
            w = sum((w[k:k + HEAD] for *_, w in told), np.zeros(1))
            if np.dot(w, w) < 2 * np.dot(r[k:k + HEAD], r[k:k + HEAD]):
                told.append((k, None, 0, [], np.zeros(len(x))))
            k += HEAD
            continue
        take(r, x, lib, told, s, c, pitch)
        b = best(r, k, lib, level) if q < 0.95 else (0,)  # the rest of what begins there: a shot that
        if b[0] >= 0.6 and abs(b[3] - s) < LEAD and not again(told, b):
            take(r, x, lib, told, b[3], b[1], b[2])  # hits at once, softer than the hits


def cut_short(gains):  # whether a sound's last pieces were much quieter than the rest of it
    return len(gains) > 2 and max(gains[-2:]) < 0.5 * float(np.median(gains))
