#include "banana.h"
#include "game.h"
#include "headless.h"
#include "main.h"
#include "play.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

using Ints = std::vector<int>;

class Game : public ::testing::Test
{
protected:
   void SetUp() override { play_setup(); }
   void TearDown() override { clear_bananas(); }
};

int differs(BITMAP *shot, const std::function<void(BITMAP *)> &draw)
{
   BITMAP *ref = create_bitmap(800, 600);
   clear_bitmap(ref);
   draw(ref);
   int d = headless_diff(shot, ref);
   destroy_bitmap(ref);
   return d;
}

TEST_F(Game, EveryPlayerHasATurnInOrderThenTheTableListsTheScores)
{
   const int points[] = { 3, 0, 12, 105 };
   for (int n : { 4, 2 }) {   // the second game starts from nothing
      num_players = n;
      Play p;
      p.key = KEY_ESC;   // at a prompt, any key starts the turn
      p.on_pass = [&](int pass) {
         if (pass > 0) {
            // typed as the turn ends: one is read by play, the other dropped
            headless_queue_key(KEY_A);
            headless_queue_key(KEY_B);
            return;
         }
         for (int i = 0; i < points[cur_player]; i++)
            spam_hit();
         p.end_turn();
      };
      p.run();
      Ints order = { 0, 1, 2, 3 };
      order.resize(n);
      EXPECT_EQ(p.turns, order);
      EXPECT_EQ(p.passes, Ints(n, 2));
      EXPECT_EQ(p.tables, 1);
      EXPECT_EQ(num_players, n);
      EXPECT_EQ(differs(p.table, [&](BITMAP *ref) {
                   textout_ex(ref, font, "Player scores", 200, 300, 3, 0);
                   for (int i = 0; i < n; i++)
                      textprintf_ex(ref, font, 220, 310 + 10 * i, 3, 0, "Player %d: %d", i + 1, points[i]);
                }), 0) << n << " players";
      EXPECT_EQ(differs(p.prompt, [](BITMAP *ref) {
                   textout_ex(ref, font, "Press any key to start", 200, 300, 3, 0);
                }), 0);
   }
}

TEST_F(Game, EscDuringPlayAbandonsTheGameWithoutScores)
{
   num_players = 3;
   Play p;
   p.on_pass = [&](int pass) {
      if (cur_player == 1 && pass == 1)
         headless_queue_key(KEY_ESC);   // in the pass that finds the time up
      else
         p.end_turn();
   };
   p.run();
   EXPECT_EQ(p.turns, (Ints{ 0, 1 }));
   EXPECT_EQ(p.passes, (Ints{ 2, 2 }));
   EXPECT_EQ(p.tables, 0);
   EXPECT_EQ(num_players, -1);
}

TEST_F(Game, AHeldButtonFiresOnceAndNoBananaOutlivesItsTurn)
{
   num_players = 2;
   mouse_x = 401;
   Play p;
   Ints seen;
   // the button at each pass's tick; it is still held when each turn ends
   const Ints buttons[] = { { 1, 1, 0, 1, 1 }, { 1, 0, 1 } };
   p.on_pass = [&](int pass) {
      const Ints &b = buttons[cur_player];
      seen.push_back(flying_bananas());
      if (cur_player == 0 && pass == 1) {
         EXPECT_TRUE(banana_list && banana_list->x == 401 - 8 && banana_list->y == 570);
      }
      if (pass == static_cast<int>(b.size()))
         p.end_turn();
      if (pass >= static_cast<int>(b.size()))
         return;
      mouse_b = b[pass];
      game_timer();
   };
   p.run();
   EXPECT_EQ(seen, (Ints{ 0, 1, 1, 1, 2, 2, 2, 0, 0, 0, 1, 1 }));
}

TEST_F(Game, SpamComesAtEveryThirtiethTickOfATurn)
{
   num_players = 2;
   Play p;
   Ints seen;
   const int ticks[] = { 29, 1, 29, 1, 30 };
   p.on_pass = [&](int pass) {
      seen.push_back(live_spam());
      if (pass == 2) {
         EXPECT_EQ(spams[0].y, -16) << "moved in the tick that spawned it";
      }
      for (int i = 0; pass < 5 && i < ticks[pass]; i++)
         game_timer();
      if (pass == 5)
         p.end_turn();
   };
   p.run();
   EXPECT_EQ(seen, (Ints{ 0, 0, 1, 1, 2, 3, 3, 0, 0, 1, 1, 2, 3, 3 }));
}

TEST_F(Game, ATurnEndsWhenTheStopwatchPassesItsLengthOrHealthIsGone)
{
   const float seconds[] = { 30, 60, 120, 180, 300 };
   for (int limit = 0; limit < 5; limit++) {
      time_limit = limit;
      Play p;
      p.on_pass = [&](int pass) {
         if (pass == 0)
            fake_clock_now = p.turn_start + static_cast<std::int64_t>(seconds[limit]) * 1000000;
         fake_clock_now += pass == 1;
         game_timer();
      };
      p.run();
      EXPECT_EQ(time_left, seconds[limit]);
      EXPECT_EQ(p.passes, Ints{ 3 }) << limit;
   }

   Play p;
   p.on_pass = [&](int pass) {
      if (pass == 0) {
         health = 2;
         spams[0] = { 0, 599, true };
         spams[1] = { 40, 599, true };
      }
      game_timer();
   };
   p.run();
   EXPECT_EQ(p.passes, Ints{ 2 });
}

// the screen with nothing flying: background, turret, health bar, time left
void draw_scene(BITMAP *ref, int turret, int health, int seconds)
{
   blit(bg, ref, 0, 0, 0, 0, 800, 600);
   rectfill(ref, turret - 10, 580, turret + 10, 599, 5);
   rectfill(ref, 780, 0, 799, 102, 0);
   rectfill(ref, 781, 101 - 5 * (health < 0 ? 0 : health), 799, 101, 14);
   textprintf_ex(ref, font, 9, 10, 15, 0, "Time left %3d", seconds);
}

TEST_F(Game, FrameShowsTheTurretTheHealthBarAndTheTimeLeftWithoutTraces)
{
   const struct { int mouse, health; std::int64_t at; int seconds; } steps[] = {
      { 400, 20, 1, 29 }, { 0, 19, 1500000, 28 }, { 3, 7, 2500000, 27 },
      { 799, 1, 10000001, 19 }, { 796, -1, 30500000, 0 },
   };
   Play p;
   p.on_pass = [&](int pass) {
      if (pass == 0) {
         EXPECT_EQ(headless_diff(screen, bg), 0) << "the turn opens on the bare background";
      }
      if (pass > 0) {
         const auto &s = steps[pass - 1];
         EXPECT_EQ(differs(screen, [&](BITMAP *ref) { draw_scene(ref, s.mouse, s.health, s.seconds); }), 0)
            << "turret " << s.mouse << ", health " << s.health;
      }
      if (pass >= 5)
         return;
      mouse_x = steps[pass].mouse;
      health = steps[pass].health;
      fake_clock_now = p.turn_start + steps[pass].at;
      game_timer();
   };
   p.run();
   EXPECT_EQ(p.passes, Ints{ 6 });
}

TEST_F(Game, ColoursSwingFurtherAsHealthDropsAndEachTurnStartsInTheScenePalette)
{
   num_players = 2;
   PALETTE swung;
   std::memcpy(swung, game_palette, sizeof swung);
   std::memcpy(swung + 2, insane_palette + 2, 24 * sizeof(RGB));
   int installs = 0;
   Play p;
   p.on_pass = [&](int pass) {
      if (pass == 0) {
         EXPECT_EQ(std::memcmp(p.prompt_palette, game_palette, sizeof(PALETTE)), 0);
         installs = headless_installs;
         for (int i = 0; i < 18; i++)
            game_timer();
      }
      else if (pass == 1) {
         // at full health the colours stand still, and are not installed again
         EXPECT_EQ(headless_installs, installs);
         EXPECT_EQ(std::memcmp(headless_palette, game_palette, sizeof(PALETTE)), 0);
         health = 0;
         for (int i = 0; i < 72; i++)
            game_timer();
      }
      else {
         // no health, at tick 90: the whole way to the second palette
         EXPECT_EQ(std::memcmp(headless_palette, swung, sizeof(PALETTE)), 0);
      }
   };
   p.run();
   EXPECT_EQ(p.passes, (Ints{ 3, 3 }));
}

TEST(Pulse, SwingWidensAsHealthDropsAndStaysInRangeBelowZero)
{
   // ticks 18, 90: the sine's top, the lowest position; 54: its bottom
   const struct { int health, lowest; } table[] = {
      { 20, 64 }, { 19, 60 }, { 15, 48 }, { 10, 32 }, { 5, 16 }, { 1, 2 }, { 0, 0 }, { -1, 0 }, { -5, 0 },
   };
   for (const auto &row : table) {
      EXPECT_EQ(pulse_position(row.health, 18), row.lowest) << row.health;
      EXPECT_EQ(pulse_position(row.health, 90), row.lowest) << row.health;
      EXPECT_EQ(pulse_position(row.health, 54), 64) << row.health;
      if (row.health >= 0) {
         EXPECT_EQ(pulse_position(row.health, 0), 32 + row.lowest / 2) << row.health;
      }
   }
}

TEST_F(Game, SceneIsSkyCloudsAndSpeckledGroundWithAnEnvelopeAndABanana)
{
   Play p;
   p.on_pass = [&](int) {
      std::set<int> sky, ground;
      int lowest_cloud = -1;
      for (int y = 0; y < 600; y++)
         for (int x = 0; x < 800; x++) {
            int v = getpixel(bg, x, y);
            (y < 590 ? sky : ground).insert(v);
            lowest_cloud = v == 7 ? y : lowest_cloud;
         }
      EXPECT_EQ(sky, (std::set<int>{ 6, 7 }));
      EXPECT_EQ(ground, (std::set<int>{ 12, 13 }));
      EXPECT_LT(lowest_cloud, 210);

      ASSERT_TRUE(spam->w == 32 && spam->h == 16 && banana->w == 16 && banana->h == 16);
      // the envelope: body 3, outline and a V-shaped flap down to (15, 8) in 4
      std::set<int> body;
      for (int x = 0; x < 32; x++) {
         int flap = 0;
         for (int y = 0; y < 16; y++) {
            body.insert(getpixel(spam, x, y));
            flap += y > 0 && y < 15 && getpixel(spam, x, y) == 4;
         }
         if (x > 0 && x < 30) {
            EXPECT_EQ(flap, 1) << "column " << x;
         }
         EXPECT_TRUE(getpixel(spam, x, 0) == 4 && getpixel(spam, x, 15) == 4) << x;
      }
      EXPECT_EQ(body, (std::set<int>{ 3, 4 }));
      EXPECT_TRUE(getpixel(spam, 0, 8) == 4 && getpixel(spam, 31, 8) == 4 && getpixel(spam, 15, 8) == 4);

      // the banana: a filled yellow crescent on transparent
      int yellow = 0;
      for (int y = 0; y < 16; y++)
         for (int x = 0; x < 16; x++) {
            int v = getpixel(banana, x, y);
            ASSERT_TRUE(v == 0 || v == 2) << x << "," << y;
            yellow += v == 2;
         }
      EXPECT_GT(yellow, 40);
      for (auto at : { std::pair{ 7, 2 }, { 7, 5 }, { 14, 9 }, { 0, 9 } })
         EXPECT_EQ(getpixel(banana, at.first, at.second), 2) << at.first << "," << at.second;
      for (auto at : { std::pair{ 0, 0 }, { 15, 15 }, { 7, 1 }, { 7, 6 }, { 7, 12 } })
         EXPECT_EQ(getpixel(banana, at.first, at.second), 0) << at.first << "," << at.second;
      p.end_turn();
   };
   p.run();
}

TEST_F(Game, WithoutABackBufferNoTurnIsPlayed)
{
   static int sources;
   sources = 0;
   start_game_ticks = [] { sources++; };
   set_color_depth(12);   // no bitmap can be made at this depth
   Play failed;
   failed.run();
   set_color_depth(8);
   EXPECT_TRUE(failed.turns.empty() && failed.tables == 0 && sources == 0);
   Play p;
   p.run();
   EXPECT_TRUE(p.turns == Ints{ 0 } && p.tables == 1 && sources == 1);
}

} // namespace
