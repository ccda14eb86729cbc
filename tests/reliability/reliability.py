"""Long runs of the real game on the e2e driver; not part of the suite.
  reliability.py valgrind BUILD  a session under memcheck: 0 errors, nothing definitely or indirectly lost
  reliability.py load BUILD      an unshot 30 s turn, quiet then beside a busy core: over at 15.15 s
  reliability.py soak BUILD [S]  an S-second turn (default 300) of aimed shots; resident memory every 5 s"""
import os, subprocess, sys, time
what, build = sys.argv[1], os.path.abspath(sys.argv[2])
os.environ.update(JUNKFALL_GAME=build + "/junkfall", JUNKFALL_SLOW="4" if what == "valgrind" else "1")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../e2e"))
import game  # noqa: E402
from game import PLAYERS, TIMES, PLAY, QUIT, centre  # noqa: E402

SCORES = lambda img: game.shows_text(img, 200, 300, "Player scores")  # noqa: E731


def turn(s, players, slot, exe=game.GAME):  # from start-up to the first frame of a turn
    s.start(exe)
    s.wait_for(s.shows(game.menu()), 30, "menu")
    s.click(*centre(PLAYERS[players]), s.shows(game.menu(players, 3)), "players")
    s.click(*centre(TIMES[slot]), s.shows(game.menu(players, slot)), "turn length")
    s.click(*centre(PLAY), s.shows(game.PROMPT), "prompt")
    s.move(400, 470)
    s.key("space")
    s.wait_for(lambda i: game.clock(i) is not None, 10, "first frame")
    return time.monotonic()


def shoot(s, until):  # at the lowest envelope not yet aimed at, until the screen shows `until`
    aimed = {}
    while True:
        img = s.grab()
        if until(img):
            return img
        now = time.monotonic()
        free = [(y, x) for x, y in game.envelopes(img) if y < 500 and aimed.get(x // 24, 0) < now]
        if free:
            y, x = max(free)
            s.click(x + 16, 470)
            aimed[x // 24] = aimed[x // 24 + 1] = aimed[x // 24 - 1] = now + 1.5


def valgrind(s):
    log = s.dir + "/memcheck.log"
    with open(s.dir + "/vg", "w") as f:  # fair scheduling, or the busy menu starves the input thread
        f.write("#!/bin/sh\nexec valgrind --fair-sched=yes --leak-check=full --errors-for-leak-kinds=definite,"
                "indirect --error-exitcode=97 --log-file=%s %s/junkfall\n" % (log, build))
    os.chmod(s.dir + "/vg", 0o755)
    turn(s, 0, 0, s.dir + "/vg")
    shoot(s, SCORES)  # a whole game to its score table, then one abandoned with Esc
    s.key("space")
    s.wait_for(s.shows(game.menu()), 20, "menu after the scores")
    s.click(*centre(PLAY), s.shows(game.PROMPT), "prompt")
    s.key("space")
    s.wait_for(lambda i: game.clock(i) is not None, 10, "second game")
    s.key("Escape")
    s.click(*centre(QUIT), lambda i: s.game.poll() is not None, "exit")
    status = s.wait_exit(60)
    print(subprocess.run(["grep", "-E", "ERROR SUMMARY|lost:|reachable:", log], capture_output=True, text=True).stdout)
    return status


def load(s):
    for busy in (None, subprocess.Popen(["sh", "-c", "while :; do :; done"])):
        t0 = turn(s, 0, 0)
        s.wait_for(SCORES, 30, "score table")
        print("%s: over %.2f s after the first frame (15.15 s due)" % (busy and "busy core" or "quiet", time.monotonic() - t0))
        busy and busy.kill()


def soak(s, seconds):
    t0, rss = turn(s, 0, 4), []

    def over(img):
        if time.monotonic() > t0 + 5 * len(rss):
            with open("/proc/%d/status" % s.game.pid) as f:
                rss.append(int([line for line in f if line.startswith("VmRSS")][0].split()[1]))
        return SCORES(img) or time.monotonic() > t0 + seconds
    ended = SCORES(shoot(s, over))
    print("turn %s after %.0f s, health %s; VmRSS KiB every 5 s: %s" % (
        "over" if ended else "still on", time.monotonic() - t0, game.health(s.grab()), rss))
    return ended or max(rss[12:]) != min(rss[12:])  # flat after the first minute


s = game.Session()
try:
    status = {"valgrind": valgrind, "load": load}.get(what, lambda s: soak(s, int((sys.argv + ["300"])[3])))(s)
finally:
    s.close()
sys.exit(status)
