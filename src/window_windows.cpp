// The window on Windows: the library names its class itself and takes the
// icon from the program's resources (allegro_icon, in junkfall.rc); a
// program without a console gets no signals to stop it, only the close button.
#include "window.h"
#include "window_system.h"

#include <allegro.h>
#include <winalleg.h>

#include <algorithm>

// the monitor's own pixels, not ones the desktop's zoom enlarges: a picture
// Windows stretched by 1.5 would not be sharp
void name_window()
{
   SetProcessDPIAware();
}

void catch_stop_signals()
{
}

void prefer_prompt_sound()
{
}

// Full screen: the library's window loses its frame and grows to the
// monitor, black, with the picture in its middle at the largest whole factor
// that fits (the library's windowed driver, patched, places and scales it);
// no video mode changes.
static const LONG FRAME = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
static LONG framed;   // the library's own style of window
static bool full;

// before set_gfx_mode: a game starting full screen has no frame from the
// first, so that a monitor of the picture's own size takes it whole
int display_driver(bool full_screen)
{
   HWND wnd = win_get_window();
   framed = GetWindowLong(wnd, GWL_STYLE);
   if (full_screen)
      SetWindowLong(wnd, GWL_STYLE, (framed & ~FRAME) | WS_POPUP);
   return GFX_DIRECTX_WIN;
}

static RECT monitor_of(HWND wnd, bool work_area)
{
   MONITORINFO m{};
   m.cbSize = sizeof m;
   GetMonitorInfo(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &m);
   return work_area ? m.rcWork : m.rcMonitor;
}

void switch_full_screen()
{
   HWND wnd = win_get_window();
   if (!gfx_driver || !gfx_driver->windowed || !wnd)
      return;
   full = !full;
   RECT r = monitor_of(wnd, !full);
   int w = r.right - r.left, h = r.bottom - r.top;
   if (full) {
      int f = std::max(1, std::min(w / 800, h / 600));
      win_set_picture_place((w - 800 * f) / 2, (h - 600 * f) / 2, f);
      SetWindowLong(wnd, GWL_STYLE, (framed & ~FRAME) | WS_POPUP);
   } else {   // a window in the middle of the work area, as the library first places it
      win_set_picture_place(0, 0, 1);
      SetWindowLong(wnd, GWL_STYLE, framed);
      r = {r.left + (w - 800) / 2, r.top + (h - 600) / 2, 0, 0};
      r.right = r.left + 800, r.bottom = r.top + 600;
      AdjustWindowRect(&r, framed, FALSE);
   }
   SetWindowPos(wnd, full ? HWND_TOP : nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                SWP_FRAMECHANGED | SWP_SHOWWINDOW | (full ? 0 : SWP_NOZORDER));
   InvalidateRect(wnd, nullptr, FALSE);
}
