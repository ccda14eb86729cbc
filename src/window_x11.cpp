// The X window's name, class and icon, and the signals that stop the game.
#include "window.h"
#include "window_system.h"

#include <allegro.h>
#include <xalleg.h>

#include <csignal>

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
