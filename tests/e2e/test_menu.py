"""The title menu: frames, the crosshair, hit areas one pixel inside the frames (where the pointer reaches
the game exactly), its sound once and choices silent, and Quit leaving silently with status 0."""
import game
from game import PLAYERS, TIMES, QUIT, centre

# A click at (x, y), then the frames shown (player and turn-length slots, 0-based): a centre,
# the corners of two hit areas, then the frames just outside four others, which miss
(P1, P2, P4), (T30, T60) = (PLAYERS[i] for i in (0, 1, 3)), TIMES[:2]
EDGES = [(centre(P1), (0, 3)), ((P4[0] + 1, P4[1] + 1), (3, 3)), ((T60[0] + 116, T60[1] + 45), (3, 1)),
         ((P1[0], P1[1] + 20), (3, 1)), ((T30[0] + 117, T30[1] + 20), (3, 1)),
         ((P2[0] + 58, P2[1] + 46), (3, 1)), ((QUIT[0] + 58, QUIT[1]), (3, 1))]


class Menu(game.Case):
    def test_1_opens_with_two_players_and_180_s_framed(self):
        self.s.start()
        self.s.wait_for(self.s.shows(game.menu(1, 3)), 15, "menu")

    def test_2_the_crosshair_in_the_frames_colour(self):
        self.s.move(400, 560)
        colour = game.palette("TITLE_PAL")[1]
        self.s.wait_for(lambda i: game.pointer_shown(i, game.menu(), 400, 560, colour), 2,
                        "the crosshair on the menu, in the frames' colour")

    def test_3_hit_areas_end_one_pixel_inside_the_frames_and_choosing_is_silent(self):
        for (x, y), want in EDGES:
            self.s.click(x, y, self.s.shows(game.menu(*want)), "frames after a click at %d,%d" % (x, y))
        self.assertEqual(self.s.heard(), game.STARTUP)

    def test_4_quit_ends_it_silently(self):
        self.s.heard()  # the menu's sound wholly mixed before the mark
        mark = self.s.mark()
        self.s.click(*centre(QUIT), lambda i: True, "Quit")  # its edges are clicked above
        self.assertEqual((self.s.wait_exit(), self.s.messages(), self.s.heard(mark)), (0, [], []))
