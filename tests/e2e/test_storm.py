"""Random input on every screen, from the splashes to a turn in play, and
the game still answers: Esc back to the menu and a clean Quit."""
import random, time
import game
from game import PLAY, QUIT, centre

KEYS = ["space", "Return", "a", "Up", "F1", "Tab", "BackSpace", "Escape"]


class Storm(game.Case):
    def storm(self, seconds, keys=KEYS, keep_off=()):
        """Moves, clicks, drags and keys at random, never pressing inside keep_off."""
        end, rnd = time.monotonic() + seconds, self.rnd
        while time.monotonic() < end:
            x, y = rnd.randrange(800), rnd.randrange(600)
            if any(sx <= x <= sx + 117 and sy <= y <= sy + 46 for sx, sy in keep_off):
                continue
            self.s.move(x, y)
            what = rnd.random()
            if what < 0.3:
                self.s.button(True)
                self.s.move(x + rnd.randrange(-40, 40), y)  # a drag, released on the way
                self.s.button(False)
            elif what < 0.4:
                self.s.key(rnd.choice(keys))

    def test_storm_on_every_screen_then_quit(self):
        s = self.s
        seed = int(time.time())
        print("seed", seed)
        self.rnd = random.Random(seed)
        s.start()
        self.storm(5)  # the splashes: keys typed now are dropped by the menu
        s.wait_for(s.shows(game.menu()), 15, "menu after the splashes")
        self.storm(3, KEYS[:-1], (PLAY, QUIT))
        s.click(*centre(PLAY), s.shows(game.PROMPT), "prompt")
        self.storm(4, KEYS[:-1])  # the prompt, then a turn
        s.key("Escape")
        s.wait_for(s.shows(game.menu()), 5, "menu after Esc")
        s.click(*centre(QUIT), lambda img: s.game.poll() is not None, "exit after Quit")
        self.assertEqual(s.wait_exit(), 0, s.output())
        self.assertEqual(s.messages(), [])
