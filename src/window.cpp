// The X window's name, class, title and icon, and the close button's flag.
#include "window.h"

#include <allegro.h>
#include <xalleg.h>

#include <csignal>

// the icon the build draws, as XPM text
#include "junkfall.xpm"

// the library's window icon: set before allegro_init, which builds the window
extern "C" char **allegro_icon;

std::atomic<bool> close_requested{false};

static void close_button_pressed()
{
   close_requested = true;
}
END_OF_FUNCTION(close_button_pressed)

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

void watch_close_button()
{
   set_window_title("Junkfall");
   LOCK_FUNCTION(close_button_pressed);
   set_close_button_callback(close_button_pressed);
   std::signal(SIGINT, stop_signal);
   std::signal(SIGTERM, stop_signal);
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
