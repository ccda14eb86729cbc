#include "data.h"
#include "headless.h"
#include "main.h"
#include "title.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
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

std::vector<Mouse> click(const Slot &s, int dx = 50, int dy = 20)
{
   return { { s.x0 + dx, s.y0 + dy, 1 }, { s.x0 + dx, s.y0 + dy, 0 } };
}

std::vector<Mouse> operator+(std::vector<Mouse> a, const std::vector<Mouse> &b)
{
   a.insert(a.end(), b.begin(), b.end());
   return a;
}

struct MenuRun { bool result; int passes; };

// Pass i of the menu's loop sees steps[i] as the mouse; when the steps run
// out, Esc is typed. `each` runs at every pass before its step.
MenuRun run_menu(const std::vector<Mouse> &steps, std::function<void(int)> each = {})
{
   MenuRun run = { false, 0 };
   // the menu's palette is not set until the key buffer is empty
   headless_palette[255].r = 99;
   headless_set_poll([&] {
      if (headless_palette[255].r == 99)
         return;
      int pass = run.passes++;
      if (each)
         each(pass);
      if (pass < static_cast<int>(steps.size())) {
         if (steps[pass].b >= 0) {
            mouse_x = steps[pass].x;
            mouse_y = steps[pass].y;
            mouse_b = steps[pass].b;
         }
      }
      else if (pass == static_cast<int>(steps.size()) || pass > 1000) {
         headless_queue_key(KEY_ESC);
      }
   });
   run.result = title_screen();
   headless_set_poll(nullptr);
   headless_clear_keys();
   return run;
}

// the menu as it should look with the given choices framed
BITMAP *expected_menu(int players, int time)
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
   return ref;
}

int screen_differs_from_menu(int players, int time)
{
   BITMAP *ref = expected_menu(players, time);
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
      headless_stand_in_data();
      headless_clear_keys();
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
      // pick a neighbour first, so a hit on the chosen option shows
      const Slot &other = (&s == &kSlots[0] || &s == &kSlots[4]) ? (&s)[1] : (&s)[-1];
      for (const auto &c : corners) {
         SCOPED_TRACE(testing::Message() << "slot at " << s.x0 << "," << s.y0 << " +" << c.dx << ",+" << c.dy);
         if (s.choice) {
            MenuRun run = run_menu(click(other) + click(s, c.dx, c.dy));
            EXPECT_FALSE(run.result);
            EXPECT_EQ(*s.choice, c.hit ? s.value : other.value);
         }
         else {
            MenuRun run = run_menu(click(s, c.dx, c.dy));
            EXPECT_EQ(run.result, c.hit && &s == &kPlay);
            EXPECT_EQ(run.passes, c.hit ? 1 : 3);
         }
      }
   }
}

TEST_F(TitleMenu, ClicksBesideTheButtonsChangeNothing)
{
   const struct { int x, y; } points[] = { { 200, 300 }, { 400, 300 }, { 600, 300 }, { 150, 410 }, { 310, 410 },
                            { 640, 410 }, { 400, 360 }, { 400, 510 }, { 700, 510 }, { 400, 60 },
                            { 0, 0 }, { 799, 599 }, { 790, 300 }, { 10, 410 } };
   for (const auto &p : points) {
      std::vector<int> redrawn;
      MenuRun run = run_menu({ { p.x, p.y, 1 }, { p.x, p.y, 0 } }, [&](int pass) {
         if (pass > 0 && getpixel(screen, 0, 0) != 255)
            redrawn.push_back(pass - 1);
         putpixel(screen, 0, 0, 255);
      });
      EXPECT_EQ(run.passes, 3) << p.x << "," << p.y;
      EXPECT_EQ(redrawn, std::vector<int>{ 0 }) << p.x << "," << p.y;
      EXPECT_EQ(num_players, 2);
      EXPECT_EQ(time_limit, 3);
   }
}

TEST_F(TitleMenu, APressActsOnceHoweverLongAndWhereverItIsHeld)
{
   const Slot &one = kSlots[0], &three = kSlots[2], &four = kSlots[3], &t30 = kSlots[4];
   std::vector<Mouse> steps = {
      { one.x0 + 9, one.y0 + 9, 1 }, { three.x0 + 9, three.y0 + 9, 1 }, { t30.x0 + 9, t30.y0 + 9, 1 },
      { kPlay.x0 + 9, kPlay.y0 + 9, 1 }, { kQuit.x0 + 9, kQuit.y0 + 9, 1 }, { kPlay.x0 + 9, kPlay.y0 + 9, 0 },
   };
   MenuRun run = run_menu(steps + click(four));
   EXPECT_FALSE(run.result);
   EXPECT_EQ(run.passes, 9);
   EXPECT_EQ(num_players, 4);
   EXPECT_EQ(time_limit, 3);
}

TEST_F(TitleMenu, OnlyEscLeavesByKeyAndEarlierInputIsDropped)
{
   // typed and held before the menu opened
   headless_queue_key(KEY_ESC);
   mouse_x = kSlots[0].x0 + 9;
   mouse_y = kSlots[0].y0 + 9;
   mouse_b = 1;
   MenuRun run = run_menu(std::vector<Mouse>{ kHold, kHold } + click(kPlay), [](int pass) {
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

TEST_F(TitleMenu, FramesMarkTheChoicesAndEveryOpeningStartsFresh)
{
   std::vector<int> redrawn;
   int wrong_frames = -1;
   MenuRun run = run_menu(
      std::vector<Mouse>{ kHold, kHold } + click(kSlots[0]) + click(kSlots[8]) + click(kSlots[0]) + click(kSlots[4], 30, 30) +
         click(kSlots[5]) + click(kPlay, 5, 5),
      [&](int pass) {
         if (pass > 0 && getpixel(screen, 0, 0) != 255)
            redrawn.push_back(pass - 1);
         if (pass == 1) {
            EXPECT_EQ(screen_differs_from_menu(2, 3), 0);
         }
         if (pass == 5) {
            EXPECT_EQ(screen_differs_from_menu(1, 4), 0);
         }
         if (pass == 8)
            num_players = 7;   // no such option: no frame on the row
         if (pass == 9)
            wrong_frames = screen_differs_from_menu(0, 0);
         putpixel(screen, 0, 0, 255);
      });
   EXPECT_TRUE(run.result);
   EXPECT_EQ(wrong_frames, 0);
   // first pass, then each press on an option, the chosen one too
   EXPECT_EQ(redrawn, (std::vector<int>{ 0, 2, 4, 6, 8, 10 }));
   EXPECT_EQ(getpixel(screen, 0, 0), 255) << "Play redrew the menu";

   PALETTE title;
   for (int i = 0; i < PAL_SIZE; i++)
      title[i] = static_cast<RGB *>(data[TITLE_PAL].dat)[i];
   EXPECT_EQ(std::memcmp(headless_palette, title, sizeof(PALETTE)), 0);

   num_players = -1;
   time_limit = 0;
   run = run_menu({ kHold });
   EXPECT_EQ(num_players, 2);
   EXPECT_EQ(time_limit, 3);
   EXPECT_EQ(screen_differs_from_menu(2, 3), 0);
}

TEST(DataCatalogue, OnlyTheTwentyFourObjectsOfTheirTypesPass)
{
   DATAFILE *good = headless_stand_in_data();
   EXPECT_TRUE(data_matches_catalogue(good));
   EXPECT_FALSE(data_matches_catalogue(nullptr));

   BITMAP *deep = create_bitmap_ex(16, 118, 47);
   BITMAP *extra = create_bitmap(4, 4);
   const std::function<void(DATAFILE *)> damage[] = {
      [](DATAFILE *d) { d[FIRE_SAMPLE].type = DAT_BITMAP; },
      [](DATAFILE *d) { d[TITLE_PAL].type = DAT_BITMAP; },
      [](DATAFILE *d) { d[MENU_QUIT].type = DAT_END; },
      [](DATAFILE *d) { d[HIT1_SAMPLE].dat = nullptr; },
      [&](DATAFILE *d) { d[MENU_PLAY].dat = deep; },
      [&](DATAFILE *d) { d[DATA_COUNT] = { extra, DAT_BITMAP, 0, nullptr }; },
   };
   for (size_t i = 0; i < std::size(damage); i++) {
      DATAFILE copy[DATA_COUNT + 2];
      std::copy(good, good + DATA_COUNT + 1, copy);
      copy[DATA_COUNT + 1] = copy[DATA_COUNT];
      damage[i](copy);
      EXPECT_FALSE(data_matches_catalogue(copy)) << i;
   }
   destroy_bitmap(deep);
   destroy_bitmap(extra);
}

} // namespace
