"""The window's close button (WM_DELETE_WINDOW, as a window manager sends it)
ends the game with status 0 within a second, at the menu and in play."""
import ctypes
from ctypes import byref, c_int, c_long, c_uint, c_ulong, c_void_p, POINTER
import game
from game import PLAY, PROMPT, centre

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = c_void_p
x11.XDefaultRootWindow.restype = x11.XInternAtom.restype = c_ulong
x11.XDefaultRootWindow.argtypes = x11.XCloseDisplay.argtypes = [c_void_p]
x11.XInternAtom.argtypes = [c_void_p, ctypes.c_char_p, c_int]
x11.XQueryTree.argtypes = [c_void_p, c_ulong] + [c_void_p] * 4
x11.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, c_void_p]


class ClientMessage(ctypes.Structure):  # XClientMessageEvent, padded to the size of an XEvent
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("window", c_ulong), ("message_type", c_ulong), ("format", c_int), ("data", c_long * 5),
                ("pad", c_long * 12)]


def close_button(display):
    d = x11.XOpenDisplay(display.encode())
    root, parent, children, n = c_ulong(), c_ulong(), POINTER(c_ulong)(), c_uint()
    x11.XQueryTree(d, x11.XDefaultRootWindow(d), byref(root), byref(parent), byref(children), byref(n))
    for i in range(n.value):  # no window manager: the game's window is a child of the root
        ev = ClientMessage(type=33, window=children[i], format=32,
                           message_type=x11.XInternAtom(d, b"WM_PROTOCOLS", 0))
        ev.data[0] = x11.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
        x11.XSendEvent(d, children[i], 0, 0, byref(ev))
    x11.XCloseDisplay(d)


class Close(game.Case):
    def test_at_the_menu(self):
        self.s.start()
        self.s.wait_for(self.s.shows(game.menu()), 15, "menu")
        close_button(self.s.env["DISPLAY"])
        self.assertEqual(self.s.wait_exit(1), 0)

    def test_in_play(self):
        s = self.s
        s.start()
        s.wait_for(s.shows(game.menu()), 15, "menu")
        s.click(*centre(PLAY), s.shows(PROMPT), "prompt")
        s.key("space")
        s.wait_for(lambda i: game.clock(i) == 179, 3, "a turn in play")
        close_button(s.env["DISPLAY"])
        self.assertEqual(s.wait_exit(1), 0)
