"""Start-up: both splashes and the menu, each with its sound; bad data refused;
a long install path; a re-saved data file; no sound card, the sound turned
off, and the message when a named sound driver cannot start. Under Wine the
library's messages are boxes the test answers, their text unread."""
import os, pathlib, re, shutil, signal, subprocess, time
import game
from game import obj, size, palette, picture

SPLASH1 = picture(lambda b: game.blit(3, b, 400 - size(obj(3))[0] // 2, 300 - size(obj(3))[1] // 2), palette(4))
SPLASH2 = picture(lambda b: game.al.stretch_blit(game.p(obj(6)), b, 0, 0, *size(obj(6)), 0, 0, 800, 600), palette(7))


class Startup(game.Case):
    def install(self, name, data=game.DATA):  # the game, and its data unless None, in a directory of its own
        os.makedirs(os.path.join(self.s.dir, name, "media"))
        shutil.copy(game.GAME, os.path.join(self.s.dir, name))
        data and shutil.copy(data, os.path.join(self.s.dir, name, "media/data.dat"))
        return os.path.join(self.s.dir, name)

    def reaches_splash(self, d, **env):
        self.s.start(os.path.join(d, game.EXE), **env)
        self.s.wait_for(self.s.shows(SPLASH1), 10, "first splash from " + d[-20:])

    def test_splashes_then_menu_then_escape(self):
        self.s.start()
        for what, screen in (("first splash", SPLASH1), ("second splash", SPLASH2), ("menu", game.menu())):
            self.s.wait_for(self.s.shows(screen), 15, what)
            print("%s at %.1f s" % (what, time.monotonic() - self.s.t0))
        # each whole and once, centred, at full volume and its own pitch: else it is heard as unknown
        game.WINE or self.assertEqual(self.s.heard(), [("splash1", 1000), ("splash2", 1000), ("title", 1000)])
        self.s.key("Escape")
        self.assertEqual((self.s.wait_exit(), self.s.messages()), (0, []))

    def test_bad_data_refused_with_its_path(self):
        foreign, damaged = self.s.dir + "/foreign.dat", self.s.dir + "/damaged.dat"
        subprocess.run(["dat", "-a", "-t", "DATA", foreign, game.GAME], check=True, capture_output=True)
        pathlib.Path(damaged).write_bytes(pathlib.Path(game.DATA).read_bytes()[:300000])
        for name, data in (("missing", None), ("foreign", foreign), ("damaged", damaged), ("L" * 250, None)):
            with self.subTest(name[:20]):
                if game.WINE and len(name) > 200:
                    self.skipTest("longer than Windows' paths")
                self.s.start(os.path.join(self.install(name, data), game.EXE))
                if game.WINE:
                    self.assertTrue(self.s.dismiss_box(), "no message box")
                want = (1, [] if game.WINE else ["Error loading %s/%s/media/data.dat\n" % (self.s.dir, name)])
                self.assertEqual((self.s.wait_exit(), self.s.messages()), want)

    @game.LINUX_ONLY  # Windows' paths are shorter, and Wine passes no signal on
    def test_long_path_reaches_the_splash_and_a_kill_quits(self):  # with the sound turned off
        pathlib.Path(self.s.dir, "off").mkdir()
        pathlib.Path(self.s.dir, "off/allegro.cfg").write_text("[sound]\ndigi_card = 0\n")
        self.reaches_splash(self.install("M" * 250), ALLEGRO=self.s.dir + "/off")
        self.s.game.terminate()  # SIGTERM leaves as Quit does, once the splash and its sound are over
        self.assertEqual((self.s.wait_exit(5), self.s.messages(), self.s.heard()), (0, [], []))

    def test_resaved_data_reaches_the_splash(self):  # objects compressed one by one
        d = self.install("resaved")
        subprocess.run(["dat", "-n0", "-c1", "-s0", d + "/media/data.dat"], check=True, capture_output=True)
        self.reaches_splash(d, HOME=self.s.dir)  # and no sound card: silently without sound
        self.assertEqual(self.s.messages(), [])
        if game.WINE:
            return  # no signal reaches a Windows program
        self.s.game.terminate()  # a second SIGTERM, once the first is handled, ends it at once
        sigterm_caught = lambda: int(re.search(r"SigCgt:\s*(\w+)", pathlib.Path(
            "/proc/%d/status" % self.s.game.pid).read_text())[1], 16) >> (signal.SIGTERM - 1) & 1
        self.s.wait_for(lambda i: not sigterm_caught(), 1, "SIGTERM back to its default after the first")
        self.s.game.terminate()
        self.assertEqual(self.s.wait_exit(0.5), -signal.SIGTERM)  # the splash lasts over a second more

    @game.LINUX_ONLY  # on Windows it is the same kind of box as the data file's
    def test_sound_failure_reported_once(self):
        pathlib.Path(self.s.dir, "allegro.cfg").write_text("[sound]\ndigi_card = ALSA\n")
        # the library's ALSA driver leaves its configuration behind when it fails
        self.reaches_splash(os.path.dirname(game.GAME), ALLEGRO=self.s.dir, HOME=self.s.dir,  # no sound card
                            ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
        self.assertEqual(len(self.s.messages()), 1)
        self.assertRegex(self.s.messages()[0], r"^Error setting up the sound!\n.+\n$")
