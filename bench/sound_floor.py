"""The least time from a press to its sound that the desktop's sound server allows: an 800 x 600 window
that, on each button press, plays a tone through ALSA's default device (the one the game plays
through, in the tests' sessions the server's plugin behind the recording file) with 10 ms queued, the
least that keeps a small program's sound whole. No library, no mixer, no game tick between the press
and the write: only X's event and the server's own path. measure_web.py measures it as it measures the
game; Esc-less: it ends by its signal."""
import ctypes
import numpy as np

RATE, PERIOD = 44100, 441  # a write: 10 ms
x11, alsa = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libasound.so.2")
vp, ul = ctypes.c_void_p, ctypes.c_ulong
x11.XOpenDisplay.restype, x11.XDefaultRootWindow.restype, x11.XCreateSimpleWindow.restype = vp, ul, ul
x11.XDefaultRootWindow.argtypes, x11.XPending.argtypes, x11.XNextEvent.argtypes = [vp], [vp], [vp, vp]
x11.XCreateSimpleWindow.argtypes = [vp, ul, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                    ctypes.c_uint, ul, ul]
x11.XSelectInput.argtypes, x11.XMapWindow.argtypes = [vp, ul, ctypes.c_long], [vp, ul]
x11.XStoreName.argtypes, x11.XFlush.argtypes = [vp, ul, ctypes.c_char_p], [vp]
alsa.snd_pcm_writei.argtypes, alsa.snd_pcm_writei.restype = [vp, vp, ul], ctypes.c_long
alsa.snd_pcm_recover.argtypes = [vp, ctypes.c_int, ctypes.c_int]

d = x11.XOpenDisplay(None)
w = x11.XCreateSimpleWindow(d, x11.XDefaultRootWindow(d), 0, 0, 800, 600, 0, 0, 0)
x11.XStoreName(d, w, b"Sound floor")
x11.XSelectInput(d, w, 4)  # ButtonPressMask
x11.XMapWindow(d, w)
x11.XFlush(d)
pcm = vp()
# S16_LE, interleaved, two channels, resampling allowed, 10 ms of latency
assert alsa.snd_pcm_open(ctypes.byref(pcm), b"default", 0, 0) == 0
assert alsa.snd_pcm_set_params(pcm, 2, 3, 2, RATE, 1, 10000) == 0
tone = (8000 * np.sin(np.arange(RATE // 10) * 2 * np.pi * 1000 / RATE)).astype("<i2").repeat(2)
event, left = (ctypes.c_long * 24)(), 0
while True:
    while x11.XPending(d):
        x11.XNextEvent(d, event)
        left = len(tone) if event[0] == 4 else left  # ButtonPress: the tone from its start
    chunk = np.zeros(2 * PERIOD, "<i2")
    part = tone[len(tone) - left:][:2 * PERIOD]
    chunk[:len(part)], left = part, left - len(part)
    if (n := alsa.snd_pcm_writei(pcm, chunk.ctypes.data, PERIOD)) < 0:
        alsa.snd_pcm_recover(pcm, n, 1)
