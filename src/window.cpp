// The close button's flag, the window's title, and waiting for a key.
#include "window.h"
#include "window_system.h"

#include <allegro.h>

std::atomic<bool> close_requested{false};

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

bool wait_for_key()
{
   while (!keypressed()) {
      if (close_requested)
         return false;
      rest(1);
   }
   readkey();
   return true;
}
