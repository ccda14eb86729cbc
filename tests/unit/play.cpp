#include "play.h"

#include "banana.h"
#include "clock.h"
#include "game.h"
#include "headless.h"
#include "main.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <cstring>

std::int64_t fake_clock_frequency = 1000000;
std::int64_t fake_clock_now = 0;

bool QueryPerformanceFrequency(std::int64_t *frequency)
{
   *frequency = fake_clock_frequency;
   return true;
}

bool QueryPerformanceCounter(std::int64_t *count)
{
   *count = fake_clock_now;
   return true;
}

Play::~Play()
{
   if (prompt)
      destroy_bitmap(prompt);
   if (table)
      destroy_bitmap(table);
}

void Play::end_turn()
{
   fake_clock_now = turn_start + static_cast<std::int64_t>(time_left) * fake_clock_frequency + 1;
   game_timer();
}

static void keep_screen(BITMAP **shot)
{
   if (!*shot)
      *shot = create_bitmap(800, 600);
   blit(screen, *shot, 0, 0, 0, 0, 800, 600);
}

void Play::run()
{
   // a prompt or the table first empties the key buffer, then waits: it is
   // answered at the first poll after one that found no key waiting
   bool playing = false, was_empty = false;
   int player = -1;
   headless_set_poll([&] {
      if (playing && cur_player != player)
         playing = was_empty = false;
      if (playing) {
         int pass = passes.back()++;
         if (pass > 5000) {
            ADD_FAILURE() << "the turn never ends";
            headless_queue_key(KEY_ESC);
         }
         else if (on_pass) {
            on_pass(pass);
         }
         else {
            end_turn();
         }
         return;
      }
      bool answer = was_empty;
      was_empty = headless_queued_keys() == 0;
      if (!answer)
         return;
      was_empty = false;
      if (cur_player >= num_players) {
         keep_screen(&table);
         tables++;
         return headless_queue_key(KEY_SPACE);
      }
      keep_screen(&prompt);
      std::memcpy(prompt_palette, headless_palette, sizeof(PALETTE));
      turns.push_back(player = cur_player);
      passes.push_back(0);
      turn_start = fake_clock_now;
      playing = true;
      headless_queue_key(key);
   });
   play_game();
   headless_set_poll(nullptr);
}

static void no_ticks() {}

void play_setup()
{
   headless_screen(true);
   headless_data();
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
