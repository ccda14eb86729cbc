"""A game of two 30 s turns seen and heard (scene, turret, landings, colours, clock, a dozen clicks, scores;
a sound for each shot and hit, nothing else); M; a turn standing still while another window has the focus;
Esc abandons a game, a press held into the menu does nothing there; the close button ends one."""
import time
import game
from game import TIMES, PLAY, QUIT, PROMPT, W, HITS, centre, count, needs, row
from game import SKY, CLOUD, GROUND, SPECKLE, TURRET, BANANA

Y = 470  # the pointer's row in play: clear of the turret, the ground and the bar


def landed(t):  # envelopes landed t s into a turn, the k-th at tick 30 k + 309
    return sum(1 for k in range(1, 22) if (30 * k + 309) / 60 <= t)


def band(tx):  # row 585 with the turret centred on tx: sky, 21 columns of turret, sky
    x0, x1 = max(0, tx - 10), min(W, tx + 11)
    return SKY * x0 + TURRET * (x1 - x0) + SKY * (W - x1)


def ends(seen):  # the last time left the turn's clock showed
    return [c for h, c, *_ in seen if c is not None][-1]


class Game(game.Case):
    def test_1_prompt_after_play(self):
        self.s.start()
        self.s.wait_for(self.s.shows(game.menu()), 15, "menu")
        self.s.click(*centre(TIMES[0]), self.s.shows(game.menu(1, 0)), "30 s chosen")
        self.s.click(*centre(PLAY), self.s.shows(PROMPT), "first prompt")

    def test_2_scene_of_the_first_frame(self):
        self.s.move(400, Y)
        self.s.key("Escape")  # any key starts a turn, Esc too
        img = self.s.wait_for(lambda i: game.clock(i) is not None, 3, "first frame")
        self.assertEqual((game.clock(img), game.health(img)), (29, 20))
        near = range(Y - 7, Y + 9)  # the pointer's rows
        for y in [y for y in range(20, 600) if y not in near]:  # below the clock
            seg = row(img, y, 0, 780)  # left of the bar
            if y >= 580:  # the turret over the sky, then over the ground, centred on the pointer
                self.assertEqual(seg[3 * 390:3 * 390 + 63], TURRET * 21, y)
                seg = seg[:3 * 390] + seg[3 * 390 + 63:]
            rest = seg.replace(SKY, b"") if y < 590 else seg.replace(GROUND, b"").replace(SPECKLE, b"")
            self.assertEqual(rest.replace(CLOUD, b"") if y < 210 else rest, b"", "row %d" % y)
        speckles = count(img, SPECKLE, 590, 600)
        self.assertTrue(800 < speckles <= 1000, speckles)  # 1000 at random over 8000 pixels
        self.assertTrue(count(img, CLOUD, 0, 210))  # clouds lie anywhere in the top rows

    def test_3_turret_at_both_edges_without_a_trace(self):
        for tx in (0, 799, 400):
            self.s.move(tx, Y)
            self.s.wait_for(lambda i: row(i, 585) == band(tx), 2, "turret at %d" % tx)

    def test_4_the_crosshair_in_play_in_white(self):
        self.s.wait_for(lambda i: game.pointer_shown(i, SKY * W * 600, 400, Y), 2, "the crosshair in play")

    def test_5_landings_end_the_turn_at_the_twentieth_as_colours_swing(self):
        seen, swing, end = [], [], time.monotonic() + 30 * game.SLOW  # timed by the turn's own clock, whose
        while time.monotonic() < end and (not seen or (seen[-1][1] or 30) > 5):  # c is 29 - c to 30 - c s in
            img = self.s.grab()
            if self.s.shows(PROMPT)(img):  # the second prompt, in the game palette again
                break
            # below the flap, above the pointer
            faces = [row(img, y + 12, x + 16, x + 17) for x, y in game.envelopes(img) if y < Y - 24]
            seen.append((game.health(img), game.clock(img), game.sky(img), faces))
        for h, c, sky, _ in [e for e in seen if e[1] is not None][:-1]:  # the last may be half drawn
            self.assertTrue(20 - landed(30.1 - c) <= h <= 20 - landed(28.9 - c), (h, c))
            lowest = 2 * (int(h / 20 * 64) // 2)  # of the swing at this health
            at = [p for p in range(lowest, 65) if game.blend(6, p) == sky]
            self.assertTrue(at, "sky %s at health %d" % (sky.hex(), h))
            swing += at[:1] if h <= 10 else []
        self.assertEqual(ends(seen), 14)  # the 20th landing, at tick 909: 15.15 s in
        faces = [f for h, c, _, f in seen if h == 20 and c is not None and c <= 26]  # 3 s in, at full health
        self.assertTrue(faces and all(f and set(f) == {game.rgb((63, 63, 63))} for f in faces), faces)
        self.assertLessEqual(min(swing), 40, "the colours hardly swung")

    def test_6_second_turn_a_dozen_shots_then_scores_in_order(self):
        self.s.key("space")
        for x in range(60, 780, 60):  # across the screen, wherever the envelopes are
            self.s.move(x, Y)
            self.s.x("xdotool", "click", 1, "sleep", 0.35)
        tables = {bytes(self.s.masked(game.text([(200, 300, "Player scores"), (220, 310, "Player 1: 0"),
                                                 (220, 320, "Player 2: %d" % n)]))): n for n in range(13)}
        seen = []
        img = self.s.wait_for(lambda i: seen.append((0, game.clock(i))) or bytes(self.s.masked(i)) in tables,
                              25, "score table")
        shot = tables[bytes(self.s.masked(img))]
        self.assertEqual(ends(seen), int(30 - (30 * (20 + shot) + 309) / 60), shot)  # the 20th left lands
        heard = self.s.heard()  # no landing, prompt or table is heard
        self.assertEqual(heard[:3], game.STARTUP, heard)
        turn = heard[3:]
        print("second turn:", " ".join(n if n != "fire" else "fire@%d" % p for n, p in turn))
        fired = hit = 0
        for n, p in turn:
            fired, hit = fired + (n == "fire"), hit + (n != "fire")
            self.assertTrue(n == "fire" or n in HITS and hit <= fired, turn)  # after its shot
        pitches = [p for n, p in turn if n == "fire"]
        self.assertEqual((fired, hit), (12, shot), "one sound per press and per envelope hit")
        self.assertTrue(all(880 <= p <= 1120 for p in pitches) and max(pitches) - min(pitches) >= 40, pitches)

    def test_7_m_silences_the_shots_and_brings_them_back(self):
        self.s.key("space")
        self.s.wait_for(self.s.shows(game.menu()), 3, "menu after the scores")
        self.s.heard()  # its sound over before the next, which is the same
        self.s.click(*centre(TIMES[4]), self.s.shows(game.menu(1, 4)), "300 s chosen")
        self.s.click(*centre(PLAY), self.s.shows(PROMPT), "prompt")
        self.s.key("space")
        self.s.move(20, Y)
        self.s.key("m")  # M, a shot, M again, a shot: the first unheard
        mark = self.s.mark()
        self.s.click(20, Y, lambda i: count(i, BANANA, 220, 586, 0, 40), "a shot")
        self.s.key("m")
        self.__class__.mark = mark
        self.s.click(20, Y, lambda i: True, "another")

    def test_8_away_the_turn_stands_still_till_a_click_once_back(self):
        self.s.wait_for(lambda i: (game.clock(i) or 299) < 298 and game.envelopes(i), 3, "envelopes falling")
        self.stands_still(20, Y)

    def test_9_one_shot_heard_then_escape_abandons_a_game_and_a_press_held_into_the_menu_does_nothing(self):
        self.assertEqual([n for n, p in self.s.heard(self.mark) if n == "fire"], ["fire"])  # not the muted
        mark = self.s.mark()  # one, nor the click that went on
        self.s.button(True)  # a shot, held as Esc leaves for the menu, and over Quit there
        x = self.s.mouse[0]
        self.s.wait_for(lambda i: count(i, BANANA, 500, 575, x - 8, x + 8), 2, "the shot, drawn")
        self.s.key("Escape")
        img = self.s.wait_for(lambda i: game.shows_text(i, 200, 300, "Player scores") or
                              self.s.shows(game.menu())(i), 3, "menu")
        self.assertTrue(self.s.shows(game.menu())(img), "scores after an abandoned game")
        self.s.move(*centre(QUIT))
        self.s.button(False)
        self.s.click(*centre(TIMES[0]), self.s.shows(game.menu(1, 0)), "30 s chosen, after the held press")
        self.assertEqual([n for n, p in self.s.heard(mark) if n not in HITS], ["fire", "title"])

    @needs("close button")
    def test_10_close_button_in_play_ends_it(self):
        self.s.click(*centre(PLAY), self.s.shows(PROMPT), "prompt")
        self.s.key("space")
        self.s.wait_for(lambda i: game.clock(i) is not None, 3, "a turn")
        self.s.close_button()
        self.assertEqual((self.s.wait_exit(1), self.s.messages()), (0, []))
