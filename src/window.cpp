// The close button's flag, the window's title, the focus, the game's own keys
// (M, F11), and waiting for a key.
#include "window.h"
#include "window_system.h"

#include <allegro.h>

std::atomic<bool> close_requested{false};
std::atomic<bool> window_away{false};
std::atomic<int> window_returns{0};
static std::atomic<bool> muted{false};

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

// F11, or Enter with Alt held, switches between a window and full screen
static bool is_screen_key(int scancode)
{
   int k = scancode & 0x7f;
   return k == KEY_F11 || (k == KEY_ENTER && (key_shifts & KB_ALT_FLAG));
}
END_OF_FUNCTION(is_screen_key)

// a key's first press acts, not its repeats: M turns the sound off or on (the
// library's mixer takes its own lock for each voice the volume changes)
static void game_keys(int scancode)
{
   static bool m_held, screen_held;
   int k = scancode & 0x7f;
   bool down = !(scancode & 0x80);
   if (k == KEY_M) {
      if (down && !m_held) {
         muted = !muted;
         set_volume(muted ? 0 : 255, -1);
      }
      m_held = down;
   } else if (k == KEY_F11 || k == KEY_ENTER) {
      // held is noted first: the switch may let every key go meanwhile
      // (Windows, as its window changes), this one included
      bool was_held = screen_held;
      screen_held = down && is_screen_key(scancode);
      if (screen_held && !was_held)
         switch_full_screen();
   }
}
END_OF_FUNCTION(game_keys)

static int keep_game_keys(int key)
{
   return (key >> 8) == KEY_M || is_screen_key(key >> 8) ? 0 : key;
}
END_OF_FUNCTION(keep_game_keys)

void watch_game_keys()
{
   LOCK_VARIABLE(muted);
   LOCK_FUNCTION(is_screen_key);
   LOCK_FUNCTION(game_keys);
   LOCK_FUNCTION(keep_game_keys);
   keyboard_lowlevel_callback = game_keys;
   keyboard_callback = keep_game_keys;
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
