// Whole games headless: play_game on a fake counter, ticks from the test's
// own game_timer() calls, prompts and the score table answered.
#ifndef JUNKFALL_PLAY_H
#define JUNKFALL_PLAY_H

#include <allegro.h>

#include <cstdint>
#include <functional>
#include <vector>

extern std::int64_t fake_clock_now;   // the counter, a million counts a second

struct Play
{
   // runs at each catch-up pass's key check, the pass that ends the turn
   // too; `pass` counts from 0 in each turn. Unset: the turn ends at once
   std::function<void(int pass)> on_pass;
   int key = KEY_SPACE;             // the answer to every prompt
   std::vector<int> turns, passes;  // cur_player at each prompt; passes of each turn
   int tables = 0;                  // score tables shown
   std::int64_t turn_start = 0;     // the counter at the last prompt
   BITMAP *prompt = nullptr, *table = nullptr;   // the screen at the last of each

   ~Play();
   void run();
   void end_turn();   // the next end test finds the time up
};

// a memory screen, the built data, the counter at 0, no tick source; one
// player, 30-second turns, the pointer at (400, 300) and not pressed
void play_setup();

#endif
