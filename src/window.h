// What the desktop sees of the game: the window's name, class and icon, and
// its close button, which ends the program the way Quit does. In a web page
// the page carries the name and icon, and there is no close button: the tab
// closes with the game.
#ifndef JUNKFALL_WINDOW_H
#define JUNKFALL_WINDOW_H

#include <atomic>

// raised from the library's input thread when the window's close button is
// pressed; the menu, the turn and every wait for a key give up when they see it
extern std::atomic<bool> close_requested;

// after allegro_init: titles the window; its close button, and the system's
// stop signals, raise close_requested
void watch_close_button();

// waits for a key and reads it; false, with nothing read, when the close
// button was pressed first
bool wait_for_key();

#endif
