"""The title menu: frames, hit areas at the button edges (Quit's too), one
action per press, its sound once and choices silent, and the window's close
button leaving with status 0."""
import time
import game
from game import PLAYERS, QUIT, centre

# A click at (x, y), then the frames shown (player and turn-length slots,
# 0-based). Clicks on the frames miss, as the click after each proves.
EDGES = [((642, 297), (1, 3)), ((700, 274), (1, 3)), ((759, 297), (1, 3)), ((700, 320), (1, 3)),
         ((240, 410), (1, 1)), ((758, 319), (3, 1)), ((43, 275), (0, 1)),
         ((662, 410), (0, 1)), ((720, 387), (0, 1)), ((779, 410), (0, 1)), ((720, 433), (0, 1)),
         ((300, 297), (1, 1)), ((778, 432), (1, 4)), ((23, 388), (1, 0)),
         ((QUIT[0], QUIT[1] + 23), (1, 0)), ((QUIT[0] + 58, QUIT[1]), (1, 0)), ((100, 297), (0, 0))]


class Menu(game.Case):
    def frames(self, players, time_slot, what, timeout=5):
        self.s.wait_for(self.s.shows(game.menu(players, time_slot)), timeout, what)

    def test_1_opens_with_two_players_and_180_s_framed(self):
        self.s.start()
        self.frames(1, 3, "menu", 15)
        if game.WINE:
            return  # Wine shows the pointer as an X cursor, which no grab holds
        self.s.move(400, 560)
        self.s.wait_for(lambda i: game.pointer_shown(i, game.menu(), 400, 560, game.palette(21)[1]), 2,
                        "the crosshair on the menu, in the frames' colour")

    def test_2_hit_areas_end_one_pixel_inside_the_frames(self):
        for (x, y), want in EDGES:
            self.s.click(x, y, self.s.shows(game.menu(*want)), "frames after a click at %d,%d" % (x, y))

    def test_3_a_held_press_acts_once(self):
        self.s.move(*centre(PLAYERS[2]))
        self.s.button(True)
        self.frames(2, 0, "pressed on 3 players")
        for slot in (PLAYERS[3], QUIT):  # slid over with the button held
            self.s.move(*centre(slot))
            time.sleep(0.3)
        self.s.button(False)
        self.frames(2, 0, "still 3 players, and no Quit, after the slide")
        game.WINE or self.assertEqual(self.s.heard(), [("splash1", 1000), ("splash2", 1000), ("title", 1000)])

    def test_4_close_button_ends_it(self):
        self.s.close_button()
        self.assertEqual((self.s.wait_exit(1), self.s.messages()), (0, []))
