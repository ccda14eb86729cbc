// Runs play_game headless, with the library's tick source swapped for the
// test's own calls to game_timer(). The turn prompt and the score table
// answer themselves; the test drives each catch-up pass of play.
#ifndef JUNKFALL_PLAY_SCRIPT_H
#define JUNKFALL_PLAY_SCRIPT_H

#include <allegro.h>

#include <cstdint>
#include <functional>
#include <vector>

struct PlayScript
{
   // runs at the end of every catch-up pass (its keypressed()), the pass
   // that ends the turn included; `pass` counts from 0 in each turn. Unset,
   // every turn ends at its second pass.
   std::function<void(int pass)> on_pass;
   std::function<void()> on_prompt;   // while a turn's prompt waits
   int prompt_key = KEY_SPACE;        // answer to every prompt

   std::vector<int> turns;            // cur_player at each prompt answered
   std::vector<int> passes;           // catch-up passes of each turn
   int score_tables = 0;
   std::int64_t turn_start = 0;       // fake counter when the turn began
   BITMAP *prompt_shot = nullptr;     // the screen at the last prompt
   BITMAP *score_shot = nullptr;      // the screen at the score table

   ~PlayScript();
   void run();
   // the next pass finds the turn's time up, by one count
   void end_turn();
};

// the stand-in data, the fake clock and the no-op tick source, a memory
// screen; one player, 30-second turns, the pointer at (400, 300) unpressed
void play_setup();

// how many spam slots are in play, and how many bananas fly
int live_spam();
int flying_bananas();

#endif
