#include "banana.h"
#include "fake_clock.h"
#include "game.h"
#include "headless.h"
#include "main.h"
#include "play_script.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

TEST(Crosshair, RingAndFourTicksInColourOne)
{
   headless_init();
   BITMAP *c = make_crosshair();
   ASSERT_NE(c, nullptr);
   ASSERT_EQ(c->w, 16);
   ASSERT_EQ(c->h, 16);
   // on the axes: the ticks, which the ring crosses at 1 and 13; the centre empty
   for (int at = 0; at < 15; at++) {
      int tick = at < 3 || at > 11;
      EXPECT_EQ(getpixel(c, at, 7), tick) << at;
      EXPECT_EQ(getpixel(c, 7, at), tick) << at;
   }
   int lit = 0;
   for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) {
         int v = getpixel(c, x, y);
         ASSERT_TRUE(v == 0 || v == 1) << x << "," << y;
         lit += v;
         if (x == 15 || y == 15) {
            EXPECT_EQ(v, 0) << x << "," << y;
         }
         if (x < 15 && y < 15) {
            EXPECT_EQ(v, getpixel(c, 14 - x, y)) << x << "," << y;
            EXPECT_EQ(v, getpixel(c, x, 14 - y)) << x << "," << y;
         }
         // off the axes, only the ring: about six pixels from the centre
         if (x != 7 && y != 7 && v) {
            EXPECT_NEAR(std::hypot(x - 7, y - 7), 6.0, 0.8) << x << "," << y;
         }
      }
   EXPECT_GT(lit, 12 + 24);
   destroy_bitmap(c);
}

class Scene : public ::testing::Test
{
protected:
   void SetUp() override { play_setup(); }
   void TearDown() override { clear_bananas(); }
};

TEST_F(Scene, SkyCloudsGroundEnvelopeAndBanana)
{
   PlayScript s;
   s.on_pass = [&](int pass) {
      if (pass > 0)
         return s.end_turn();
      // the turn opens on the bare background
      EXPECT_EQ(headless_diff(screen, bg), 0);
      std::set<int> sky, ground;
      int lowest_cloud = -1;
      for (int y = 0; y < 600; y++)
         for (int x = 0; x < 800; x++) {
            int v = getpixel(bg, x, y);
            (y < 590 ? sky : ground).insert(v);
            if (v == 7)
               lowest_cloud = y;
         }
      EXPECT_EQ(sky, (std::set<int>{ 6, 7 }));
      EXPECT_EQ(ground, (std::set<int>{ 12, 13 }));
      EXPECT_LT(lowest_cloud, 210);

      ASSERT_EQ(spam->w, 32);
      ASSERT_EQ(spam->h, 16);
      for (int x = 0; x < 32; x++) {
         int flap = 0;
         for (int y = 0; y < 16; y++) {
            int v = getpixel(spam, x, y);
            if (x == 0 || x == 31 || y == 0 || y == 15) {
               EXPECT_EQ(v, 4) << x << "," << y;
               continue;
            }
            ASSERT_TRUE(v == 3 || v == 4) << x << "," << y;
            if (v == 4) {
               flap++;
               // on the V from the top corners down to (15, 8)
               double line = x <= 15 ? x * 8.0 / 15 : (31 - x) * 8.0 / 16;
               EXPECT_LE(std::fabs(y - line), 0.5) << x << "," << y;
            }
         }
         // one flap pixel per column; the arm's last step may lie on the edge
         if (x > 0 && x < 30) {
            EXPECT_EQ(flap, 1) << "column " << x;
         }
         EXPECT_LE(flap, 1) << "column " << x;
      }
      EXPECT_EQ(getpixel(spam, 15, 8), 4);
      EXPECT_EQ(getpixel(spam, 15, 9), 3);

      ASSERT_EQ(banana->w, 16);
      ASSERT_EQ(banana->h, 16);
      int yellow = 0;
      for (int y = 0; y < 16; y++)
         for (int x = 0; x < 16; x++) {
            int v = getpixel(banana, x, y);
            ASSERT_TRUE(v == 0 || v == 2) << x << "," << y;
            yellow += v == 2;
         }
      for (auto p : { std::pair{ 7, 2 }, { 7, 3 }, { 7, 4 }, { 7, 5 }, { 14, 9 } })
         EXPECT_EQ(getpixel(banana, p.first, p.second), 2) << p.first << "," << p.second;
      for (auto p : { std::pair{ 0, 0 }, { 15, 0 }, { 0, 15 }, { 15, 15 }, { 7, 1 }, { 7, 6 }, { 7, 12 } })
         EXPECT_EQ(getpixel(banana, p.first, p.second), 0) << p.first << "," << p.second;
      EXPECT_GT(yellow, 40);   // filled, not just two arcs
   };
   s.run();
}

// what the screen should hold with nothing flying
BITMAP *expected_scene(int turret, int shown_health, int seconds)
{
   BITMAP *ref = create_bitmap(800, 600);
   blit(bg, ref, 0, 0, 0, 0, 800, 600);
   rectfill(ref, turret - 10, 580, turret + 10, 599, 5);
   rectfill(ref, 780, 0, 799, 102, 0);
   rectfill(ref, 781, 101 - 5 * shown_health, 799, 101, 14);
   textprintf_ex(ref, font, 9, 10, 15, 0, "Time left %3d", seconds);
   return ref;
}

int screen_differs_from_scene(int turret, int shown_health, int seconds)
{
   BITMAP *ref = expected_scene(turret, shown_health, seconds);
   int d = headless_diff(screen, ref);
   destroy_bitmap(ref);
   return d;
}

TEST_F(Scene, TurretMovedToTheEdgesLeavesNoTrace)
{
   const int xs[] = { 400, 0, 3, 799, 796, 10, 400 };
   PlayScript s;
   s.on_pass = [&](int pass) {
      if (pass > 0 && pass <= 7) {
         EXPECT_EQ(screen_differs_from_scene(xs[pass - 1], 20, 30), 0) << "turret at " << xs[pass - 1];
      }
      if (pass >= 7)
         return s.end_turn();
      mouse_x = xs[pass];
      game_timer();
   };
   s.run();
}

TEST_F(Scene, HealthBarShowsHealthAndNothingBelowZero)
{
   const int healths[] = { 20, 1, 0, -1 };
   num_players = 4;
   PlayScript s;
   s.on_pass = [&](int pass) {
      int h = healths[cur_player];
      if (pass == 0) {
         health = h;
         game_timer();
         return;
      }
      BITMAP *ref = expected_scene(400, h < 0 ? 0 : h, 30);
      EXPECT_EQ(headless_diff(screen, ref, 780, 0, 20, 104), 0) << h << " health";
      destroy_bitmap(ref);
      if (h > 0)
         s.end_turn();
   };
   s.run();
   EXPECT_EQ(s.passes, (std::vector<int>{ 3, 3, 2, 2 }));
}

TEST_F(Scene, TimeLeftIsTruncatedTowardZero)
{
   PlayScript s;
   s.on_pass = [&](int pass) {
      if (pass > 0) {
         EXPECT_EQ(screen_differs_from_scene(400, 20, pass == 1 ? 29 : 0), 0) << pass;
      }
      // a hair into the turn, then half a second past its end
      fake_clock_now = s.turn_start + (pass == 0 ? 1 : 30500000);
      game_timer();
   };
   s.run();
   EXPECT_EQ(s.passes, std::vector<int>{ 3 });
}

} // namespace
