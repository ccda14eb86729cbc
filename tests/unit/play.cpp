#include "headless.h"

#include "clock.h"
#include "game.h"
#include "main.h"

#include <gtest/gtest.h>

std::int64_t fake_clock_now = 0;

bool QueryPerformanceFrequency(std::int64_t *frequency) { return *frequency = 1000000, true; }

bool QueryPerformanceCounter(std::int64_t *count) { return *count = fake_clock_now, true; }

Play::~Play()
{
   for (BITMAP *shot : { prompt, table })
      if (shot)
         destroy_bitmap(shot);
}

void Play::end_turn()
{
   fake_clock_now = turn_start + static_cast<std::int64_t>(time_left) * 1000000 + 1;
   game_timer();
}

void Play::run()
{
   // a prompt or the table first empties the key buffer, then waits: it is
   // answered at the first poll after one that found no key waiting
   bool playing = false, was_empty = false;
   int player = -1;
   headless_set_poll([&] {
      if (playing && cur_player == player) {
         int pass = passes.back()++;
         if (pass > 5000)
            ADD_FAILURE() << "the turn never ends", headless_queue_key(KEY_ESC);
         else
            on_pass ? on_pass(pass) : end_turn();
         return;
      }
      bool answer = !playing && was_empty, at_table = cur_player >= num_players;
      playing = false;
      was_empty = !answer && headless_queued_keys() == 0;
      if (!answer)
         return;
      BITMAP *&shot = at_table ? table : prompt;
      blit(screen, shot = shot ? shot : create_bitmap(800, 600), 0, 0, 0, 0, 800, 600);
      headless_queue_key(at_table ? KEY_SPACE : key);
      if (at_table) {
         tables++;
         return;
      }
      turns.push_back(player = cur_player);
      passes.push_back(0);
      turn_start = fake_clock_now;
      playing = true;
   });
   play_game();
   headless_set_poll(nullptr);
}

static void no_ticks() {}

void play_setup()
{
   headless_screen(true);
   headless_data();
   Timer::Intialize();
   fake_clock_now = 0;
   start_game_ticks = no_ticks;
   mouse_x = 400, mouse_y = 300, mouse_b = 0;
   num_players = 1;
   time_limit = 0;
}
