#include "banana.h"
#include "dirty.h"
#include "game.h"
#include "headless.h"
#include "play.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Bananas = std::vector<BANANA *>;

class Objects : public ::testing::Test
{
protected:
   void SetUp() override
   {
      headless_screen();
      headless_data();
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

   static Bananas list()
   {
      Bananas v;
      for (BANANA *b = banana_list; b; b = b->next)
         v.push_back(b);
      return v;
   }
};

TEST_F(Objects, BananasStayInFiringOrderWhereverOneIsDeleted)
{
   BANANA *only = add_banana(1, 2);
   EXPECT_EQ(delete_banana(only), nullptr);
   EXPECT_EQ(banana_list, nullptr);

   BANANA *a = add_banana(1, 1), *b = add_banana(2, 2), *c = add_banana(3, 3), *d = add_banana(4, 4);
   EXPECT_EQ(list(), (Bananas{ a, b, c, d }));
   EXPECT_EQ(delete_banana(d), nullptr);
   EXPECT_EQ(delete_banana(b), c);
   EXPECT_EQ(delete_banana(a), c);
   EXPECT_EQ(list(), Bananas{ c });
}

TEST_F(Objects, BananaRisesSpinsAndLeavesOnlyWhollyAboveTheScreen)
{
   srand(5);
   int r = rand();
   srand(5);
   BANANA *b = add_banana(100, 572);
   EXPECT_EQ(b->angle, r % 0xffffff);
   b->angle = itofix(254);
   process_bananas();
   EXPECT_EQ(b->angle, itofix(4));
   EXPECT_EQ(b->y, 566);
   while (b->y > -16)
      process_bananas();
   ASSERT_EQ(list(), Bananas{ b });   // exactly at -16 it stays one more tick
   process_bananas();
   EXPECT_EQ(banana_list, nullptr);
}

TEST_F(Objects, OldestBananaHitsFirstTheLowestSlotItTouchesAndTheTickGoesOn)
{
   cur_player = 2;
   BANANA *a = add_banana(0, 300);
   add_banana(100, 306);   // touches slot 0 only
   add_banana(104, 306);   // touches slots 0 and 1: only 1 is left for it
   add_banana(400, 306);   // touches slots 4 and 5
   spams[0] = { 100, 300, true };
   spams[1] = { 120, 300, true };
   spams[4] = { 390, 300, true };
   spams[5] = { 410, 300, true };
   process_bananas();
   EXPECT_EQ(list(), Bananas{ a });
   EXPECT_EQ(a->y, 294);
   EXPECT_EQ(live_spam(), 1);
   EXPECT_TRUE(spams[5].alive);
   EXPECT_EQ(player_score[2], 3);
   EXPECT_EQ(player_score[0], 0);
}

TEST_F(Objects, BananaBoxTouchingTheSpamBoxHitsAndAGapOfAPixelMisses)
{
   const struct { int x, y; bool hit; } cases[] = {
      { 84, 100, true }, { 83, 100, false }, { 132, 100, true }, { 133, 100, false },
      { 100, 84, true }, { 100, 83, false }, { 100, 116, true }, { 100, 117, false },
   };
   for (const auto &c : cases) {
      init_spam();
      spams[3] = { 100, 100, true };
      EXPECT_EQ(spam_collide(c.x, c.y), c.hit) << c.x << "," << c.y;
      EXPECT_EQ(spams[3].alive, !c.hit) << c.x << "," << c.y;
   }
}

TEST_F(Objects, SpamEntersAboveTheScreenInTheFirstFreeSlotAndLandsPastTheBottom)
{
   for (int seed = 1; seed < 20; seed++) {
      srand(seed);
      int r = rand();
      srand(seed);
      init_spam();
      add_spam();
      EXPECT_TRUE(spams[0].alive && spams[0].x == r % 768 && spams[0].y == -16) << seed;
   }
   for (int i = 1; i < 5; i++)
      add_spam();
   spams[1].alive = spams[3].alive = false;
   add_spam();
   EXPECT_TRUE(spams[1].alive);
   EXPECT_FALSE(spams[3].alive);

   init_spam();
   spams[0] = { 10, 598, true };
   spams[5] = { 10, 599, true };
   process_spam();
   EXPECT_EQ(spams[0].y, 600);
   EXPECT_EQ(health, 19);
   process_spam();
   EXPECT_EQ(health, 18);
   EXPECT_EQ(live_spam(), 0);

   for (SPAM &s : spams)
      s = { 1, 2, true };
   SPAM before[MAX_SPAM];
   std::memcpy(before, spams, sizeof before);
   srand(42);
   int next = rand();
   srand(42);
   add_spam();   // a full pool takes nothing and draws no number
   EXPECT_EQ(std::memcmp(before, spams, sizeof before), 0);
   EXPECT_EQ(rand(), next);
}

TEST_F(Objects, DrawnObjectsRegisterTheirBoxes)
{
   BITMAP *buffer = create_bitmap(800, 600);
   clear_dirty(buffer, nullptr);
   clear_dirty(buffer, nullptr);
   clear_bitmap(buffer);
   spams[4] = { 50, 60, true };
   spams[7] = { 790, 590, true };   // clipped at the corner
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
   EXPECT_EQ(headless_diff(buffer, screen), 0);   // the screen is black
   destroy_bitmap(buffer);
}

} // namespace
