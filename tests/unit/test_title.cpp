#include "data.h"
#include "headless.h"
#include "main.h"
#include "title.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

struct Mouse { int x, y, b; };
const Mouse kHold = { 0, 0, -1 };   // leave the mouse as it is

struct Slot { int asset, x0, y0; int *choice; int value; };
const Slot kSlots[] = {
   { MENU_PLAYERS_1, 42, 274, &num_players, 1 }, { MENU_PLAYERS_2, 242, 274, &num_players, 2 },
   { MENU_PLAYERS_3, 442, 274, &num_players, 3 }, { MENU_PLAYERS_4, 642, 274, &num_players, 4 },
   { MENU_TIME_30, 22, 387, &time_limit, 0 }, { MENU_TIME_60, 182, 387, &time_limit, 1 },
   { MENU_TIME_120, 342, 387, &time_limit, 2 }, { MENU_TIME_180, 502, 387, &time_limit, 3 },
   { MENU_TIME_300, 662, 387, &time_limit, 4 },
   { MENU_PLAY, 142, 489, nullptr, 0 }, { MENU_QUIT, 542, 489, nullptr, 0 },
};
const Slot &kPlay = kSlots[9];
const Slot &kQuit = kSlots[10];

using Steps = std::vector<Mouse>;
using Ints = std::vector<int>;

Steps click(const Slot &s, int dx = 50, int dy = 20)
{
   return { { s.x0 + dx, s.y0 + dy, 1 }, { s.x0 + dx, s.y0 + dy, 0 } };
}

Steps operator+(Steps a, const Steps &b)
{
   a.insert(a.end(), b.begin(), b.end());
   return a;
}

struct MenuRun { bool result; int passes; };

// Pass i of the menu's loop (its i-th key check after the buffer was emptied)
// sees steps[i] as the mouse; when they run out, Esc is typed. `each` runs
// at every pass before its step.
MenuRun run_menu(const Steps &steps, std::function<void(int)> each = {})
{
   MenuRun run = { false, 0 };
   bool started = false;
   headless_set_poll([&] {
      if (!started) {
         started = headless_queued_keys() == 0;
         return;
      }
      int pass = run.passes++;
      if (each)
         each(pass);
      if (pass < static_cast<int>(steps.size()) && steps[pass].b >= 0) {
         mouse_x = steps[pass].x;
         mouse_y = steps[pass].y;
         mouse_b = steps[pass].b;
      }
      else if (pass == static_cast<int>(steps.size()) || pass > 1000) {
         headless_queue_key(KEY_ESC);
      }
   });
   run.result = title_screen();
   headless_set_poll(nullptr);
   return run;
}

// pixels of the screen unlike the menu with the given choices framed
int differs_from_menu(int players, int time)
{
   BITMAP *ref = create_bitmap(800, 600);
   clear_bitmap(ref);
   BITMAP *logo = static_cast<BITMAP *>(data[TITLE_BMP].dat);
   blit(logo, ref, 0, 0, 400 - logo->w / 2, 20, logo->w, logo->h);
   for (const Slot &s : kSlots) {
      BITMAP *b = static_cast<BITMAP *>(data[s.asset].dat);
      blit(b, ref, 0, 0, s.x0, s.y0, b->w, b->h);
   }
   for (const Slot &s : kSlots)
      if ((s.choice == &num_players && s.value == players) || (s.choice == &time_limit && s.value == time))
         rect(ref, s.x0, s.y0, s.x0 + 117, s.y0 + 46, 1);
   int d = headless_diff(screen, ref);
   destroy_bitmap(ref);
   return d;
}

class TitleMenu : public ::testing::Test
{
protected:
   void SetUp() override
   {
      headless_screen();
      headless_data();
      mouse_x = mouse_y = mouse_b = 0;
   }
};

TEST_F(TitleMenu, HitAreaLiesOnePixelInsideEachFrame)
{
   const struct { int dx, dy; bool hit; } corners[] = {
      { 1, 1, true }, { 116, 45, true }, { 1, 45, true }, { 116, 1, true },
      { 0, 1, false }, { 1, 0, false }, { 117, 45, false }, { 116, 46, false },
   };
   for (const Slot &s : kSlots) {
      // a neighbour first, so that a hit on this option shows
      const Slot &other = (&s == &kSlots[0] || &s == &kSlots[4]) ? (&s)[1] : (&s)[-1];
      for (const auto &c : corners) {
         SCOPED_TRACE(testing::Message() << "slot at " << s.x0 << "," << s.y0 << " +" << c.dx << ",+" << c.dy);
         MenuRun run = run_menu(s.choice ? click(other) + click(s, c.dx, c.dy) : click(s, c.dx, c.dy));
         if (s.choice) {
            EXPECT_FALSE(run.result);
            EXPECT_EQ(*s.choice, c.hit ? s.value : other.value);
         }
         else {
            EXPECT_EQ(run.result, c.hit && &s == &kPlay);
            EXPECT_EQ(run.passes, c.hit ? 1 : 3);
         }
      }
   }
}

TEST_F(TitleMenu, APressActsOnceHoweverLongAndWhereverItIsHeld)
{
   const Slot &one = kSlots[0], &three = kSlots[2], &t30 = kSlots[4];
   Steps held = {
      { one.x0 + 9, one.y0 + 9, 1 }, { three.x0 + 9, three.y0 + 9, 1 }, { t30.x0 + 9, t30.y0 + 9, 1 },
      { kPlay.x0 + 9, kPlay.y0 + 9, 1 }, { kQuit.x0 + 9, kQuit.y0 + 9, 1 }, { kPlay.x0 + 9, kPlay.y0 + 9, 0 },
   };
   MenuRun run = run_menu(held + click(kSlots[3]));
   EXPECT_FALSE(run.result);
   EXPECT_EQ(run.passes, 9);
   EXPECT_EQ(num_players, 4);
   EXPECT_EQ(time_limit, 3);
}

TEST_F(TitleMenu, OnlyEscLeavesByKeyAndInputFromBeforeTheMenuIsDropped)
{
   headless_queue_key(KEY_ESC);
   mouse_x = kSlots[0].x0 + 9;
   mouse_y = kSlots[0].y0 + 9;
   mouse_b = 1;
   MenuRun run = run_menu(Steps{ kHold, kHold } + click(kPlay), [](int pass) {
      if (pass < 2)
         headless_queue_key(pass ? KEY_ENTER : KEY_Q);
   });
   EXPECT_TRUE(run.result);
   EXPECT_EQ(run.passes, 3);
   EXPECT_EQ(num_players, 2);

   run = run_menu({});
   EXPECT_FALSE(run.result);
   EXPECT_EQ(run.passes, 1);
}

TEST_F(TitleMenu, FramesMarkTheChoicesAndTheMenuIsRedrawnOnlyForAChoice)
{
   Ints redrawn;
   int at_pass[3] = { -1, -1, -1 };
   MenuRun run = run_menu(
      Steps{ kHold, kHold } + click(kSlots[0]) + click(kSlots[8]) + click(kSlots[0]) + click(kSlots[4], 30, 30) +
         click(kSlots[5]) + click(kPlay, 5, 5),
      [&](int pass) {
         if (pass > 0 && getpixel(screen, 0, 0) != 255)
            redrawn.push_back(pass - 1);
         if (pass == 1)
            at_pass[0] = differs_from_menu(2, 3);
         if (pass == 5)
            at_pass[1] = differs_from_menu(1, 4);
         if (pass == 8)
            num_players = 7;   // no such option: no frame on the row
         if (pass == 9)
            at_pass[2] = differs_from_menu(0, 0);
         putpixel(screen, 0, 0, 255);
      });
   EXPECT_TRUE(run.result);
   EXPECT_EQ(at_pass[0] + at_pass[1] + at_pass[2], 0);
   // the first pass, then each press on an option, the chosen one too
   EXPECT_EQ(redrawn, (Ints{ 0, 2, 4, 6, 8, 10 }));
   EXPECT_EQ(getpixel(screen, 0, 0), 255) << "Play redrew the menu";
   EXPECT_EQ(std::memcmp(headless_palette, data[TITLE_PAL].dat, sizeof(PALETTE)), 0);

   num_players = -1;
   time_limit = 0;
   run = run_menu({ kHold });
   EXPECT_TRUE(num_players == 2 && time_limit == 3);
   EXPECT_EQ(differs_from_menu(2, 3), 0);
}

} // namespace
