// What the desktop sees of the game: the window's name, class and icon, and
// its close button, which ends the program the way Quit does.
#ifndef JUNKFALL_WINDOW_H
#define JUNKFALL_WINDOW_H

#include <atomic>

// raised from the library's input thread when the window's close button is
// pressed; the menu, the turn and every wait for a key give up when they see it
extern std::atomic<bool> close_requested;

// names the window and gives it the game's icon, where the system needs it
// done before allegro_init (window_x11.cpp, window_windows.cpp)
void name_window();

// after allegro_init: titles the window; its close button, and the system's
// stop signals, raise close_requested
void watch_close_button();

// the system's own requests to stop (SIGINT and SIGTERM on Linux) raise
// close_requested; per system, beside name_window
void catch_stop_signals();

// waits for a key and reads it; false, with nothing read, when the close
// button was pressed first
bool wait_for_key();

#endif
