"""Random moves, clicks, drags and keys on every screen from the splashes to
a turn in play; the game still answers: Esc to the menu with its sound, and
a clean, silent Quit."""
import random, time
import game
from game import PLAY, QUIT, centre


class Storm(game.Case):
    def storm(self, seconds, keys):
        end, rnd = time.monotonic() + seconds, self.rnd
        while time.monotonic() < end:
            x, y = rnd.randrange(800), rnd.randrange(600)
            if not any(sx - 40 < x < sx + 158 and sy < y < sy + 47 for sx, sy in (PLAY, QUIT)):
                self.s.move(x, y)
                self.s.button(rnd.random() < 0.3)  # pressed, dragged to the next spot, released there
                self.s.key(rnd.choice(keys)) if rnd.random() < 0.1 else None
        self.s.button(False)

    def test_storm_then_quit(self):
        seed = time.time_ns() % 10000
        print("seed", seed)
        self.rnd = random.Random(seed)
        keys = ["space", "Return", "a", "Up", "F1", "Tab", "BackSpace"]
        self.s.start()
        self.storm(5, keys + ["Escape"])  # the splashes: the menu drops the keys typed now
        self.s.wait_for(self.s.shows(game.menu()), 15, "menu after the splashes")
        self.storm(3, keys)
        self.s.click(*centre(PLAY), self.s.shows(game.PROMPT), "prompt")
        self.storm(2, keys)  # the prompt, and a turn if a key came
        self.s.key("space")
        self.s.wait_for(lambda i: game.clock(i) is not None, 3, "a turn")
        self.storm(3, keys)
        self.s.heard()  # until the turn's sounds are over: Esc must bring the menu's alone
        mark = self.s.mark()
        self.s.key("Escape")
        self.s.wait_for(self.s.shows(game.menu()), 5, "menu after Esc")
        late = [n for n, p in self.s.heard(mark) if n not in game.HITS]  # a banana still in flight
        self.assertEqual(late, ["title"])
        mark = self.s.mark()
        self.s.click(QUIT[0] + 116, QUIT[1] + 45, lambda i: self.s.game.poll() is not None, "exit after Quit")
        self.assertEqual((self.s.wait_exit(), self.s.messages(), self.s.heard(mark)), (0, [], []))
