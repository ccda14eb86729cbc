// Runs play_game headless on the fake clock, with the test's own calls to
// game_timer() for ticks. Prompts and the score table are answered; the test
// steers each catch-up pass of play.
#ifndef JUNKFALL_PLAY_H
#define JUNKFALL_PLAY_H

#include <allegro.h>

#include <cstdint>
#include <functional>
#include <vector>

struct Play
{
   // runs in every catch-up pass's key check, the pass that ends the turn
   // included; `pass` counts from 0 in each turn. Unset: the turn ends at once
   std::function<void(int pass)> on_pass;
   int key = KEY_SPACE;              // the answer to every prompt

   std::vector<int> turns;           // cur_player at each prompt
   std::vector<int> passes;          // catch-up passes of each turn
   int tables = 0;                   // score tables shown
   std::int64_t turn_start = 0;      // the counter when the last prompt was answered
   BITMAP *prompt = nullptr;         // the screen at the last prompt
   BITMAP *table = nullptr;          // the screen at the score table
   PALETTE prompt_palette;           // the palette at the last prompt

   ~Play();
   void run();
   void end_turn();                  // the next end test finds the time up
};

// a memory screen, the built data, the fake clock, no tick source; one
// player, 30-second turns, the pointer at (400, 300) and not pressed
void play_setup();

int live_spam();
int flying_bananas();

#endif
