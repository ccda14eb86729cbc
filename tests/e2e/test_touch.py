"""The web page on touch screens, no keyboard: phones and a tablet show the whole picture, Esc beside it; a
tap picks; a phone's game by taps alone (the prompt's tap fires nothing; behind another tab the turn stands
still; a stall lengthens the sound queue, play shortens it; the sound button, tapped, mutes a shot, clicked
brings the next back; taps shoot, pass the table; Esc leaves). Installable, full screen, offline."""
import pathlib
import browser, game, test_startup
from game import PLAYERS, TIMES, PLAY, PROMPT, BANANA, centre, count, needs

PHONE, PORTRAIT, TABLET = (844, 390), (390, 844), (1180, 820)
QUEUED = "Module.audioFrame / Module.audioContext.sampleRate - Module.audioContext.currentTime"  # seconds
SHORT = 11 * 512 / 44100 + 0.001  # ten buffers of the mix ahead, and the one being queued


@needs("touch")
class Touch(game.Case):
    def start(self, device):
        self.s.start(device=device)
        self.s.wait_for(self.s.shows(game.menu()), 15, "menu on %dx%d" % device)
        canvas, esc = self.s.game.box("screen")[2:], self.s.game.box("esc")[2:]
        on_screen = lambda b: 0 <= b[0] and 0 <= b[1] and b[2] <= device[0] and b[3] <= device[1]
        apart = esc[0] >= canvas[2] or esc[1] >= canvas[3]
        self.assertTrue(on_screen(canvas) and on_screen(esc) and apart, (device, canvas, esc))

    def escape(self):  # the page's Esc button, in the menu: the game ends as by Quit
        self.s.game.tap(*self.s.game.box("esc")[:2], page=True)
        self.assertEqual(self.s.wait_exit(), 0)

    def test_a_portrait_phone_and_a_tablet_show_it_all_and_a_tap_picks(self):
        for device in (PORTRAIT, TABLET):
            with self.subTest(device):
                self.start(device)
                self.s.click(*centre(PLAYERS[2]), self.s.shows(game.menu(2, 3)), "3 players tapped")
                self.escape()

    def test_a_phone_game_by_taps_alone(self):
        self.start(PHONE)
        self.s.click(*centre(PLAYERS[0]), self.s.shows(game.menu(0, 3)), "1 player")
        self.s.click(*centre(TIMES[0]), self.s.shows(game.menu(0, 0)), "30 s")
        self.s.click(*centre(PLAY), self.s.shows(PROMPT), "prompt")
        img = self.s.click(400, 500, lambda i: game.clock(i) is not None, "a turn, begun by a tap")
        self.s.wait_for(game.envelopes, 3, "envelopes falling")
        self.stands_still(400, 500)  # the page hidden behind another tab, and shown again
        page = self.s.game  # the longest sound queued ahead over a few frames: at most eleven buffers
        short = lambda i: max(page.js(QUEUED) for _ in range(30)) < SHORT
        self.s.wait_for(short, 6, "the sound queue short")
        page.js("(t => { while (Date.now() < t + 300); })(Date.now())")  # a stall, as on a busy machine
        self.assertFalse(short(None), "the sound queue grown after a stall")
        self.s.wait_for(short, 6, "the sound queue short again")
        self.s.heard()  # the menu's sound over: none cut short. Off by a tap, a shot unheard; on by a click
        page.tap(*page.box("sound")[:2], page=True)
        self.assertTrue(page.js("document.querySelector('#sound .off').getBoundingClientRect().width > 0"))
        mark, shot = self.s.mark(), lambda i: count(i, BANANA, 220, 580, 380, 420)
        for what in ("a shot, the sound off", "a shot, the sound on again"):
            self.s.click(400, 500, shot, what)
            self.s.wait_for(lambda i: not shot(i), 3, "the shot gone up")
            page.tap(*page.box("sound")[:2], page=True, mouse=True) if "off" in what else None
        self.assertEqual([n for n, _ in self.s.heard(mark) if n == "fire"], ["fire"])
        self.assertFalse(count(img, BANANA, 540, 580), "the prompt's tap fired")
        table = lambda i: game.shows_text(i, 200, 300, "Player scores")
        left = lambda i: min(v for v in (game.clock(i), game.health(i), 9) if v is not None)  # s, landings
        for _ in range(6):  # taps aimed low, then the rest land; none so late that it passes the table
            if table(img := self.s.grab()) or left(img) <= 1:
                break
            self.s.game.tap(game.lowest(img, 400) + 16, 470)
        img = self.s.wait_for(table, 35, "score table")
        shot = [n for n in range(1, 40) if game.shows_text(img, 220, 310, "Player 1: %d" % n)]
        self.assertTrue(shot, "no envelope shot down")
        self.s.click(400, 300, self.s.shows(game.menu()), "the menu, after a tap on the table")
        self.escape()

    @needs("install")
    def test_installable_full_screen_and_once_visited_it_plays_offline(self):
        self.s.start(device=PHONE)
        page = self.s.game
        self.assertEqual(page.call("Page.getInstallabilityErrors")["installabilityErrors"], [])
        page.tap(*page.box("full")[:2], page=True)
        self.s.wait_for(lambda i: page.js("!!document.fullscreenElement"), 3, "full screen, by its button")
        ready = "navigator.serviceWorker.ready.then(r => !!r.active)"
        late = "new Promise(done => setTimeout(done, 10000, false))"
        self.assertTrue(page.js("Promise.race([%s, %s])" % (ready, late), wait=True), "no worker")
        browser.Page.server.offline = True
        pathlib.Path(self.s.mix).unlink(missing_ok=True)
        page.call("Page.reload", ignoreCache=True)
        page.begin(times=2)
        self.s.wait_for(self.s.shows(test_startup.SPLASH1), 10, "first splash, offline")
        self.assertEqual(self.s.heard()[:1], [("splash1", 1000)])
