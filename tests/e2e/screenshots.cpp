// Takes the README's pictures from the real game: the title menu, and a
// game in progress. Writes menu.ppm and game.ppm into the directory given;
// scripts/screenshots.sh turns them into the committed PNGs.
#include <X11/keysym.h>

#include <cstdio>
#include <string>

#include "harness.h"
#include "screens.h"

using namespace e2e;

static bool menu_shown(XServer &x, GameProcess &game)
{
   return wait_until(
       x, [&](const Image &img) { x.nudge(); return read_menu(img, pointer_areas(x)).shown; },
       40s, nullptr, [&] { return !game.running(); });
}

int main(int argc, char **argv)
{
   if (argc != 2) {
      std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
      return 2;
   }
   const std::string out = argv[1];
   XServer &x = XServer::shared();
   x.move(400, 560);
   GameProcess game(x);

   if (!menu_shown(x, game)) {
      std::fprintf(stderr, "the menu never showed\n%s\n", game.diagnostics().c_str());
      return 1;
   }
   x.move(560, 460);
   sleep_for(300ms);
   if (!x.grab().save_ppm(out + "/menu.ppm"))
      return 1;

   // one player, 60 seconds, Play, and a key at the prompt
   x.click(100, 297);
   x.click(240, 410);
   x.click(200, 512);
   wait_until(x, [](const Image &img) { return img.rgb(201, 301) != kBlack; }, 10s);
   x.tap_key(XK_space);

   // sweep the turret and fire now and then, until a few envelopes have
   // landed and the colours have started to swing
   for (int i = 0; i < 90; i++) {
      x.move(120 + (i * 37) % 560, 560);
      if (i % 3 == 0)
         x.click(120 + (i * 37) % 560, 560);
      sleep_for(100ms);
   }
   x.move(430, 560);
   x.button(true);
   sleep_for(350ms);
   x.button(false);
   if (!x.grab().save_ppm(out + "/game.ppm"))
      return 1;

   x.tap_key(XK_Escape);
   if (!menu_shown(x, game))
      return 1;
   x.tap_key(XK_Escape);
   auto status = game.wait_exit(15s);
   return status && *status == 0 ? 0 : 1;
}
