"""The Windows build's side of the driver (game.py): the game under 64-bit Wine in a prefix of the build
tree's own; message boxes answered; Wine's one damage to the sound."""
import os, pathlib, re, shutil, subprocess, time
import numpy as np
import hear

RING = 6144  # a busy DirectSound plays a piece again: a ring's late refill, or a 10 ms period mixed early


def prefix(s, game):  # one per build tree: no dialogs, the GDI renderer (quick on Xvfb), the X pointer left
    # where it is put, sound through ALSA (whose default keeps the mix); the library's mixer in a
    # DirectSound stream (allegro.cfg, through $ALLEGRO), which a busy machine does not run dry
    pathlib.Path(s.dir, "allegro.cfg").write_text("[sound]\ndigi_card = AXA\n")
    s.env.pop("TMPDIR")  # Wine 10 aborts at once with it set ("free(): invalid pointer")
    s.env.update(WINEPREFIX=os.path.abspath(os.path.dirname(game) + "/wine64"), WINEARCH="win64",
                 WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                 ALLEGRO="Z:" + s.dir.replace("/", "\\"))
    if not os.path.exists(s.env["WINEPREFIX"] + "/system.reg"):
        s.x("wineboot", "-i")
        for key, name, value in (("Direct3D", "renderer", "gdi"), ("Drivers", "Audio", "alsa"),
                                 ("DirectInput", "MouseWarpOverride", "disable")):
            s.x("wine", "reg", "add", "HKCU\\Software\\Wine\\" + key, "/v", name, "/d", value, "/f")
        s.x("wineserver", "-w")


def answer_box(s, w, h):  # a small window named as the game, not answered yet: Enter, over it
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Junkfall$",
                            "getwindowgeometry", "%@"], env=s.env, capture_output=True).stdout
    boxes = re.findall(rb"Position: (-?\d+),(-?\d+).*?Geometry: (\d+)x(\d+)", found, re.S)
    for x, y, bw, bh in (map(int, b) for b in boxes):
        on_screen = 0 <= x and 0 <= y and x + bw <= w and y + bh <= h
        if on_screen and bh < 400 and time.monotonic() > getattr(s, "answered", 0) + 3:
            s.x("xdotool", "mousemove", x + bw // 2, y + bh // 2)
            s.key("Return")
            s.answered, s.boxes = time.monotonic(), s.boxes + 1


def close(env):  # what Wine started in the prefix, and the folder in /tmp its server's socket names (which
    subprocess.run(["wineserver", "-k"], env=env)  # the next wine makes again)
    if (socket := pathlib.Path(env.get("WINEPREFIX", "/none"), "wineserver")).exists():
        re.fullmatch(r"wine-\w{6}", name := socket.read_text()) and shutil.rmtree("/tmp/" + name, True)


def replayed(mix, rest, k):  # whether what no sound explains at k is the sound of up to a ring before; a
    # silence only if exactly a ring before (the ring's old piece, quiet then), else it is a sound cut short
    loud = k + np.flatnonzero(np.abs(rest[k:k + 2 * hear.W]) > hear.QUIET)
    if not len(loud):
        return False
    a, b = loud[0], loud[-1] + 1
    back = min(RING, a)
    meant = mix[a - back:b] - rest[a - back:b]  # what the told sounds make of it, from a ring before on
    quiet = np.abs(mix[a:b]).max() <= hear.QUIET
    return any(np.abs(mix[a:b] - meant[back - d:back - d + b - a]).max() < hear.QUIET
               for d in ([RING] * (back == RING) if quiet else range(1, back + 1)))
