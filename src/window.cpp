// The close button's flag, the window's title, the focus, the mute key, and
// waiting for a key.
#include "window.h"
#include "window_system.h"

#include <allegro.h>

std::atomic<bool> close_requested{false};
std::atomic<bool> window_away{false};
std::atomic<int> window_returns{0};
static std::atomic<bool> muted{false}, m_held{false};

static void close_button_pressed()
{
   close_requested = true;
}
END_OF_FUNCTION(close_button_pressed)

void watch_close_button()
{
   set_window_title("Junkfall");
   LOCK_FUNCTION(close_button_pressed);
   set_close_button_callback(close_button_pressed);
   catch_stop_signals();
}

static void went_away()
{
   window_away = true;
}
END_OF_FUNCTION(went_away)

static void came_back()
{
   window_away = false;
   window_returns++;
}
END_OF_FUNCTION(came_back)

void watch_focus()
{
   // a full screen that cannot run in the background at least keeps running
   if (set_display_switch_mode(SWITCH_BACKGROUND) != 0)
      set_display_switch_mode(SWITCH_BACKAMNESIA);
   LOCK_VARIABLE(window_away);
   LOCK_VARIABLE(window_returns);
   LOCK_FUNCTION(went_away);
   LOCK_FUNCTION(came_back);
   set_display_switch_callback(SWITCH_OUT, went_away);
   set_display_switch_callback(SWITCH_IN, came_back);
}

bool returned_since(int *seen)
{
   int now = window_returns;
   bool back = now != *seen;
   *seen = now;
   return back;
}

// the key's first press toggles, not its repeats; the library's mixer takes
// its own lock for each voice the volume changes
static void mute_key(int scancode)
{
   if ((scancode & 0x7f) != KEY_M)
      return;
   bool down = !(scancode & 0x80);
   if (down && !m_held) {
      muted = !muted;
      set_volume(muted ? 0 : 255, -1);
   }
   m_held = down;
}
END_OF_FUNCTION(mute_key)

static int keep_m(int key)
{
   return (key >> 8) == KEY_M ? 0 : key;
}
END_OF_FUNCTION(keep_m)

void watch_mute_key()
{
   LOCK_VARIABLE(muted);
   LOCK_VARIABLE(m_held);
   LOCK_FUNCTION(mute_key);
   LOCK_FUNCTION(keep_m);
   keyboard_lowlevel_callback = mute_key;
   keyboard_callback = keep_m;
}

bool wait_for_key(void (*draw)())
{
   int returns = window_returns;
   draw();
   while (!keypressed()) {
      if (close_requested)
         return false;
      if (returned_since(&returns))
         draw();
      rest(1);
   }
   readkey();
   return true;
}
