// What differs from system to system in how the desktop sees and hears the
// game; one file per system implements it (window_x11.cpp, window_windows.cpp,
// and window_web.cpp, where a page has little to do).
#ifndef JUNKFALL_WINDOW_SYSTEM_H
#define JUNKFALL_WINDOW_SYSTEM_H

// names the window and gives it the game's icon, where the system needs it
// done before allegro_init
void name_window();

// the system's own requests to stop (SIGINT and SIGTERM on Linux) raise
// close_requested
void catch_stop_signals();

// before install_sound: puts first the system's sound driver that keeps the
// least sound queued, where the library's own keeps too much (Linux)
void prefer_prompt_sound();

// before set_gfx_mode: the library's display driver the game asks for, on
// X11 and Windows a window, which the game itself makes full screen
int display_driver(bool full_screen);

// after set_gfx_mode, and from the keyboard's callback (F11, Alt+Enter): a
// window becomes full screen, or full screen a window again, where the game
// does that itself (X11, Windows); on a page nothing
void switch_full_screen();

#endif
