// What the desktop sees of the game: the window's name, class and icon, and
// its close button, which ends the program the way Quit does; whether the
// player is with it; and M, which silences it. In a web page the page
// carries the name and icon, and there is no close button: the tab closes
// with the game.
#ifndef JUNKFALL_WINDOW_H
#define JUNKFALL_WINDOW_H

#include <atomic>

// raised from the library's input thread when the window's close button is
// pressed; the menu, the turn and every wait for a key give up when they see it
extern std::atomic<bool> close_requested;

// after allegro_init: titles the window; its close button, and the system's
// stop signals, raise close_requested
void watch_close_button();

// raised while the player is away: another window has the focus, or the
// game's is minimised; a page is hidden or its window has lost the focus.
// Each system reports it through the library's display switching
extern std::atomic<bool> window_away;

// whether the player has come back since *seen was taken (from
// window_returns, which counts the returns), and takes it again: a full
// screen may come back cleared and in the colours it went away in, so what is
// drawn once is drawn again, its palette set again
extern std::atomic<int> window_returns;
bool returned_since(int *seen);

// after set_gfx_mode: the library keeps the game running in the background,
// where the game itself decides what stops, and window_away follows the focus
void watch_focus();

// after install_keyboard: M, anywhere, turns the game's sound off or on
// again (it starts on); F11 or Alt+Enter switches between a window and full
// screen; these keys go no further
void watch_game_keys();

// draws the screen with draw (the palette too), then waits for a key and
// reads it, drawing again whenever the player comes back; false, with
// nothing read, when the close button was pressed first
bool wait_for_key(void (*draw)());

#endif
