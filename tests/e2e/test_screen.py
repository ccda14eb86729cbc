"""Full screen on a monitor bigger than the picture: started in a window, F11 shows the picture whole,
centred, each of its pixels a square of the largest whole factor that fits, black around; clicks act where
they are made (a hit area's last pixel, at its last pixel on the monitor), in the menu and in play; F11 at
the prompt gives the window back with the picture as it was, answering nothing, and Alt+Enter full screen
again; the monitor is black once the game is gone."""
import numpy as np
import game
from game import PLAYERS, TIMES, PLAY, PROMPT, BANANA, centre, count, needs

T60 = TIMES[1]


@needs("full screen of its own")
class FullHD(game.Case):
    screen, factor = (1920, 1080), 1

    def view(self, img, full=True):  # the picture, if the screen shows it whole
        return game.whole(img, self.screen, self.factor if full else 1, full)

    def shows(self, ref, full=True):
        return lambda i: (p := self.view(i, full)) is not None and self.s.shows(ref)(p)

    def point(self, x, y, full=True, last=False):  # the pointer on the picture's (x, y)
        self.s.move(*game.at(self.screen, x, y, self.factor if full else 1, full, last))
        self.s.mouse = x, y

    def click(self, x, y, until, what, last=False):
        self.point(x, y, last=last)
        self.s.x("xdotool", "click", 1)
        return self.s.wait_for(until, 3, what)

    def test_f11_whole_and_sharp_clicks_where_made_the_window_again_and_black_after(self):
        self.s.start(game.GAME, "--window")
        self.s.wait_for(self.shows(game.menu(1, 3), full=False), 15, "the menu in a window")
        self.point(400, 300, full=False)  # over the window, which (with no window manager) has the keys then
        self.s.key("F11")
        self.click(*centre(PLAYERS[2]), self.shows(game.menu(2, 3)), "full screen, 3 players picked")
        self.click(T60[0] + 116, T60[1] + 45, self.shows(game.menu(2, 1)), "60 s, at its last pixel", True)
        self.click(*centre(TIMES[0]), self.shows(game.menu(2, 0)), "30 s")
        self.click(*centre(PLAY), self.shows(PROMPT), "the prompt")
        self.point(400, 300)  # where the window will be too, as the key is let go
        self.s.key("F11")
        self.point(*self.s.mouse, full=False)  # the same point of the picture in the window
        self.s.wait_for(self.shows(PROMPT, full=False), 3, "the prompt in a window again")
        self.s.key("alt+Return")
        self.click(*self.s.mouse, self.shows(PROMPT), "full screen again, by Alt+Enter")
        self.s.key("space")
        shot = lambda i: (p := self.view(i)) is not None and count(p, BANANA, 220, 586, 192, 209)
        self.click(200, 470, shot, "a shot where the click was")
        self.s.key("Escape")
        self.s.wait_for(self.shows(game.menu()), 3, "the menu, the game abandoned")
        self.s.key("Escape")
        self.assertEqual(self.s.wait_exit(), 0)
        self.assertFalse(np.frombuffer(self.s.grab(), np.uint8).any(), "the monitor not black after")


class QHD(FullHD):
    screen, factor = (2560, 1440), 2
