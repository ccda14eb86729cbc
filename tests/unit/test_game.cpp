#include "banana.h"
#include "data.h"
#include "game.h"
#include "headless.h"
#include "main.h"
#include "spam.h"
#include "window.h"

#include <gtest/gtest.h>

#include <algorithm>
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
      EXPECT_TRUE(p.passes == Ints(p.turns.size(), 2) && p.tables == (n != 3));
      EXPECT_EQ(num_players, n == 3 ? -1 : n);
      auto prompt = [](BITMAP *r) { textout_ex(r, font, "Press any key to start", 200, 300, 3, 0); };
      EXPECT_EQ(differs(p.prompt, prompt), 0);
      if (p.table) {   // the abandoned game has none: p.tables above
         EXPECT_EQ(differs(p.table, [&](BITMAP *ref) {
            textout_ex(ref, font, "Player scores", 200, 300, 3, 0);
            for (int i = 0; i < n; i++)
               textprintf_ex(ref, font, 220, 310 + 10 * i, 3, 0, "Player %d: %d", i + 1, points[i]);
         }), 0) << n << " players";
      }
   }
}

TEST_F(Game, EveryPressFiresOnceHoweverShortNoneHeldFromBeforeATurnAndNoBananaOutlivesIt)
{
   num_players = 2;
   Play p;
   Ints seen, heard;
   // at each pass's tick: 0 up, 1 down, 2 a tap between two ticks; held from before the game
   // (as by the tap that answers the prompt) and as each turn ends
   const Ints buttons[] = { { 1, 0, 1, 1, 0, 2, 2, 1 }, { 1, 0, 2 } };
   headless_press(401, 300);
   headless_voices.clear();
   p.on_pass = [&](int pass) {
      int last = static_cast<int>(buttons[cur_player].size()), n = 0;
      for (BANANA *b = banana_list; b; b = b->next)
         n++;
      seen.push_back(n);
      heard.push_back(static_cast<int>(headless_voices.size()));
      if (cur_player == 0 && pass == 3) {
         EXPECT_TRUE(banana_list && banana_list->x == 401 - 8 && banana_list->y == 570);
      }
      int b = pass < last ? buttons[cur_player][pass] : -1;
      if (b > 0 && !(mouse_b & 1))
         headless_press(401, 300, b == 2);
      if (b >= 0)
         mouse_b = b & 1, game_timer();
      if (pass == last)
         p.end_turn();
   };
   p.run();
   EXPECT_EQ(seen, (Ints{ 0, 0, 0, 1, 1, 1, 2, 3, 4, 4, 0, 0, 0, 1, 1 }));
   EXPECT_EQ(heard, (Ints{ 0, 0, 0, 1, 1, 1, 2, 3, 4, 4, 4, 4, 4, 5, 5 }));   // a shot's sound with it
   std::set<int> pitches;   // at full volume, centred, at 900 to 1099 thousandths of the pitch, not all one
   for (const Voice &v : headless_voices)
      EXPECT_TRUE(v == voice_of(FIRE_SAMPLE, v.freq) && v.freq >= 19845 && v.freq <= 24232) << v.freq;
   for (const Voice &v : headless_voices)
      pitches.insert(v.freq);
   EXPECT_GT(pitches.size(), 1u);
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
      EXPECT_EQ(getpixel(spam, 16, 12), 3);   // the envelope's face, below its flap
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

TEST_F(Game, AwayTheTurnStandsStillTillAPressOrKeyOnceBackWhichFiresNothing)
{
   num_players = 2;
   Play p;
   double before = 0;
   int spam_y = 0;
   // by pass: 0 thirty-one ticks (a spam); 1 away; 2 ten seconds and 600 ticks go by; 3 back;
   // 4 away, and a click on the window; 5 back, where that click goes on; 6 a tick, a second; 7 away;
   // 8 back, Esc
   p.on_pass = [&](int pass) {
      for (int i = 0; i < (pass ? pass == 6 : 31); i++)
         game_timer();
      spam_y = pass == 1 ? spams[0].y : spam_y;
      before = pass == 1 ? timer.GetStopwatchTimeSec() : before;
      if (pass == 6) {   // where it stood: no tick, no time gone by; and then it goes on
         EXPECT_DOUBLE_EQ(timer.GetStopwatchTimeSec(), before);
         EXPECT_TRUE(spams[0].alive && spams[0].y == spam_y);
         fake_clock_now += 1000000;
      }
      EXPECT_TRUE(pass != 7 || timer.GetStopwatchTimeSec() == before + 1);
      EXPECT_TRUE(banana_list == nullptr && headless_voices.empty());   // the click fired nothing
      window_away = pass == 1 || pass == 2 || pass == 4 || pass == 7;
      for (int i = 0; i < (pass == 2 ? 600 : 0); i++)
         game_timer();
      fake_clock_now += pass == 2 ? 10000000 : 0;
      if (pass == 4 || pass == 8)
         pass == 4 ? headless_press(401, 300, true) : headless_queue_key(KEY_ESC);
   };
   headless_voices.clear();
   p.run();
   EXPECT_EQ(num_players, -1);
   EXPECT_EQ(p.passes, (Ints{ 9 }));
}

} // namespace
