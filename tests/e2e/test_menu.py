"""The title menu: frames, hit areas at the button edges, one action per
press, and Quit (but not its edge) leaving with status 0."""
import time
import game
from game import PLAYERS, QUIT, centre

# (x, y) clicked, then the frames shown: players and turn-length slot, 0-based.
# A miss proves itself only by the click after it, which lands.
EDGES = [((642, 297), (1, 3)), ((700, 274), (1, 3)), ((759, 297), (1, 3)), ((700, 320), (1, 3)),
         ((240, 410), (1, 1)), ((758, 319), (3, 1)), ((43, 275), (0, 1)),
         ((662, 410), (0, 1)), ((720, 387), (0, 1)), ((779, 410), (0, 1)), ((720, 433), (0, 1)),
         ((300, 297), (1, 1)), ((778, 432), (1, 4)), ((23, 388), (1, 0))]


class Menu(game.Case):
    def frames(self, players, time_slot, what, timeout=5):
        self.s.wait_for(self.s.shows(game.menu(players, time_slot)), timeout, what)

    def test_1_opens_with_two_players_and_180_s_framed(self):
        self.s.start()
        self.frames(1, 3, "menu", 15)

    def test_2_hit_areas_end_one_pixel_inside_the_frames(self):
        for (x, y), want in EDGES:
            self.s.click(x, y, self.s.shows(game.menu(*want)), "frames after a click at %d,%d" % (x, y))

    def test_3_a_held_press_acts_once(self):
        s = self.s
        s.move(*centre(PLAYERS[2]))
        time.sleep(0.05)
        s.button(True)
        self.frames(2, 0, "press on 3 players")
        for slot in (PLAYERS[3], QUIT):  # sliding over them with the button held
            s.move(*centre(slot))
            time.sleep(0.3)
        s.button(False)
        self.assertIsNone(s.game.poll(), "a held button reached Quit")
        self.frames(2, 0, "still 3 players after the slide")

    def test_4_quit_but_not_its_edge(self):
        s = self.s
        s.click(QUIT[0], QUIT[1] + 23)
        s.click(*centre(PLAYERS[0]), s.shows(game.menu(0, 0)), "Quit's edge ignored")
        s.click(QUIT[0] + 116, QUIT[1] + 45, lambda img: s.game.poll() is not None, "exit after Quit")
        self.assertEqual(s.wait_exit(), 0, s.output())
        self.assertEqual(s.messages(), [])
