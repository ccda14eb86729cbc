#include "banana.h"
#include "game.h"
#include "headless.h"
#include "main.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Ints = std::vector<int>;

class Game : public ::testing::Test
{
protected:
   void SetUp() override { play_setup(); }
   void TearDown() override { clear_bananas(); }
};

// pixels of `shot` unlike a black screen with `draw` on it
int differs(BITMAP *shot, const std::function<void(BITMAP *)> &draw)
{
   BITMAP *ref = create_bitmap(800, 600);
   clear_bitmap(ref);
   draw(ref);
   int d = headless_diff(shot, ref);
   destroy_bitmap(ref);
   return d;
}

TEST_F(Game, EveryPlayerHasATurnInOrderThenTheTableListsTheScoresUnlessEscAbandons)
{
   const int points[] = { 3, 0, 12, 105 }, order[] = { 0, 1, 2, 3 };
   for (int n : { 4, 2, 3 }) {   // each game starts from nothing; the third is abandoned
      num_players = n;
      Play p;
      p.key = KEY_ESC;   // at a prompt, any key starts the turn
      p.on_pass = [&](int pass) {
         if (n == 3 && cur_player == 1 && pass == 1)
            return headless_queue_key(KEY_ESC);   // even in the pass that finds the time up
         if (pass == 1) {   // typed as a turn ends: play reads one, the next prompt drops the other
            headless_queue_key(KEY_A);
            return headless_queue_key(KEY_B);
         }
         for (int i = 0; i < points[cur_player]; i++)
            spam_hit();
         p.end_turn();
      };
      p.run();
      EXPECT_EQ(p.turns, Ints(order, order + (n == 3 ? 2 : n)));
      EXPECT_TRUE(p.passes == Ints(p.turns.size(), 2) && p.tables == (n != 3) && num_players == (n == 3 ? -1 : n));
      EXPECT_EQ(differs(p.prompt, [](BITMAP *ref) { textout_ex(ref, font, "Press any key to start", 200, 300, 3, 0); }), 0);
      EXPECT_EQ(n == 3 ? 0 : differs(p.table, [&](BITMAP *ref) {
         textout_ex(ref, font, "Player scores", 200, 300, 3, 0);
         for (int i = 0; i < n; i++)
            textprintf_ex(ref, font, 220, 310 + 10 * i, 3, 0, "Player %d: %d", i + 1, points[i]);
      }), 0) << n << " players";
   }
}

TEST_F(Game, AHeldButtonFiresOnceAndNoBananaOutlivesItsTurn)
{
   num_players = 2;
   mouse_x = 401;
   Play p;
   Ints seen;
   const Ints buttons[] = { { 1, 1, 0, 1, 1 }, { 1, 0, 1 } };   // at each pass's tick; held as each turn ends
   p.on_pass = [&](int pass) {
      int last = static_cast<int>(buttons[cur_player].size()), n = 0;
      for (BANANA *b = banana_list; b; b = b->next)
         n++;
      seen.push_back(n);
      if (cur_player == 0 && pass == 1) {
         EXPECT_TRUE(banana_list && banana_list->x == 401 - 8 && banana_list->y == 570);
      }
      if (pass < last)
         mouse_b = buttons[cur_player][pass], game_timer();
      if (pass == last)
         p.end_turn();
   };
   p.run();
   EXPECT_EQ(seen, (Ints{ 0, 1, 1, 1, 2, 2, 2, 0, 0, 0, 1, 1 }));
}

TEST_F(Game, FrameShowsTheObjectsTurretHealthBarAndTimeLeftWithoutTraces)
{
   // the pointer, health and clock at each pass's tick; time is up only past 30 s
   const struct { int mouse, health; std::int64_t at; int seconds; } steps[] = {
      { 400, 20, 1, 29 }, { 0, 19, 1500000, 28 }, { 3, 7, 2500000, 27 },
      { 799, 1, 10000001, 19 }, { 796, 1, 30000000, 0 }, { 10, -1, 30500000, 0 },
   };
   Play p;
   p.on_pass = [&](int pass) {
      const auto &s = steps[std::max(pass - 1, 0)];
      EXPECT_EQ(differs(screen, [&](BITMAP *ref) {
                   blit(bg, ref, 0, 0, 0, 0, 800, 600);
                   if (pass == 0)
                      return;   // the turn opens on the bare background
                   draw_sprite(ref, spam, 100, 200 + 2 * pass);   // 2 pixels down and 6 up a tick
                   rotate_sprite(ref, banana, 300, 400 - 6 * pass, banana_list->angle);
                   rectfill(ref, s.mouse - 10, 580, s.mouse + 10, 599, 5);
                   rectfill(ref, 780, 0, 799, 102, 0);
                   rectfill(ref, 781, 101 - 5 * std::max(s.health, 0), 799, 101, 14);
                   textprintf_ex(ref, font, 9, 10, 15, 0, "Time left %3d", s.seconds);
                }), 0) << "pass " << pass;
      int ground = 0;   // the bottom ten rows, speckled
      for (int x = 0; pass == 0 && x < 8000; x++)
         ground += getpixel(bg, x % 800, 590 + x / 800) / 2 == 6;
      EXPECT_TRUE(pass > 0 || (ground == 8000 && spam->w == 32 && spam->h == 16));
      if (pass == 0)
         spams[0] = { 100, 200, true }, add_banana(300, 400);
      if (pass < 6)
         mouse_x = steps[pass].mouse, health = steps[pass].health, fake_clock_now = p.turn_start + steps[pass].at;
      game_timer();
   };
   p.run();
   EXPECT_EQ(p.passes, Ints{ 7 });
}

TEST_F(Game, ColoursSwingFurtherAsHealthDropsAndEachTurnStartsAfresh)
{
   num_players = 2;
   PALETTE swung;
   std::memcpy(swung, game_palette, sizeof swung);
   std::memcpy(swung + 2, insane_palette + 2, 24 * sizeof(RGB));
   int installs = 0;
   Ints spam_seen;
   Play p;
   p.on_pass = [&](int pass) {
      spam_seen.push_back(0);
      for (const SPAM &s : spams)
         spam_seen.back() += s.alive;
      // the prompt's palette; then at full health the colours stand still and
      // are not installed again; with no health, at tick 90, they are all the way over
      const RGB *expected = pass == 2 ? swung : game_palette;
      EXPECT_EQ(std::memcmp(headless_palette, expected, sizeof(PALETTE)), 0) << pass;
      installs = pass == 0 ? headless_installs : installs;
      EXPECT_TRUE(pass != 1 || headless_installs == installs);
      health = pass == 1 ? 0 : health;
      for (int i = 0; i < (pass ? 72 : 18); i++)
         game_timer();
   };
   p.run();
   EXPECT_EQ(p.passes, (Ints{ 3, 3 }));
   EXPECT_EQ(spam_seen, (Ints{ 0, 0, 3, 0, 0, 3 }));   // one every 30 ticks
}

} // namespace
