// The two command-line questions the game answers instead of starting, and
// how it starts.
#include "usage.h"

#include <cstdio>
#include <cstring>

#ifndef JUNKFALL_VERSION
#error "the build passes the game's version as JUNKFALL_VERSION"
#endif

static const char usage_text[] =
   "Usage: junkfall [--fullscreen | --window | --help | --version]\n"
   "Shoot bananas at the junk mail falling from the sky.\n"
   "\n"
   "The game starts full screen, or in a window with --window; F11 or\n"
   "Alt+Enter switches between the two. It needs an X display. The mouse\n"
   "steers the turret, the left button fires, M turns the sound off or on,\n"
   "Esc abandons a game or quits.\n"
   "Settings for display and sound: see junkfall(6).\n";

int answer_command_line(int argc, char **argv)
{
   if (argc != 2)
      return -1;
   if (std::strcmp(argv[1], "--help") == 0) {
      std::fputs(usage_text, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
   }
   if (std::strcmp(argv[1], "--version") == 0) {
      std::printf("junkfall %s\n", JUNKFALL_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
   }
   return -1;
}

bool full_screen_asked(int argc, char **argv)
{
   bool full = true;
   for (int i = 1; i < argc; i++) {
      if (std::strcmp(argv[i], "--window") == 0)
         full = false;
      else if (std::strcmp(argv[i], "--fullscreen") == 0)
         full = true;
   }
   return full;
}
