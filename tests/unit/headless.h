// Allegro without a display: memory bitmaps, a stand-in graphics driver so
// the game can draw to `screen`, keys fed through the keyboard hooks; and,
// for the tests (play.cpp), whole games on a fake counter.
#ifndef JUNKFALL_HEADLESS_H
#define JUNKFALL_HEADLESS_H

#include <allegro.h>

#include <cstdint>
#include <functional>
#include <vector>

void headless_init();                      // the none system, 8-bit colour, once
void headless_screen(bool linear = true);  // a black memory screen; a driver with this linear flag
DATAFILE *headless_data();                 // the built data file, installed as `data`

// every keypressed() of the code under test first runs `on_poll`; queued
// keys are then read through readkey(). Null ends polling and drops the keys
void headless_set_poll(std::function<void()> on_poll);
void headless_queue_key(int scancode);
int headless_queued_keys();

// the left button pressed at (x, y) as the library reports it (mouse_b, then
// the mouse callback the game installed), and let go again at once if asked
void headless_press(int x, int y, bool let_go = false);

extern PALETTE headless_palette;   // what the stand-in driver holds
extern int headless_installs;      // palettes installed so far
int headless_diff(BITMAP *a, BITMAP *b);   // pixels that differ between two 800 x 600 bitmaps

// a sound driver of the tests' own in place of the silent one: every voice
// the game starts, as play_sample sets it up (frequency in Hz)
struct Voice
{
   const SAMPLE *sample;
   int vol, pan, freq;
   bool operator==(const Voice &o) const
   {
      return sample == o.sample && vol == o.vol && pan == o.pan && freq == o.freq;
   }
};
extern std::vector<Voice> headless_voices;
Voice voice_of(int index, int freq = 22050);   // the data file's sample, at full volume, centred

extern std::int64_t fake_clock_now;   // the counter, a million counts a second

// one game: prompts and the score table answered, the test steering each
// catch-up pass of play and calling game_timer() for ticks
struct Play
{
   std::function<void(int pass)> on_pass;   // at each pass's key check, from 0 each turn; unset: it ends
   int key = KEY_SPACE;                     // the answer to every prompt
   std::vector<int> turns, passes;          // cur_player at each prompt; the passes of each turn
   int tables = 0;                          // score tables shown
   std::int64_t turn_start = 0;             // the counter at the last prompt
   BITMAP *prompt = nullptr, *table = nullptr;   // the screen at the last of each

   ~Play();
   void run();
   void end_turn();   // the next end test finds the time up
};

// a memory screen, the built data, the counter at 0, no tick source; one
// player, 30-second turns, the pointer at (400, 300) and not pressed
void play_setup();

#endif
