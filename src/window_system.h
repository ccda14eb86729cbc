// What differs from system to system in how the desktop sees the game; one
// file per system implements it (window_x11.cpp, window_windows.cpp, and
// window_web.cpp, where a page has neither to do).
#ifndef JUNKFALL_WINDOW_SYSTEM_H
#define JUNKFALL_WINDOW_SYSTEM_H

// names the window and gives it the game's icon, where the system needs it
// done before allegro_init
void name_window();

// the system's own requests to stop (SIGINT and SIGTERM on Linux) raise
// close_requested
void catch_stop_signals();

#endif
