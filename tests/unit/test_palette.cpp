#include "game.h"
#include "headless.h"

#include <gtest/gtest.h>

// game_time 18 puts the sine at its top (lowest position), 54 at its bottom
TEST(Pulse, SwingWidensAsHealthDrops)
{
   const struct { int health, lowest; } table[] = {
      { 20, 64 }, { 19, 60 }, { 15, 48 }, { 10, 32 }, { 5, 16 }, { 1, 2 }, { 0, 0 },
   };
   for (const auto &row : table) {
      SCOPED_TRACE(row.health);
      int amplitude = (64 - row.lowest) / 2;
      EXPECT_EQ(pulse_position(row.health, 18), row.lowest);
      EXPECT_EQ(pulse_position(row.health, 0), 64 - amplitude);
      EXPECT_EQ(pulse_position(row.health, 54), 64);
      for (unsigned t = 0; t < 200; t++) {
         EXPECT_GE(pulse_position(row.health, t), row.lowest);
         EXPECT_LE(pulse_position(row.health, t), 64);
      }
   }
}

TEST(Pulse, ZeroHealthSwingsOverTheWholeRangeEvery72Ticks)
{
   for (unsigned t : { 18u, 90u, 162u })
      EXPECT_EQ(pulse_position(0, t), 0) << t;
   for (unsigned t : { 54u, 126u, 198u })
      EXPECT_EQ(pulse_position(0, t), 64) << t;
   for (unsigned t : { 0u, 72u, 144u, 216u })
      EXPECT_EQ(pulse_position(0, t), 32) << t;
}

TEST(Pulse, HealthBelowZeroStaysInTheBlendRange)
{
   for (int h : { -1, -2, -5 }) {
      EXPECT_EQ(pulse_position(h, 18), 0);
      EXPECT_EQ(pulse_position(h, 54), 64);
      for (unsigned t = 0; t < 144; t++) {
         EXPECT_GE(pulse_position(h, t), 0) << h << " at " << t;
         EXPECT_LE(pulse_position(h, t), 64) << h << " at " << t;
      }
   }
}

TEST(Palettes, SceneAndInsaneColours)
{
   const struct { int game[3], insane[3]; } table[16] = {
      { {  0,  0,  0 }, {  0,  0,  0 } }, { { 63, 63, 63 }, { 63, 63, 63 } },
      { { 63, 63,  0 }, { 25, 48, 34 } }, { { 63, 63, 63 }, { 57, 21,  8 } },
      { { 63,  0,  0 }, { 45, 15, 57 } }, { { 31, 31, 63 }, { 24, 15, 49 } },
      { {  0,  0, 63 }, { 15, 51, 27 } }, { { 60, 60, 60 }, { 49, 28, 19 } },
      { {  0,  0,  0 }, { 49, 24, 37 } }, { {  0,  0,  0 }, { 57, 12, 37 } },
      { {  0,  0,  0 }, { 45, 37, 34 } }, { {  0,  0,  0 }, { 48, 35, 63 } },
      { { 61, 53, 29 }, { 27, 43, 61 } }, { { 41, 31, 21 }, { 45, 37, 63 } },
      { { 31, 31, 63 }, { 31, 31, 63 } }, { { 63, 63, 63 }, { 63, 63, 63 } },
   };
   for (int i = 0; i < PAL_SIZE; i++) {
      SCOPED_TRACE(i);
      const int black[3] = { 0, 0, 0 };
      const int *g = i < 16 ? table[i].game : black;
      const int *n = i < 16 ? table[i].insane : black;
      EXPECT_EQ((std::vector<int>{ game_palette[i].r, game_palette[i].g, game_palette[i].b,
                                   game_palette[i].filler }),
                (std::vector<int>{ g[0], g[1], g[2], 0 }));
      EXPECT_EQ((std::vector<int>{ insane_palette[i].r, insane_palette[i].g, insane_palette[i].b,
                                   insane_palette[i].filler }),
                (std::vector<int>{ n[0], n[1], n[2], 0 }));
   }
}

// the frame installs entries 2..25: the scene's own colours at 64, the
// second palette's at 0, and the bar and clock, equal in both, at every step
TEST(Palettes, FrameBlendReachesBothEndsExactly)
{
   headless_data();
   headless_screen(true);
   BITMAP *buffer = create_bitmap(800, 600);
   ASSERT_TRUE(make_scene(buffer));
   for (int pos = 0; pos <= 64; pos++) {
      SCOPED_TRACE(pos);
      draw_frame(buffer, pos);
      for (int i = 2; i <= 25; i++) {
         const RGB &got = headless_palette[i];
         const RGB &a = insane_palette[i], &b = game_palette[i];
         EXPECT_EQ(got.r, (a.r * (64 - pos) + b.r * pos) / 64) << i;
         EXPECT_EQ(got.g, (a.g * (64 - pos) + b.g * pos) / 64) << i;
         EXPECT_EQ(got.b, (a.b * (64 - pos) + b.b * pos) / 64) << i;
         if (pos == 64 || i == 14 || i == 15) {
            EXPECT_TRUE(got.r == b.r && got.g == b.g && got.b == b.b) << i;
         }
         if (pos == 0) {
            EXPECT_TRUE(got.r == a.r && got.g == a.g && got.b == a.b) << i;
         }
      }
   }
   destroy_scene(buffer);
   headless_screen_done();
}
