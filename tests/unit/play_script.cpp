#include "play_script.h"

#include "banana.h"
#include "fake_clock.h"
#include "game.h"
#include "headless.h"
#include "main.h"
#include "spam.h"

#include <gtest/gtest.h>

static BITMAP *snapshot(BITMAP *old)
{
   if (!old)
      old = create_bitmap(800, 600);
   blit(screen, old, 0, 0, 0, 0, 800, 600);
   return old;
}

PlayScript::~PlayScript()
{
   if (prompt_shot)
      destroy_bitmap(prompt_shot);
   if (score_shot)
      destroy_bitmap(score_shot);
}

void PlayScript::end_turn()
{
   fake_clock_now = turn_start + static_cast<std::int64_t>(time_left) * fake_clock_frequency + 1;
   game_timer();
}

void PlayScript::run()
{
   // the first keypressed() of a prompt or the table empties the buffer, the
   // second is readkey() waiting; a turn's passes last until cur_player moves
   enum Phase { PROMPT, PLAY, SCORES } phase = PROMPT;
   int calls = 0, player = -1;
   headless_set_poll([&] {
      if (phase == PLAY && cur_player != player) {
         phase = cur_player < num_players ? PROMPT : SCORES;
         calls = 0;
      }
      calls++;
      if (phase == PLAY) {
         int pass = passes.back()++;
         if (pass > 5000 || turns.size() > 8) {
            ADD_FAILURE() << "the game never ends";
            headless_queue_key(KEY_ESC);
         }
         else if (on_pass) {
            on_pass(pass);
         }
         else if (pass == 0) {
            end_turn();
         }
      }
      else if (calls == 2 && phase == PROMPT) {
         prompt_shot = snapshot(prompt_shot);
         turns.push_back(player = cur_player);
         turn_start = fake_clock_now;
         if (on_prompt)
            on_prompt();
         headless_queue_key(prompt_key);
         phase = PLAY;
         passes.push_back(0);
      }
      else if (calls == 2) {
         score_shot = snapshot(score_shot);
         score_tables++;
         headless_queue_key(KEY_SPACE);
      }
   });
   play_game();
   headless_set_poll(nullptr);
   headless_clear_keys();
}

static void no_ticks() {}

void play_setup()
{
   headless_screen(true);
   headless_stand_in_data();
   headless_clear_keys();
   fake_clock_frequency = 1000000;
   fake_clock_now = 0;
   Timer::Intialize();
   start_game_ticks = no_ticks;
   mouse_x = 400;
   mouse_y = 300;
   mouse_b = 0;
   num_players = 1;
   time_limit = 0;
}

int live_spam()
{
   int n = 0;
   for (const SPAM &s : spams)
      n += s.alive;
   return n;
}

int flying_bananas()
{
   int n = 0;
   for (BANANA *b = banana_list; b; b = b->next)
      n++;
   return n;
}
