#include "data.h"
#include "headless.h"
#include "main.h"
#include "title.h"
#include "title_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// b -1: leave the mouse as it is; 2: a tap, let go and the pointer gone before the pass reads
struct Mouse { int x, y, b; };
using Steps = std::vector<Mouse>;

// the menu's slots in order (players 1-4, turn lengths, Play, Quit), each with the choice it makes
struct Slot { SLOT at; int *choice; int value; };
const Slot kSlots[] = {
   { player_slots[0], &num_players, 1 }, { player_slots[1], &num_players, 2 },
   { player_slots[2], &num_players, 3 }, { player_slots[3], &num_players, 4 },
   { time_slots[0], &time_limit, 0 }, { time_slots[1], &time_limit, 1 }, { time_slots[2], &time_limit, 2 },
   { time_slots[3], &time_limit, 3 }, { time_slots[4], &time_limit, 4 },
   { play_slot, nullptr, 0 }, { quit_slot, nullptr, 0 },
};
const Slot &kPlay = kSlots[9];

Steps click(const Slot &s, int dx = 50, int dy = 20, Steps before = {})
{
   before.push_back({ s.at.x + dx, s.at.y + dy, 1 });
   before.push_back({ s.at.x + dx, s.at.y + dy, 0 });
   return before;
}

// Pass i of the menu (its i-th key check once the buffer was emptied) sees
// steps[i] as the mouse; then Esc is typed. The menu's answer; *passes counts them
bool run_menu(const Steps &steps, int *passes = nullptr)
{
   int pass = -1;
   headless_set_poll([&] {
      if (pass < 0 && headless_queued_keys() > 0)
         return;
      const Mouse *m = ++pass > 0 && pass <= static_cast<int>(steps.size()) ? &steps[pass - 1] : nullptr;
      if (m && m->b >= 0 && m->b && !(mouse_b & 1))
         headless_press(m->x, m->y, m->b == 2);
      if (m && m->b >= 0)
         mouse_x = m->b == 2 ? 0 : m->x, mouse_y = m->b == 2 ? 0 : m->y, mouse_b = m->b & 1;
      if (pass == static_cast<int>(steps.size()) + 1 || pass > 1000)
         headless_queue_key(KEY_ESC);
   });
   bool result = title_screen();
   headless_set_poll(nullptr);
   if (passes)
      *passes = pass;
   return result;
}

void fresh_menu()
{
   headless_screen();
   headless_data();
   mouse_x = mouse_y = mouse_b = 0;
}

TEST(TitleMenu, HitAreaLiesOnePixelInsideEachFrame)
{
   fresh_menu();
   const struct { int dx, dy; bool hit; } corners[] = {
      { 1, 1, true }, { 116, 45, true }, { 1, 45, true }, { 116, 1, true },
      { 0, 1, false }, { 1, 0, false }, { 117, 45, false }, { 116, 46, false },
   };
   for (const Slot &s : kSlots) {
      // a neighbour first, so that a hit on this option shows
      const Slot &other = (&s == &kSlots[0] || &s == &kSlots[4]) ? (&s)[1] : (&s)[-1];
      for (const auto &c : corners) {
         SCOPED_TRACE(testing::Message() << s.at.x << "," << s.at.y << " +" << c.dx << ",+" << c.dy);
         int passes = mouse_b = 0;   // let go of the Play that ended the last menu
         bool play = run_menu(s.choice ? click(s, c.dx, c.dy, click(other)) : click(s, c.dx, c.dy), &passes);
         EXPECT_EQ(play, c.hit && &s == &kPlay);
         EXPECT_EQ(s.choice ? *s.choice : passes, s.choice ? (c.hit ? s.value : other.value) : c.hit ? 1 : 3);
      }
   }
}

TEST(TitleMenu, APressActsOnceHoweverLongAndWhereverItIsHeld)
{
   fresh_menu();
   Steps held;
   for (int i : { 0, 2, 4, 9, 10 })
      held.push_back({ kSlots[i].at.x + 9, kSlots[i].at.y + 9, 1 });
   held.push_back({ kPlay.at.x + 9, kPlay.at.y + 9, 0 });
   int passes = 0;
   EXPECT_FALSE(run_menu(click(kSlots[3], 50, 20, held), &passes));
   EXPECT_TRUE(passes == 9 && num_players == 4 && time_limit == 3);
}

TEST(TitleMenu, ATapBetweenTwoPassesActsWhereItWasAndAPressHeldAsTheMenuOpensDoesNothing)
{
   fresh_menu();
   const SLOT &quit = kSlots[10].at;
   int passes = 0;
   EXPECT_TRUE(run_menu({ { kSlots[0].at.x + 9, kSlots[0].at.y + 9, 2 },
                          { kPlay.at.x + 9, kPlay.at.y + 9, 2 } }));
   EXPECT_EQ(num_players, 1);
   mouse_b = 1;   // held over Quit as the menu opens, and still held there: nothing, until a new press
   EXPECT_FALSE(run_menu({ { quit.x + 9, quit.y + 9, 1 }, { quit.x + 9, quit.y + 9, 1 } }, &passes));
   EXPECT_EQ(passes, 3);
   EXPECT_FALSE(run_menu({ { quit.x + 9, quit.y + 9, 0 }, { quit.x + 9, quit.y + 9, 2 } }, &passes));
   EXPECT_EQ(passes, 2);
}

TEST(TitleMenu, EveryOpeningStartsAfreshInItsOwnPaletteWithItsSoundAndChoosingIsSilent)
{
   fresh_menu();
   headless_voices.clear();
   EXPECT_FALSE(run_menu(click(kSlots[8], 50, 20, click(kSlots[0]))));
   EXPECT_TRUE(num_players == 1 && time_limit == 4);
   EXPECT_EQ(std::memcmp(headless_palette, data[TITLE_PAL].dat, sizeof(PALETTE)), 0);
   run_menu({ { 0, 0, -1 } });
   EXPECT_TRUE(num_players == 2 && time_limit == 3);
   EXPECT_EQ(headless_voices, std::vector<Voice>(2, voice_of(TITLE_SAMPLE)));
}

} // namespace
