// The game in a web page: the library names the page after the window's
// title, and the page carries the icon; a page gets no signals, and its tab
// closes with the game.
#include "window.h"
#include "window_system.h"

#include <allegro.h>

void name_window()
{
}

void catch_stop_signals()
{
}

// the page's own driver queues as little as the browser allows
void prefer_prompt_sound()
{
}

int display_driver(bool)
{
   return GFX_AUTODETECT;
}

void switch_full_screen()
{
}
