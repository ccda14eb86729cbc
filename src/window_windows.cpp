// The window on Windows: the library names its class itself and takes the
// icon from the program's resources (allegro_icon, in junkfall.rc); a
// program without a console gets no signals to stop it, only the close button.
#include "window.h"
#include "window_system.h"

#include <allegro.h>

void name_window()
{
}

void catch_stop_signals()
{
}

void prefer_prompt_sound()
{
}

int display_driver()
{
   return GFX_AUTODETECT;
}

void switch_full_screen()
{
}
