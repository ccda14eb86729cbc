"""What the game plays, told exactly, from the library's own mix (44.1 kHz) as it leaves the game (ALSA's file
plugin keeps what the Linux game or Wine's DirectSound hands on; a page with ?tap=URL posts each buffer once
it plays, so that a sound begun after a point of the mix lands after it): a
sum of the data file's samples, stepped as the mixer steps (linear, 1/256 frame), scaled. Matching pursuit:
where the residue is loud the candidate best lined up (cross-correlation) is taken, more while those taken
(fitted by least squares) leave much of the window unexplained; each subtracted whole if that leaves the mix
quieter; k times the usual loudness is k sounds. A window nothing explains is damage (a piece repeated, lost
or cut). Through the real sound server: the sink's recording follows the mix's loudness at some lag."""
import pathlib
import numpy as np

RATE = 44100  # the mixer's rate, on every build
QUIET = 1e-3  # a louder frame is sound: the mixer's rounding is 3e-5, a sound's first frames louder
W = 512  # frames by which a sound is told: under a tick (735), so two ticks' sounds never share them
MATCH = 0.99  # the share of a window that the sounds told there must explain; an exact mix gives 0.99999
ALIKE = 0.9  # how closely the sink's loudness must follow the mix's (a busy server skips a few ms)


def keep_mix(home, mix):  # the ALSA default of a game whose HOME is home: the sound server, and a file
    pathlib.Path(home, ".asoundrc").write_text(  # in the mixer's own format: nothing converts it
        'defaults.pipewire.rate %d\ndefaults.pipewire.format "S16_LE"\ndefaults.pipewire.channels 2\n'
        'pcm.!default { type file slave.pcm "pipewire" file "%s" format "raw" }\n'
        'ctl.!default { type pipewire }\n' % (RATE, mix))


def frames(path):  # a 16-bit stereo file so far, as one channel
    raw = pathlib.Path(path).read_bytes() if pathlib.Path(path).exists() else b""
    return np.frombuffer(raw[:len(raw) // 4 * 4], "<i2").reshape(-1, 2).mean(axis=1) / 32768


def waves(samples, pitches):
    """{(name, step): the sample as the mixer plays it at that step} for {name: (16-bit data, rate)}
    and {name: [pitches]} (1000 for the others): a pitch's frequency, and its step, are whole numbers."""
    out = {}
    for name, (data, freq) in samples.items():
        x = (np.asarray(data, float) - 0x8000) / 0x8000
        for step in {freq * p // 1000 * 256 // RATE for p in pitches.get(name, [1000])}:
            pos = np.arange(0, (len(x) - 1) * 256, step)
            out[name, step] = x[pos >> 8] * (1 - (pos & 255) / 256) + x[(pos >> 8) + 1] * (pos & 255) / 256
    return out


def best(r, k, lib, lead):
    """(share, name, step, start) of the candidate that, begun at most lead frames before k, explains most
    of the residue r from its start to W frames past k (by their normalised cross-correlation)."""
    a = max(0, k - lead)
    seg = np.r_[r[a:k + W], np.zeros(max(0, k + W - len(r)))]
    m, top, i = len(seg), (0, None, 0, k), np.arange(k - a + 1)
    n, e = 2 << m.bit_length(), np.cumsum(seg[::-1] ** 2)[::-1][i]  # seg's energy from i on
    f = np.fft.rfft(seg, n)
    for (name, step), t in lib.items():
        t = np.r_[t[:m], np.zeros(max(0, m - len(t)))]
        c = np.fft.irfft(f * np.conj(np.fft.rfft(t, n)), n)[i]
        share = c * c / np.maximum(e * np.cumsum(t * t)[m - 1 - i], 1e-30)
        if share.max() > top[0]:
            top = share.max(), name, step, a + int(share.argmax())
    return top


def explain(r, k, lib, lead):
    """The fewest sounds (at most three: two hits and a shot may begin on one frame) that explain r's
    window at k together: [((name, step, start), gain)], or none."""
    picks, rest = [], r
    while len(picks) < 3 and (pick := best(rest, k, lib, lead)[1:]) not in picks:
        # sounds begun together mislead the pick of the first by a frame or two: each start settled
        picks = min(([p if j != i else (p[0], p[1], max(0, p[2] + d)) for j, p in enumerate(picks + [pick])]
                     for i in range(len(picks) + 1) for d in (0, -1, 1, -2, 2)),
                    key=lambda q: fit(r, k, lib, q)[2])
        a, gains, left, cols, y = fit(r, k, lib, picks)
        if left <= (1 - MATCH) * np.dot(y[k - a:], y[k - a:]):
            whole = all(quieter(r, lib[n, st], s, g) for (n, st, s), g in zip(picks, gains))
            return list(zip(picks, gains)) if whole else []
        rest = r.copy()
        rest[a:k + W] -= (cols @ gains)[:len(r) - a]
    return []


def fit(r, k, lib, picks):  # picks fitted together to r up to W frames past k: their gains, what they leave
    a, b = min([k] + [s for *_, s in picks]), k + W
    cols = np.zeros((b - a, len(picks)))
    for j, (name, step, s) in enumerate(picks):
        t = lib[name, step][:b - s]
        cols[s - a:s - a + len(t), j] = t
    y = np.r_[r[a:b], np.zeros(b - len(r))] if b > len(r) else r[a:b]
    gains = np.linalg.lstsq(cols, y, rcond=None)[0]
    left = (y - cols @ gains)[k - a:]
    return a, gains, np.dot(left, left), cols, y


def quieter(r, t, s, g):  # whether taking g t away whole, from frame s, leaves r quieter over its length
    w = r[s:s + len(t)]
    return 2 * g * np.dot(w, t[:len(w)]) > g * g * np.dot(t[:len(w)], t[:len(w)])


def tell(x, lib):
    """The sounds in x, in order, [(start, name, step, gain)]; damage (windows nothing explains); the rest."""
    # a sound begins at most this far before its first loud frame (at full volume: a quarter of the sample)
    r, told, damaged, k = x.copy(), [], [], 0
    lead = max(int(np.argmax(np.abs(t) > 4 * QUIET)) for t in lib.values())
    while len(loud := np.flatnonzero(np.abs(r[k:]) > QUIET)):
        k += int(loud[0])
        sounds = explain(r, k, lib, lead)
        if not sounds:  # sounds begun together (a shot as a hit) may be told only where one stands out
            sounds = [e for e in explain(r, k + W, lib, lead + W) if e[0][2] <= k]
        for (name, step, s), g in sounds:
            r[s:s + len(lib[name, step])] -= g * lib[name, step][:len(r) - s]
        told += [(s, name, step, g) for (name, step, s), g in sounds]
        damaged += [] if sounds else [k]
        k += 1 if sounds else W
    return sorted(told, key=lambda e: e[0]), damaged, r


def arrived_whole(mix, sink):
    """Whether the sink's recording follows the mix's loudness (but its last second) at some lag."""
    a, b = (np.sqrt(np.mean(x[:len(x) // 882 * 882].reshape(-1, 882) ** 2, axis=1)) for x in (mix, sink))
    a = a[:-50]
    lags = [np.corrcoef(a, b[d:d + len(a)])[0, 1] for d in range(len(b) - len(a) + 1)] if a.any() else []
    return max(lags, default=0) >= ALIKE
