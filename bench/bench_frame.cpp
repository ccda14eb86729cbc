// What a frame and a tick cost, beside the frame a user of the library would
// write without dirty rectangles: restore the whole buffer from the
// background, draw the same things, copy the whole buffer to the screen.
// The screen is a memory bitmap here; what the X11 screen adds is measured
// by measure_process.sh.
#include "banana.h"
#include "dirty.h"
#include "game.h"
#include "headless.h"
#include "spam.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

struct LOAD
{
   int spams;
   int bananas;
};

const LOAD typical = { 11, 6 };
const LOAD heavy = { 100, 50 };

BITMAP *buffer = nullptr;

void naive_frame(int pulse)
{
   fade_interpolate(insane_palette, game_palette, temp_palette, pulse, 2, 25);
   blit(bg, buffer, 0, 0, 0, 0, 800, 600);
   for (const SPAM &s : spams)
      if (s.alive)
         draw_sprite(buffer, spam, s.x, s.y);
   for (BANANA *b = banana_list; b; b = b->next)
      rotate_sprite(buffer, banana, b->x, b->y, b->angle);
   rectfill(buffer, turret_x - 10, 580, turret_x + 10, 600, 5);
   rectfill(buffer, 780, 0, 800, 102, 0);
   rectfill(buffer, 781, 101 - 5 * health, 799, 101, 14);
   blit(buffer, screen, 0, 0, 0, 0, 800, 600);
   textprintf_ex(screen, font, 9, 10, 15, 0, "Time left %3d",
                 static_cast<int>(time_left - timer.GetStopwatchTimeSec()));
   set_palette_range(temp_palette, 2, 25, 1);
}

// a game in progress with a fixed set of objects spread over the screen
void set_up(const LOAD &load)
{
   Timer::Intialize();
   headless_data();
   headless_screen(true);
   srand(1);
   if (!buffer) {
      buffer = create_bitmap(800, 600);
      make_scene(buffer);
   }
   init_spam();
   clear_bananas();
   for (int i = 0; i < load.spams; i++) {
      spams[i].alive = true;
      spams[i].x = (i * 71) % 768;
      spams[i].y = (i * 53) % 560;
   }
   for (int i = 0; i < load.bananas; i++)
      add_banana((i * 97) % 784, 40 + (i * 61) % 520);
   health = 12;
   turret_x = 400;
   time_left = 60.0f;
   timer.StartStopwatch();
   // as at a game's start, the first frame copies the whole screen
   dirty_rectangle(0, 0, 800, 600);
   draw_frame(buffer, 40);
}

// the pulse moves every frame, as at low health, so both frames install
// their colours every time
void BM_DirtyFrame(benchmark::State &state, LOAD load)
{
   set_up(load);
   int frame = 0;
   for (auto _ : state)
      draw_frame(buffer, 40 + (frame++ & 1));
}

void BM_NaiveFrame(benchmark::State &state, LOAD load)
{
   set_up(load);
   int frame = 0;
   for (auto _ : state)
      naive_frame(40 + (frame++ & 1));
}

// A tick with the load held: the envelopes fly above the bananas, so every
// collision test scans the whole pool. Putting the objects back is inside
// the timing: pausing the timer costs more than that.
void BM_Tick(benchmark::State &state, LOAD load)
{
   set_up(load);
   std::uint32_t processed = 1;
   mouse_b = 0;
   for (auto _ : state) {
      for (int i = 0; i < load.spams; i++)
         spams[i].y = (i * 53) % 440;
      for (BANANA *b = banana_list; b; b = b->next)
         b->y = 500;
      health = 12;
      benchmark::DoNotOptimize(run_tick(&processed));
   }
}

} // namespace

BENCHMARK_CAPTURE(BM_DirtyFrame, typical, typical);
BENCHMARK_CAPTURE(BM_NaiveFrame, typical, typical);
BENCHMARK_CAPTURE(BM_DirtyFrame, heavy, heavy);
BENCHMARK_CAPTURE(BM_NaiveFrame, heavy, heavy);
BENCHMARK_CAPTURE(BM_Tick, typical, typical);
BENCHMARK_CAPTURE(BM_Tick, heavy, heavy);

BENCHMARK_MAIN();
