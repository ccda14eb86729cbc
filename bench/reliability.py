"""Long runs of the real game on the e2e driver, by hand; BUILD is a build directory.
  valgrind BUILD  a game to its scores, one abandoned, under memcheck: no errors, nothing lost
  load BUILD      an unshot 30 s turn, quiet, then beside a busy core: over at the 20th landing, 15.15 s
  soak BUILD [S]  an S-second turn (300) of aimed shots: resident memory every 5 s, flat after a minute"""
import os, subprocess, sys, time
what, build = sys.argv[1], os.path.abspath(sys.argv[2])
os.environ.update(JUNKFALL_GAME=build + "/junkfall", JUNKFALL_SLOW="5" if what == "valgrind" else "1")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../tests/e2e"))
import game  # noqa: E402
from game import PLAYERS, TIMES, PLAY, QUIT, centre  # noqa: E402

s, rss, status = game.Session(), [], 0
s.env.update(HOME=s.dir, **game.NO_CARD)  # no sound card, as these figures have always been taken
scores = lambda img: game.shows_text(img, 200, 300, "Player scores")  # noqa: E731


def turn(slot):  # one player, from the menu to the first frame of a turn
    s.wait_for(s.shows(game.menu()), 40, "menu")
    for slot_xy, frames in ((PLAYERS[0], (0, 3)), (TIMES[slot], (0, slot)), (PLAY, None)):
        s.click(*centre(slot_xy), s.shows(game.menu(*frames) if frames else game.PROMPT), str(frames))
    s.key("space")
    t = time.monotonic()
    s.wait_for(lambda i: game.clock(i) is not None, 10, "first frame")
    return t


def shoot(over):  # at the lowest envelope not aimed at lately, until over(screen)
    aimed = {}
    while not over(img := s.grab()):
        now = time.monotonic()
        free = [(y, x) for x, y in game.envelopes(img) if y < 500 and aimed.get(x // 32, 0) < now]
        if free:
            x = max(free)[1]
            s.move(x + 16, 470)
            s.x("xdotool", "sleep", 0.03, "mousedown", 1, "sleep", 0.08, "mouseup", 1)
            aimed.update({x // 32 + d: time.monotonic() + 1.5 for d in (-1, 0, 1)})
    return img


def sampled(img):  # the game's resident memory every 5 s; true once the turn is over
    if time.monotonic() > t0 + 5 * len(rss):
        rss.append(int(subprocess.run(["ps", "-o", "rss=", str(s.game.pid)], capture_output=True).stdout))
    return scores(img) or time.monotonic() > t0 + int((sys.argv + ["300"])[3])


try:
    if what == "valgrind":  # fair scheduling, or the busy menu loop starves the input thread
        s.start("valgrind", game.GAME, VALGRIND_OPTS="--fair-sched=yes --leak-check=full --error-exitcode=97 "
                "--errors-for-leak-kinds=definite,indirect --log-file=%s/memcheck.log" % build)
        turn(0)
        shoot(scores)
        s.key("space")
        turn(4)
        s.key("Escape")
        s.click(QUIT[0] + 58, QUIT[1] + 23, lambda i: s.game.poll() is not None, "exit")
        status = s.wait_exit(60)
        os.system("grep -E 'ERROR SUMMARY|lost:|reachable:' %s/memcheck.log" % build)
    elif what == "load":
        for busy in (None, ["sh", "-c", "while :; do :; done"]):
            busy = busy and subprocess.Popen(busy)
            s.start()
            t0 = turn(0)
            s.wait_for(scores, 30, "scores")
            print("%s: turn over %.2f s after the key" % (busy and "busy core" or "quiet",
                                                         time.monotonic() - t0))
            busy and busy.kill()
    else:
        s.start()
        t0 = turn(4)
        over = scores(shoot(sampled))
        print("turn %s after %.0f s; VmRSS KiB every 5 s: %s" % ("over" if over else "on",
                                                              time.monotonic() - t0, rss))
        # health gone before the time
        early = over and time.monotonic() - t0 < int((sys.argv + ["300"])[3]) - 1
        status = early or max(rss[12:] or rss) != min(rss[12:] or rss)  # or memory not flat after a minute
finally:
    s.close()
sys.exit(status != 0)
