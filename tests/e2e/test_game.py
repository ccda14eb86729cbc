"""One game of two 30-second turns, watched as a player sees it: the
prompt, the scene, the turret at both edges, one banana per press shooting
an envelope down, landings ending each turn at the twentieth while the
colours swing and the clock runs down, the second prompt, the score table;
then a game abandoned with Esc, and Quit."""
import time
import game
from game import TIMES, PLAY, QUIT, PROMPT, W, centre, px, row, SKY, CLOUD, GROUND, SPECKLE, TURRET, BANANA

Y = 470  # the pointer's row in play: clear of the turret, the ground and the bar


def landed(t, shot=1):  # envelopes landed t seconds into an unshot turn, less the one shot down
    return sum(1 for k in range(1 + shot, 21 + shot) if (30 * k + 309) / 60 <= t)


def lowest(health):  # the swing's lowest blend position at this health
    return 64 - 2 * (32 - int(health / 20 * 64) // 2)


def band(tx):  # row 585 with the turret centred on tx: sky, 21 columns of turret, sky
    x0, x1 = max(0, tx - 10), min(W, tx + 11)
    return SKY * x0 + TURRET * (x1 - x0) + SKY * (W - x1)


class Game(game.Case):
    def key(self, name):
        self.s.key(name)
        self.__class__.t0 = time.monotonic()

    def test_1_prompt_after_play(self):
        s = self.s
        s.start()
        s.wait_for(s.shows(game.menu()), 15, "menu")
        s.click(*centre(TIMES[0]), s.shows(game.menu(1, 0)), "30 s chosen")
        s.click(*centre(PLAY), s.shows(PROMPT), "first prompt")

    def test_2_scene_of_the_first_frame(self):
        self.s.move(400, Y)
        self.key("space")
        img = self.s.wait_for(lambda i: game.clock(i) is not None, 3, "first frame")
        self.assertEqual(game.clock(img), 29)
        self.assertEqual(game.health(img), 20)
        for y in [y for y in range(20, 600) if not Y - 8 < y < Y + 9]:  # below the clock, not the pointer's rows
            seg = row(img, y, 0, 780)  # left of the bar
            if y >= 580:  # the turret over sky, then over the ground
                self.assertEqual(seg[3 * 390:3 * 411], TURRET * 21, y)
                seg = seg[:3 * 390] + seg[3 * 411:]
            rest = seg.replace(SKY, b"") if y < 590 else seg.replace(GROUND, b"").replace(SPECKLE, b"")
            self.assertEqual(rest.replace(CLOUD, b"") if y < 210 else rest, b"", "row %d" % y)
        speckles = sum(row(img, y).count(SPECKLE) for y in range(590, 600))
        self.assertTrue(800 < speckles <= 1000, speckles)  # 1000 at random over 8000 pixels
        self.assertIn(CLOUD, row(img, 100) + row(img, 150) + row(img, 50))

    def test_3_turret_at_both_edges_without_a_trace(self):
        for tx in (0, 799, 400):
            self.s.move(tx, Y)
            self.s.wait_for(lambda i: row(i, 585) == band(tx), 2, "turret at %d" % tx)

    def test_4_one_banana_per_press_shoots_an_envelope(self):
        s = self.s
        img = s.wait_for(lambda i: any(y > 40 for x, y in game.envelopes(i)), 3, "an envelope in view")
        x, y = max(game.envelopes(img), key=lambda e: e[1])  # the lowest: nothing below it in its column
        s.move(x + 16, Y)
        s.wait_for(lambda i: row(i, 585) == band(x + 16), 2, "turret under the envelope")
        s.button(True)  # and held until the envelope is gone
        spans, end, gone = [], time.monotonic() + 3, False
        while not gone and time.monotonic() < end:
            img = s.grab()
            col = [r for r in range(580) if any(px(img, c, r) == BANANA for c in range(x, x + 32))]
            spans += [col[-1] - col[0] + 1] if col else []
            gone = x not in [e[0] for e in game.envelopes(img)]
        s.button(False)
        self.assertTrue(gone, "the envelope was not shot down")
        self.assertTrue(spans, "no banana seen")
        self.assertLessEqual(max(spans), 24, "more than one banana from one held press")

    def test_5_landings_end_the_turn_at_the_twentieth_as_colours_swing(self):
        s, seen = self.s, []
        while not seen or seen[-1][1] < 25:
            ta = time.monotonic() - self.t0
            img = s.grab()
            tb = time.monotonic() - self.t0
            if s.masked(img) == s.masked(PROMPT):  # the second prompt, in the game palette again
                break
            seen.append((ta, tb, game.health(img), game.clock(img), game.sky(img)))
        self.assertTrue(seen[-1][0] < 16.0 and tb > 15.6, (seen[-1][0], tb))  # the 21st spawn lands at tick 939
        swing = []
        for ta, tb, h, c, sky in seen[:-1]:  # the last grab may have caught the prompt half drawn
            self.assertTrue(20 - landed(tb + 0.05) <= h <= 20 - landed(ta - 0.2), (ta, tb, h))
            self.assertTrue(int(30 - tb - 0.05) <= c <= int(30 - ta + 0.2), (ta, tb, c))
            at = [p for p in range(lowest(h), 65) if game.sky_at(p) == sky]
            self.assertTrue(at, "sky %s at health %d" % (sky.hex(), h))
            swing += at[:1] if h <= 10 else []
        self.assertLessEqual(seen[-2][2], 1)
        self.assertLessEqual(min(swing), 40, "the colours hardly swung")

    def test_6_second_turn_then_scores_in_order(self):
        self.key("space")
        self.s.wait_for(self.s.shows(game.text([(200, 300, "Player scores"), (220, 310, "Player 1: 1"),
                                               (220, 320, "Player 2: 0")])), 20, "score table")
        self.assertTrue(15.1 < time.monotonic() - self.t0 < 16.0)  # the 20th spawn lands at tick 909

    def test_7_escape_abandons_a_game_without_scores(self):
        s = self.s
        s.key("space")
        s.wait_for(s.shows(game.menu()), 3, "menu after the scores")
        s.click(*centre(PLAY), s.shows(PROMPT), "prompt")
        s.key("space")
        s.wait_for(lambda i: game.clock(i) == 179, 3, "a 180 s turn")
        s.key("Escape")
        s.wait_for(lambda i: game.shows_text(i, 200, 300, "Player scores") or s.shows(game.menu())(i), 3, "menu")
        self.assertTrue(s.shows(game.menu())(s.grab()), "scores after an abandoned game")
        s.click(*centre(QUIT), lambda img: s.game.poll() is not None, "exit after Quit")
        self.assertEqual(s.wait_exit(), 0)
        self.assertEqual(s.messages(), [])
