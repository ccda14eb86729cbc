#include "banana.h"
#include "data.h"
#include "game.h"
#include "headless.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Bananas = std::vector<BANANA *>;

Bananas flying()
{
   Bananas v;
   for (BANANA *b = banana_list; b; b = b->next)
      v.push_back(b);
   return v;
}

int live_spam() { return std::count_if(spams, spams + MAX_SPAM, [](const SPAM &s) { return s.alive; }); }

// sprites of the game's sizes, nothing in play, full health, no points
void fresh_objects()
{
   headless_screen();
   headless_data();
   static BITMAP *sprites[2] = { create_bitmap(16, 16), create_bitmap(32, 16) };
   banana = sprites[0];
   spam = sprites[1];
   clear_bananas();
   init_spam();
   health = 20;
   cur_player = player_score[0] = player_score[2] = 0;
}

TEST(Objects, BananasFlyInFiringOrderRiseSpinAndLeaveOnlyWhollyAboveTheScreen)
{
   fresh_objects();
   BANANA *a = add_banana(1, 1), *b = add_banana(2, 2), *c = add_banana(3, 3), *d = add_banana(4, 4);
   EXPECT_EQ(flying(), (Bananas{ a, b, c, d }));
   EXPECT_TRUE(delete_banana(d) == nullptr && delete_banana(b) == c);
   EXPECT_TRUE(delete_banana(a) == c && delete_banana(c) == nullptr);
   b = add_banana(100, 572);
   EXPECT_EQ(banana_list, b);
   b->angle = itofix(254);
   process_bananas();
   EXPECT_TRUE(b->angle == itofix(4) && b->y == 566);
   for (int tick = 0; tick < 200 && b->y > -16; tick++)
      process_bananas();
   EXPECT_EQ(flying(), Bananas{ b });   // at -16 it stays one more tick
   process_bananas();
   EXPECT_EQ(banana_list, nullptr);
}

TEST(Objects, BananaBoxTouchingTheSpamBoxHitsAndAGapOfAPixelMisses)
{
   fresh_objects();
   const struct { int x, y; bool hit; } cases[] = {
      { 84, 100, true }, { 83, 100, false }, { 132, 100, true }, { 133, 100, false },
      { 100, 84, true }, { 100, 83, false }, { 100, 116, true }, { 100, 117, false },
   };
   for (const auto &c : cases) {
      spams[3] = { 100, 100, true };
      EXPECT_TRUE(spam_collide(c.x, c.y) == c.hit && spams[3].alive == !c.hit) << c.x << "," << c.y;
   }
   cur_player = 2;   // a hit takes both away, scores for the player whose turn it is and sounds
   headless_voices.clear();
   add_banana(100, 122);
   process_bananas();
   EXPECT_TRUE(banana_list == nullptr && !spams[3].alive && player_score[2] == 1 && player_score[0] == 0);
   for (int i = 0; i < 59; i++, process_bananas())   // one of three sounds, each of them now and then
      spams[3] = { 100, 100, true }, add_banana(100, 122);
   for (int hit : { HIT1_SAMPLE, HIT2_SAMPLE, HIT3_SAMPLE })
      EXPECT_GT(std::count(headless_voices.begin(), headless_voices.end(), voice_of(hit)), 5) << hit;
   EXPECT_EQ(headless_voices.size(), 60u);
}

TEST(Objects, SpamEntersAboveTheScreenInTheFirstFreeSlotFallsAndLandsPastTheBottom)
{
   fresh_objects();
   int rightmost = 0;   // wholly on the screen, anywhere across it
   for (int i = 0; i < 400; i++, init_spam()) {
      add_spam();
      ASSERT_TRUE(spams[0].x >= 0 && spams[0].x + 32 <= 800 && spams[0].y == -16) << spams[0].x;
      rightmost = std::max(rightmost, spams[0].x);
   }
   for (int i = 0; i < 5; i++)
      add_spam();
   EXPECT_TRUE(live_spam() == 5 && rightmost > 740);
   spams[1].alive = spams[3].alive = false;
   add_spam();
   EXPECT_TRUE(spams[1].alive && !spams[3].alive);

   init_spam();
   spams[0] = { 10, 598, true };
   spams[5] = { 10, 599, true };
   process_spam();
   EXPECT_TRUE(spams[0].y == 600 && health == 19);
   process_spam();
   EXPECT_TRUE(health == 18 && live_spam() == 0);
}

} // namespace
