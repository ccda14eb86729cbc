"""Start-up: splashes and menu with their sounds; the menu's frames, crosshair and hit areas one pixel
inside the frames (where the pointer reaches the game exactly), its choices silent, Quit leaving silently;
bad data refused; a long install path; a re-saved data file, no sound card, the sound off, a named sound
driver failing; SIGTERM quits as Quit does, a second at once. A page posts nothing to a sound tap on another
site."""
import http.server, os, pathlib, re, shutil, signal, subprocess, threading, unittest
import numpy as np
import browser, game, hear
from game import W, H, PLAYERS, TIMES, QUIT, centre, needs, obj, size, palette, picture

SPLASH1 = picture(lambda b: game.blit(obj("SPLASH1_BMP"), b, 400 - size(obj("SPLASH1_BMP"))[0] // 2,
                                      300 - size(obj("SPLASH1_BMP"))[1] // 2), palette("SPLASH1_PAL"))
SPLASH2 = picture(lambda b: game.al.stretch_blit(game.p(obj("SPLASH2_BMP")), b, 0, 0,
                                                 *size(obj("SPLASH2_BMP")), 0, 0, W, H),
                  palette("SPLASH2_PAL"))
# A click at (x, y), then the frames shown (player and turn-length slots, 0-based): a centre,
# the corners of two hit areas, then the frames just outside four others, which miss
(P1, P2, P4), (T30, T60) = (PLAYERS[i] for i in (0, 1, 3)), TIMES[:2]
EDGES = [(centre(P1), (0, 3)), ((P4[0] + 1, P4[1] + 1), (3, 3)), ((T60[0] + 116, T60[1] + 45), (3, 1)),
         ((P1[0], P1[1] + 20), (3, 1)), ((T30[0] + 117, T30[1] + 20), (3, 1)),
         ((P2[0] + 58, P2[1] + 46), (3, 1)), ((QUIT[0] + 58, QUIT[1]), (3, 1))]


class Startup(game.Case):
    def install(self, name, data=game.DATA):  # the game, and its data unless None, in a directory of its own
        d = os.path.join(self.s.dir, name)
        os.makedirs(d + "/media", exist_ok=True)
        shutil.copy(game.GAME, d)
        data and shutil.copy(data, d + "/media/data.dat")
        return d

    def reaches_splash(self, d, **env):
        self.s.start(os.path.join(d, game.EXE), **env)
        self.s.wait_for(self.s.shows(SPLASH1), 10, "first splash from " + d[-20:])

    def refused(self, d):  # the data file's message, with its path, and status 1
        self.s.start(os.path.join(d, game.EXE))
        want = game.said(["Error loading %s/media/data.dat\n" % d])
        self.assertEqual((self.s.wait_exit(), self.s.messages()), (1, want))

    def test_1_splashes_then_the_menu_with_2_players_and_180_s_which_drops_the_keys_typed_before_it(self):
        self.s.start()
        screens = ("first splash", SPLASH1), ("second splash", SPLASH2), ("menu", game.menu(1, 3))
        for what, screen in screens:
            self.s.wait_for(self.s.shows(screen), 15, what)
            what == "menu" or self.s.key("Escape")  # typed during a splash: the menu drops it, or quits
        self.assertEqual(self.s.heard(), game.STARTUP)
        mix, sink = hear.frames(self.s.mix), hear.frames(self.s.sound.sink)
        self.assertTrue(hear.arrived_whole(mix, sink), "the start-up did not reach the sound server whole")

    def test_2_the_crosshair_in_the_frames_colour(self):
        self.s.move(400, 560)
        colour = game.palette("TITLE_PAL")[1]
        self.s.wait_for(lambda i: game.pointer_shown(i, game.menu(), 400, 560, colour), 2,
                        "the crosshair on the menu, in the frames' colour")

    def test_3_hit_areas_end_one_pixel_inside_the_frames_and_choosing_is_silent(self):
        mark = self.s.mark()
        for (x, y), want in EDGES:
            self.s.click(x, y, self.s.shows(game.menu(*want)), "frames after a click at %d,%d" % (x, y))
        self.s.click(*centre(QUIT), lambda i: True, "Quit")  # its edges are clicked above
        self.assertEqual((self.s.wait_exit(), self.s.messages(), self.s.heard(mark)), (0, [], []))

    @unittest.skipUnless(game.WEB, "only a page posts its mix, and only when the tests ask")
    def test_a_page_plays_but_posts_nothing_to_a_tap_on_another_site(self):
        away = http.server.ThreadingHTTPServer(("127.0.0.2", 0), browser.Site)
        away.mix, away.offline = self.s.dir + "/away.raw", False
        threading.Thread(target=away.serve_forever, daemon=True).start()
        browser.Page.TAP = "http://127.0.0.2:%d/tap" % away.server_port
        try:
            self.s.start()
            def played(i):  # a third of a second since the first splash's sound began at the sink
                loud = np.flatnonzero(np.abs(sink := hear.frames(self.s.sound.sink)) > hear.QUIET)
                return len(loud) and len(sink) - loud[0] > hear.RATE / 3
            self.s.wait_for(played, 15, "the first splash's sound, through the sound server")
        finally:
            browser.Page.TAP = "/tap"
            away.shutdown()
            away.server_close()
        self.assertFalse(os.path.exists(away.mix), "the mix posted to another site")

    @needs("install layout")
    def test_bad_data_refused_with_its_path(self):
        foreign, damaged = self.s.dir + "/foreign.dat", self.s.dir + "/damaged.dat"
        subprocess.run(["dat", "-a", "-t", "DATA", foreign, game.GAME], check=True, capture_output=True)
        pathlib.Path(damaged).write_bytes(pathlib.Path(game.DATA).read_bytes()[:300000])
        for name, data in (("missing", None), ("foreign", foreign), ("damaged", damaged)):
            with self.subTest(name):
                self.refused(self.install(name, data))

    @needs("install layout")
    @needs("long paths")
    @needs("signals")
    def test_long_path_refused_then_reaches_the_splash_and_a_kill_quits(self):  # with the sound turned off
        d = self.install("M" * 250, None)
        self.refused(d)
        pathlib.Path(self.s.dir, "off").mkdir()
        pathlib.Path(self.s.dir, "off/allegro.cfg").write_text("[sound]\ndigi_card = 0\n")
        shutil.copy(game.DATA, d + "/media/data.dat")
        self.reaches_splash(d, ALLEGRO=self.s.dir + "/off")
        self.s.game.terminate()  # SIGTERM leaves as Quit does, once the splash and its sound are over
        self.assertEqual((self.s.wait_exit(5), self.s.messages(), self.s.heard()), (0, [], []))

    @needs("signals")
    @needs("silence without a card")
    def test_resaved_data_no_card_silent_and_a_second_sigterm_ends_it_at_once(self):
        d = self.install("resaved")  # the data file with its objects compressed one by one
        subprocess.run(["dat", "-n0", "-c1", "-s0", d + "/media/data.dat"], check=True, capture_output=True)
        self.reaches_splash(d, HOME=self.s.dir, **game.NO_CARD)
        self.s.game.terminate()
        sigterm_caught = lambda: int(re.search(r"SigCgt:\s*(\w+)", pathlib.Path(
            "/proc/%d/status" % self.s.game.pid).read_text())[1], 16) >> (signal.SIGTERM - 1) & 1
        self.s.wait_for(lambda i: not sigterm_caught(), 1, "SIGTERM back to its default after the first")
        self.s.game.terminate()
        self.assertEqual((self.s.wait_exit(0.5), self.s.messages(), self.s.heard()),
                         (-signal.SIGTERM, [], []))
        # the splash lasts over a second more

    @needs("sound settings")
    def test_sound_failure_reported_once(self):
        # the library's ALSA driver leaves its configuration behind when it fails
        self.reaches_splash(os.path.dirname(game.GAME), **game.failing_sound(self.s.dir),
                            ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
        self.assertEqual(len(self.s.messages()), 1)
        self.assertRegex(self.s.messages()[0], game.said_like(r"^Error setting up the sound!\n.+\n$"))
