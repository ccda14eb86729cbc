"""Start-up: both splashes and the menu; data files refused, a long install
path, a re-saved data file, and the message when the sound cannot start."""
import os, shutil, subprocess, time
import game
from game import al, obj, size, palette, picture

SPLASH1 = picture(lambda b: game.blit(3, b, 400 - size(obj(3))[0] // 2, 300 - size(obj(3))[1] // 2), palette(4))
SPLASH2 = picture(lambda b: al.stretch_blit(game.p(obj(6)), b, 0, 0, *size(obj(6)), 0, 0, 800, 600), palette(7))


class Startup(game.Case):
    def install(self, name, data=game.DATA):
        """The game and (unless None) a data file under a fresh directory."""
        d = os.path.join(self.s.dir, name)
        os.makedirs(d + "/media")
        shutil.copy(game.GAME, d)
        if data:
            shutil.copy(data, d + "/media/data.dat")
        return d

    def test_splashes_then_menu_then_escape(self):
        s = self.s
        s.start()
        for what, screen in (("first splash", SPLASH1), ("second splash", SPLASH2), ("menu", game.menu())):
            s.wait_for(s.shows(screen), 15, what)
            print("%s at %.1f s" % (what, time.monotonic() - s.t0))
        s.key("Escape")
        self.assertEqual(s.wait_exit(), 0, s.output())
        self.assertEqual(s.messages(), [])

    def test_bad_data_refused(self):
        foreign = os.path.join(self.s.dir, "foreign.dat")
        subprocess.run(["dat", "-a", "-t", "DATA", foreign, game.GAME], check=True, capture_output=True)
        damaged = os.path.join(self.s.dir, "damaged.dat")
        with open(game.DATA, "rb") as f, open(damaged, "wb") as out:
            out.write(f.read()[:300000])
        for name, data in (("missing", None), ("foreign", foreign), ("damaged", damaged), ("L" * 250, None)):
            with self.subTest(name[:20]):
                d = self.install(name, data)
                self.s.start(d + "/junkfall")
                self.assertEqual(self.s.wait_exit(), 1, self.s.output())
                self.assertEqual(self.s.messages(), ["Error loading %s/media/data.dat\n" % d])

    def test_long_path_reaches_the_splash(self):
        self.s.start(self.install("M" * 250) + "/junkfall")
        self.s.wait_for(self.s.shows(SPLASH1), 10, "first splash from a long path")
        self.assertEqual(self.s.messages(), [])

    def test_resaved_data_reaches_the_splash(self):  # compressed objects: accepted once branch data lands
        d = self.install("resaved")
        subprocess.run(["dat", "-n0", "-c1", "-s0", d + "/media/data.dat"], check=True, capture_output=True)
        self.s.start(d + "/junkfall")
        self.s.wait_for(self.s.shows(SPLASH1), 10, "first splash from a re-saved data file")
        self.assertEqual(self.s.messages(), [])

    def test_sound_failure_reported_once(self):
        with open(self.s.dir + "/allegro.cfg", "w") as f:
            f.write("[sound]\ndigi_card = ALSA\n")
        # the library's ALSA driver leaves its configuration behind when it fails
        self.s.start(ALLEGRO=self.s.dir, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
        self.s.wait_for(self.s.shows(SPLASH1), 10, "first splash without sound")
        msgs = self.s.messages()
        self.assertEqual(len(msgs), 1, msgs)
        self.assertRegex(msgs[0], r"^Error setting up the sound!\n.+\n$")
