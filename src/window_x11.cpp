// The X window's name, class and icon, and the signals that stop the game.
#include "window.h"
#include "window_system.h"

#include <allegro.h>
#include <xalleg.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// the icon the build draws, as XPM text
#include "junkfall.xpm"

// the library's window icon: set before allegro_init, which builds the window
extern "C" char **allegro_icon;

// Ctrl+C and a polite kill leave the same way; the library's own handler
// would shut it down inside the signal and hang. A second one ends it at once.
static void stop_signal(int signum)
{
   close_requested = true;
   std::signal(signum, SIG_DFL);
}

void name_window()
{
   // the class ties the window to the desktop entry (StartupWMClass) and its icon
   xwin_set_window_name("junkfall", "Junkfall");
   allegro_icon = const_cast<char **>(junkfall_xpm);
}

void catch_stop_signals()
{
   std::signal(SIGINT, stop_signal);
   std::signal(SIGTERM, stop_signal);
}

// Full screen: the game's window grows to the monitor's size, black, and the
// picture sits in its middle, scaled by the largest whole factor that fits;
// no video mode changes. The library draws into the inner window, which
// holds the picture, so at 1 x its own drawing serves; at more, each changed
// rectangle is put scaled, and the pointer's events are scaled back.
static int factor;        // 0 in a window
static XImage *scaled;    // the picture at the factor, where that is over 1
static void (*plain_redraw)(int, int, int, int);   // the library's own

// n pixels, each f times
static void widen(const std::uint32_t *from, std::uint32_t *to, int n, int f)
{
   for (int i = 0; i < n; i++)
      for (int k = 0; k < f; k++)
         *to++ = from[i];
}

// with the library's X lock held; x, y, w, h within the picture
static void put_scaled(int x, int y, int w, int h)
{
   x = std::max(x, 0), y = std::max(y, 0);
   w = std::min(w, 800 - x), h = std::min(h, 600 - y);
   XImage *in = _xwin.ximage;
   if (w <= 0 || h <= 0 || !in)
      return;
   int bytes = in->bits_per_pixel / 8, f = factor;
   for (int j = y; j < y + h; j++) {
      const char *from = in->data + j * in->bytes_per_line + x * bytes;
      char *to = scaled->data + j * f * scaled->bytes_per_line + x * f * bytes;
      if (bytes == 4)   // the common case, a pixel at a time
         widen(reinterpret_cast<const std::uint32_t *>(from), reinterpret_cast<std::uint32_t *>(to), w, f);
      else
         for (int i = 0; i < w * f; i++)
            std::memcpy(to + i * bytes, from + i / f * bytes, bytes);
      for (int k = 1; k < f; k++)
         std::memcpy(to + k * scaled->bytes_per_line, to, w * f * bytes);
   }
   XPutImage(_xwin.display, _xwin.window, _xwin.gc, scaled, x * f, y * f, x * f, y * f, w * f, h * f);
}

static void scale_back(int *x, int *y)
{
   *x /= factor;
   *y /= factor;
}

// the events of the inner window, taken in its scaled pixels, handed on to
// the library in the picture's
static void scaled_input()
{
   if (!_xwin.display)   // closed as the library shuts down
      return;
   XEvent ev[64];
   int n = 0;
   while (n < 64 && XEventsQueued(_xwin.display, QueuedAfterFlush) > 0)
      XNextEvent(_xwin.display, &ev[n++]);
   for (int i = 0; i < n; i++) {
      XEvent &e = ev[i];
      if (e.type == MotionNotify)
         scale_back(&e.xmotion.x, &e.xmotion.y);
      else if (e.type == EnterNotify || e.type == LeaveNotify)
         scale_back(&e.xcrossing.x, &e.xcrossing.y);
      else if (e.type == ButtonPress || e.type == ButtonRelease)
         scale_back(&e.xbutton.x, &e.xbutton.y);
      else if (e.type == Expose) {
         e.xexpose.width = (e.xexpose.x + e.xexpose.width + factor - 1) / factor;
         e.xexpose.height = (e.xexpose.y + e.xexpose.height + factor - 1) / factor;
         scale_back(&e.xexpose.x, &e.xexpose.y);
         e.xexpose.width -= e.xexpose.x;
         e.xexpose.height -= e.xexpose.y;
      }
   }
   while (n > 0)
      XPutBackEvent(_xwin.display, &ev[--n]);
   _xwin_private_handle_input();
}

// asks a window manager for the monitor, or back; and lets it size the window so
static void tell_manager(bool full, int w, int h)
{
   Display *d = _xwin.display;
   if (XSizeHints *hints = XAllocSizeHints()) {
      hints->flags = PMinSize | PMaxSize | PBaseSize;
      hints->min_width = hints->max_width = hints->base_width = w;
      hints->min_height = hints->max_height = hints->base_height = h;
      XSetWMNormalHints(d, _xwin.wm_window, hints);
      XFree(hints);
   }
   XEvent e{};
   e.xclient.type = ClientMessage;
   e.xclient.window = _xwin.wm_window;
   e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
   e.xclient.format = 32;
   e.xclient.data.l[0] = full ? 1 : 0;   // _NET_WM_STATE_ADD, _REMOVE
   e.xclient.data.l[1] = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False));
   e.xclient.data.l[3] = 1;
   XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

int display_driver(bool)
{
   return GFX_AUTODETECT_WINDOWED;
}

void switch_full_screen()
{
   Display *d = _xwin.display;
   if (!d || _xwin.wm_window == None || !gfx_driver || !gfx_driver->windowed)
      return;
   XLOCK();
   int sw = DisplayWidth(d, _xwin.screen), sh = DisplayHeight(d, _xwin.screen);
   int f = factor ? 0 : std::max(1, std::min(sw / 800, sh / 600));
   if (!plain_redraw)
      plain_redraw = _xwin_window_redrawer;
   if (scaled) {
      XDestroyImage(scaled);   // frees its pixels too
      scaled = nullptr;
   }
   if (f > 1) {   // without room for the picture scaled, it is shown as it is
      XImage *in = _xwin.ximage;
      std::size_t size = in ? 800 * f * 600 * f * (in->bits_per_pixel / 8) : 0;
      char *pixels = size ? static_cast<char *>(std::calloc(size, 1)) : nullptr;
      scaled = pixels ? XCreateImage(d, _xwin.visual, in->depth, ZPixmap, 0, pixels, 800 * f, 600 * f,
                                     in->bitmap_pad, 0) : nullptr;
      if (!scaled) {
         std::free(pixels);
         f = 1;
      }
   }
   factor = f;
   if (f) {
      tell_manager(true, sw, sh);
      XMoveResizeWindow(d, _xwin.wm_window, 0, 0, sw, sh);
      XMoveResizeWindow(d, _xwin.window, (sw - 800 * f) / 2, (sh - 600 * f) / 2, 800 * f, 600 * f);
   } else {
      tell_manager(false, 800, 600);
      XResizeWindow(d, _xwin.wm_window, 800, 600);
      XMoveResizeWindow(d, _xwin.window, 0, 0, 800, 600);
   }
   _xwin_window_redrawer = f > 1 ? put_scaled : plain_redraw;
   _xwin_input_handler = f > 1 ? scaled_input : nullptr;
   _xwin_window_redrawer(0, 0, 800, 600);
   XUNLOCK();
}
