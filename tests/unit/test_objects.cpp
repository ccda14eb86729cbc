#include "banana.h"
#include "dirty.h"
#include "game.h"
#include "headless.h"
#include "play_script.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class Objects : public ::testing::Test
{
protected:
   void SetUp() override
   {
      headless_screen();
      headless_stand_in_data();
      banana = create_bitmap(16, 16);
      spam = create_bitmap(32, 16);
      clear_to_color(banana, 2);
      clear_to_color(spam, 3);
      clear_bananas();
      init_spam();
      health = 20;
      cur_player = 0;
      std::memset(player_score, 0, sizeof player_score);
   }

   void TearDown() override
   {
      clear_bananas();
      destroy_bitmap(banana);
      destroy_bitmap(spam);
      banana = spam = nullptr;
   }

   static void put_spam(int slot, int x, int y) { spams[slot] = { x, y, true }; }

   static std::vector<BANANA *> list()
   {
      std::vector<BANANA *> v;
      for (BANANA *b = banana_list; b; b = b->next)
         v.push_back(b);
      return v;
   }
};

TEST_F(Objects, DeleteRelinksWhereverTheBananaStands)
{
   clear_bananas();
   EXPECT_EQ(banana_list, nullptr);

   BANANA *only = add_banana(1, 2);
   EXPECT_EQ(delete_banana(only), nullptr);
   EXPECT_EQ(banana_list, nullptr);

   BANANA *a = add_banana(1, 1), *b = add_banana(2, 2), *c = add_banana(3, 3), *d = add_banana(4, 4);
   EXPECT_EQ(list(), (std::vector<BANANA *>{ a, b, c, d }));
   EXPECT_EQ(delete_banana(d), nullptr);
   EXPECT_EQ(delete_banana(b), c);
   EXPECT_EQ(list(), (std::vector<BANANA *>{ a, c }));
   EXPECT_EQ(delete_banana(a), c);
   EXPECT_EQ(banana_list, c);
}

TEST_F(Objects, BananaRisesSpinsAndLeavesAboveTheScreen)
{
   srand(5);
   int r = rand();
   srand(5);
   BANANA *b = add_banana(100, 570);
   EXPECT_EQ(b->angle, r % 0xffffff);
   b->angle = itofix(100);
   process_bananas();
   EXPECT_EQ(b->angle, itofix(106));
   b->angle = itofix(254);
   process_bananas();
   EXPECT_EQ(b->angle, itofix(4));
   EXPECT_EQ(b->y, 558);
   for (int move = 3; move <= 97; move++)
      process_bananas();
   ASSERT_EQ(list(), std::vector<BANANA *>{ b });
   EXPECT_EQ(b->y, -12);
   process_bananas();
   EXPECT_EQ(banana_list, nullptr);

   // exactly at -h it stays one more tick
   add_banana(0, -10);
   process_bananas();
   ASSERT_NE(banana_list, nullptr);
   EXPECT_EQ(banana_list->y, -16);
   process_bananas();
   EXPECT_EQ(banana_list, nullptr);
}

TEST_F(Objects, AHitRemovesBothAndTheTickGoesOnWithTheNext)
{
   BANANA *a = add_banana(0, 300);
   add_banana(200, 300);
   BANANA *c = add_banana(400, 300);
   put_spam(0, 200, 280);
   process_bananas();
   EXPECT_EQ(list(), (std::vector<BANANA *>{ a, c }));
   EXPECT_EQ(a->y, 294);
   EXPECT_EQ(c->y, 294);
   EXPECT_FALSE(spams[0].alive);
   EXPECT_EQ(player_score[0], 1);
}

TEST_F(Objects, OlderBananaHitsFirstAndTheLowerSlotDies)
{
   // two bananas on one spam; the younger may only hit what is left
   cur_player = 2;
   add_banana(100, 306);
   BANANA *young = add_banana(104, 306);
   put_spam(0, 100, 290);
   process_bananas();
   EXPECT_EQ(list(), std::vector<BANANA *>{ young });
   EXPECT_EQ(player_score[2], 1);

   clear_bananas();
   add_banana(100, 306);
   add_banana(104, 306);
   put_spam(0, 100, 290);
   put_spam(1, 120, 310);   // touches the younger only
   process_bananas();
   EXPECT_EQ(banana_list, nullptr);
   EXPECT_FALSE(spams[0].alive);
   EXPECT_FALSE(spams[1].alive);
   EXPECT_EQ(player_score[2], 3);

   // one banana on two spams
   put_spam(0, 110, 300);
   put_spam(1, 90, 300);
   add_banana(100, 306);
   process_bananas();
   EXPECT_FALSE(spams[0].alive);
   EXPECT_TRUE(spams[1].alive);
}

TEST_F(Objects, TouchingEdgesHitAndAOnePixelGapMisses)
{
   const struct { int x, y; bool hit; } cases[] = {
      { 84, 100, true }, { 83, 100, false }, { 132, 100, true }, { 133, 100, false },
      { 100, 84, true }, { 100, 83, false }, { 100, 116, true }, { 100, 117, false },
      { 84, 84, true }, { 132, 116, true }, { 83, 84, false }, { 132, 117, false },
   };
   for (const auto &c : cases) {
      init_spam();
      put_spam(3, 100, 100);
      EXPECT_EQ(spam_collide(c.x, c.y), c.hit) << c.x << "," << c.y;
      EXPECT_EQ(spams[3].alive, !c.hit) << c.x << "," << c.y;
   }
}

TEST_F(Objects, SpamLandsPastTheBottomEdge)
{
   put_spam(0, 10, 598);
   process_spam();
   EXPECT_TRUE(spams[0].alive);
   EXPECT_EQ(spams[0].y, 600);
   EXPECT_EQ(health, 20);
   process_spam();
   EXPECT_FALSE(spams[0].alive);
   EXPECT_EQ(health, 19);

   put_spam(5, 10, 599);
   put_spam(9, 40, 600);
   process_spam();
   EXPECT_EQ(health, 17);
   EXPECT_EQ(live_spam(), 0);
}

TEST_F(Objects, NewSpamTakesTheLowestFreeSlotAboveTheScreen)
{
   for (int seed = 1; seed < 40; seed++) {
      srand(seed);
      int r = rand();
      init_spam();
      srand(seed);
      add_spam();
      ASSERT_TRUE(spams[0].alive);
      EXPECT_EQ(spams[0].x, r % 768);
      EXPECT_EQ(spams[0].y, -16);
   }
   for (int i = 1; i < 5; i++)
      add_spam();
   spams[1].alive = spams[3].alive = false;
   int x3 = spams[3].x;
   add_spam();
   EXPECT_TRUE(spams[1].alive);
   EXPECT_FALSE(spams[3].alive);

   init_spam();
   EXPECT_EQ(live_spam(), 0);
   EXPECT_EQ(spams[3].x, x3);
   EXPECT_EQ(spams[3].y, -16);
}

TEST_F(Objects, FullPoolTakesNothingAndDrawsNoNumber)
{
   for (int i = 0; i < MAX_SPAM; i++)
      put_spam(i, i, 2 * i);
   SPAM before[MAX_SPAM];
   std::memcpy(before, spams, sizeof before);
   srand(42);
   int next = rand();
   srand(42);
   add_spam();
   EXPECT_EQ(std::memcmp(before, spams, sizeof before), 0);
   EXPECT_EQ(rand(), next);
}

TEST_F(Objects, DrawnObjectsRegisterTheirBoxes)
{
   BITMAP *buffer = create_bitmap(800, 600);
   clear_bitmap(buffer);
   clear_dirty(buffer, nullptr);
   clear_dirty(buffer, nullptr);
   put_spam(4, 50, 60);
   put_spam(7, 790, 590);   // clipped at the corner
   spams[8] = { 300, 300, false };
   add_banana(200, 100)->angle = 0;
   draw_spam(buffer);
   draw_bananas(buffer);
   for (int y = 0; y < 600; y++)
      for (int x = 0; x < 800; x++) {
         int expected = (x >= 50 && x < 82 && y >= 60 && y < 76) || (x >= 790 && y >= 590) ? 3
                        : (x >= 200 && x < 216 && y >= 100 && y < 116) ? 2 : 0;
         ASSERT_EQ(getpixel(buffer, x, y), expected) << x << "," << y;
      }
   clear_dirty(buffer, nullptr);
   BITMAP *black = create_bitmap(800, 600);
   clear_bitmap(black);
   EXPECT_EQ(headless_diff(buffer, black), 0);
   destroy_bitmap(black);
   destroy_bitmap(buffer);
}

} // namespace
