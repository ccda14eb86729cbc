#include "banana.h"
#include "fake_clock.h"
#include "game.h"
#include "headless.h"
#include "main.h"
#include "play_script.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class Game : public ::testing::Test
{
protected:
   void SetUp() override { play_setup(); }
   void TearDown() override { clear_bananas(); }
};

using Ints = std::vector<int>;

TEST_F(Game, EveryPlayerHasOneTurnInOrderAlsoAfterAnAbort)
{
   const Ints all = { 0, 1, 2, 3 };
   for (int n : { 1, 4, 3 }) {
      num_players = n;
      PlayScript s;
      s.prompt_key = n == 4 ? KEY_ESC : KEY_A;   // any key starts a turn
      s.run();
      EXPECT_EQ(s.turns, Ints(all.begin(), all.begin() + n));
      EXPECT_EQ(s.score_tables, 1);
      EXPECT_EQ(num_players, n);
   }

   // Esc in the pass that found the time up still abandons the game
   num_players = 3;
   PlayScript aborted;
   aborted.on_pass = [&](int pass) {
      if (cur_player == 1 && pass == 1)
         headless_queue_key(KEY_ESC);
      else
         aborted.end_turn();
   };
   aborted.run();
   EXPECT_EQ(aborted.turns, (Ints{ 0, 1 }));
   EXPECT_EQ(aborted.passes, (Ints{ 2, 2 }));
   EXPECT_EQ(aborted.score_tables, 0);
   EXPECT_EQ(num_players, -1);

   num_players = 2;
   PlayScript next;
   next.run();
   EXPECT_EQ(next.turns, (Ints{ 0, 1 }));
   EXPECT_EQ(next.score_tables, 1);
}

TEST_F(Game, OtherKeysAreConsumedOnePerPass)
{
   PlayScript s;
   Ints waiting, fallen;
   s.on_pass = [&](int pass) {
      waiting.push_back(headless_queued_keys());
      // a spam falling 2 pixels a tick, one tick a pass, tells the passes apart
      fallen.push_back(spams[0].y);
      if (pass == 0) {
         spams[0] = { 0, 0, true };
         headless_queue_key(KEY_A);
         headless_queue_key(KEY_SPACE);
         headless_queue_key(KEY_ESC);
      }
      game_timer();
   };
   s.run();
   EXPECT_EQ(waiting, (Ints{ 0, 2, 1 }));
   EXPECT_EQ(std::vector<int>(fallen.begin() + 1, fallen.end()), (Ints{ 2, 4 }));
   EXPECT_EQ(num_players, -1);
}

TEST_F(Game, HeldButtonFiresOnceUntilATickSeesItReleased)
{
   num_players = 2;
   mouse_x = 401;
   PlayScript s;
   Ints seen;
   // per pass: the button, ticks to run, and whether the turn ends
   const struct { int b, ticks; bool end; } turn0[] = {
      { 1, 3, false }, { 0, 0, false }, { 1, 1, false }, { 0, 1, false }, { 1, 1, false }, { 1, 0, true },
   }, turn1[] = { { 1, 1, false }, { 0, 1, false }, { 1, 1, false }, { 1, 0, true } };
   s.on_pass = [&](int pass) {
      seen.push_back(flying_bananas());
      if (pass >= (cur_player == 0 ? 6 : 4))
         return;   // the pass that ended the turn
      const auto &step = cur_player == 0 ? turn0[pass] : turn1[pass];
      mouse_b = step.b;
      for (int i = 0; i < step.ticks; i++)
         game_timer();
      if (step.end)
         s.end_turn();
      if (cur_player == 0 && pass == 1) {
         ASSERT_NE(banana_list, nullptr);
         EXPECT_EQ(banana_list->x, 401 - 8);
         EXPECT_EQ(banana_list->y, 570 - 2 * 6);
      }
   };
   s.run();
   // no banana outlives its turn; the button held over the turn's end does
   // not fire at the next start
   EXPECT_EQ(seen, (Ints{ 0, 1, 1, 1, 1, 2, 2, 0, 0, 0, 1, 1 }));
}

TEST_F(Game, SpamComesEveryThirtiethTickOfEachTurn)
{
   num_players = 2;
   PlayScript s;
   Ints seen;
   const int ticks[] = { 29, 1, 29, 1, 30 };
   s.on_pass = [&](int pass) {
      seen.push_back(live_spam());
      if (pass == 2) {
         EXPECT_EQ(spams[0].y, -16) << "moved in the tick that spawned it";
      }
      for (int i = 0; pass < 5 && i < ticks[pass]; i++)
         game_timer();
      if (pass == 5)
         s.end_turn();
   };
   s.run();
   EXPECT_EQ(seen, (Ints{ 0, 0, 1, 1, 2, 3, 3, 0, 0, 1, 1, 2, 3, 3 }));
}

TEST_F(Game, TwoSpamLostInOnePassEndTheTurnBelowZero)
{
   PlayScript s;
   int after = 0;
   s.on_pass = [&](int pass) {
      if (pass == 0) {
         health = 1;
         // spawned at ticks 30 and 60, they land at ticks 339 and 369
         for (int i = 0; i < 369; i++)
            game_timer();
      }
      else {
         after = health;
      }
   };
   s.run();
   EXPECT_EQ(after, -1);
   EXPECT_EQ(s.passes, Ints{ 2 });
   EXPECT_EQ(s.score_tables, 1);
}

TEST_F(Game, TimeIsUpOnlyWhenTheStopwatchPassesTheTurnLength)
{
   const float seconds[] = { 30, 60, 120, 180, 300 };
   for (int limit = 0; limit < 5; limit++) {
      time_limit = limit;
      PlayScript s;
      s.on_pass = [&](int pass) {
         if (pass == 0)
            fake_clock_now = s.turn_start + static_cast<std::int64_t>(seconds[limit]) * 1000000;
         if (pass == 1)
            fake_clock_now++;
         game_timer();
      };
      s.run();
      EXPECT_EQ(time_left, seconds[limit]);
      EXPECT_EQ(s.passes, Ints{ 3 }) << limit;
   }
}

TEST_F(Game, ScoreTableListsEachPlayerAndANewGameStartsFromZero)
{
   const Ints points = { 3, 0, 12, 105 };
   for (int n : { 4, 2 }) {
      num_players = n;
      PlayScript s;
      s.on_pass = [&](int pass) {
         if (cur_player == 0 && pass == 0) {
            EXPECT_EQ(std::count(player_score, player_score + 4, 0), 4);
         }
         for (int i = 0; pass == 0 && i < points[cur_player]; i++)
            spam_hit();
         s.end_turn();
      };
      s.run();

      BITMAP *ref = create_bitmap(800, 600);
      clear_bitmap(ref);
      textout_ex(ref, font, "Player scores", 200, 300, 3, 0);
      for (int i = 0; i < n; i++)
         textprintf_ex(ref, font, 220, 310 + 10 * i, 3, 0, "Player %d: %d", i + 1, points[i]);
      EXPECT_EQ(headless_diff(s.score_shot, ref), 0) << n << " players";

      clear_bitmap(ref);
      textout_ex(ref, font, "Press any key to start", 200, 300, 3, 0);
      EXPECT_EQ(headless_diff(s.prompt_shot, ref), 0);
      destroy_bitmap(ref);
   }
}

TEST_F(Game, FrameInstallsTheBlendOfItsLastTickAndEachTurnStartsInTheGamePalette)
{
   num_players = 2;
   PlayScript s;
   int vsyncs = 0, prompts_in_game_palette = 0;
   PALETTE expected;
   s.on_prompt = [&] {
      prompts_in_game_palette += std::memcmp(headless_palette, game_palette, sizeof(PALETTE)) == 0;
      vsyncs = headless_vsyncs;
   };
   s.on_pass = [&](int pass) {
      if (pass == 0) {
         EXPECT_EQ(headless_vsyncs, vsyncs) << "a pass without a tick draws no frame";
         // health 1 for the first tick, 0 from the second, when this spam lands
         health = 1;
         spams[0] = { 100, 598, true };
         for (int i = 0; i < 18; i++)
            game_timer();
         return;
      }
      EXPECT_EQ(headless_vsyncs, vsyncs + 1);
      // health 0 at the sine's top: the whole way to the second palette
      ASSERT_EQ(pulse_position(0, 18), 0);
      std::memcpy(expected, game_palette, sizeof(PALETTE));
      std::memcpy(expected + 2, insane_palette + 2, 24 * sizeof(RGB));
      EXPECT_EQ(std::memcmp(headless_palette, expected, sizeof(PALETTE)), 0);
   };
   s.run();
   EXPECT_EQ(s.passes, (Ints{ 2, 2 }));
   EXPECT_EQ(prompts_in_game_palette, 2);
}

int tick_sources = 0;

TEST_F(Game, WithoutABackBufferNoTurnIsPlayed)
{
   start_game_ticks = [] { tick_sources++; };
   clear_to_color(screen, 9);
   set_color_depth(12);   // no bitmap can be made at this depth
   PlayScript failed;
   failed.run();
   set_color_depth(8);
   EXPECT_TRUE(failed.turns.empty());
   EXPECT_EQ(failed.score_tables, 0);
   EXPECT_EQ(tick_sources, 0);
   BITMAP *black = create_bitmap(800, 600);
   clear_bitmap(black);
   EXPECT_EQ(headless_diff(screen, black), 0);
   destroy_bitmap(black);

   PlayScript s;
   s.run();
   EXPECT_EQ(s.turns, Ints{ 0 });
   EXPECT_EQ(tick_sources, 1);
}

} // namespace
