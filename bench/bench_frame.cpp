// What a frame and a tick cost, against the frame a user of the library
// would write without dirty rectangles: restore the whole buffer from the
// background, draw the same things the same way, copy the whole buffer to
// the screen. The parts of a frame are timed on their own as well, so the
// totals can be told apart. The screen is a memory bitmap here; what the X11
// screen adds is measured by measure_process.sh.
#include "banana.h"
#include "data.h"
#include "dirty.h"
#include "game.h"
#include "headless.h"
#include "spam.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

struct LOAD
{
   int spams;
   int bananas;
};

const LOAD typical = { 11, 6 };
const LOAD heavy = { 100, 50 };

BITMAP *buffer = nullptr;

// The naive frame draws everything the way draw_frame does, so that only
// the way the screen is updated differs: an envelope without a transparent
// pixel copied whole, the turret and the bar filled a memset a row, the
// clock drawn once a second into a bitmap that is copied to the screen.
bool spam_opaque = false;

bool has_transparent_pixel(BITMAP *bmp)
{
   for (int y = 0; y < bmp->h; y++)
      for (int x = 0; x < bmp->w; x++)
         if (getpixel(bmp, x, y) == bitmap_mask_color(bmp))
            return true;
   return false;
}

// rectfill on the 8-bit memory buffer, clipped alike
void fill_rect(BITMAP *bmp, int x1, int y1, int x2, int y2, int color)
{
   if (y2 < y1)
      std::swap(y1, y2);
   if (x2 < x1)
      std::swap(x1, x2);
   x1 = std::max(x1, bmp->cl);
   x2 = std::min(x2, bmp->cr - 1);
   y1 = std::max(y1, bmp->ct);
   y2 = std::min(y2, bmp->cb - 1);
   for (int y = y1; y <= y2 && x1 <= x2; y++)
      std::memset(bmp->line[y] + x1, color, static_cast<size_t>(x2 - x1 + 1));
}

void draw_clock(int seconds)
{
   static BITMAP *drawn = nullptr;
   static char drawn_text[32];
   char text[32];
   snprintf(text, sizeof(text), "Time left %3d", seconds);
   if (!drawn || std::strcmp(text, drawn_text) != 0) {
      if (!drawn)
         drawn = create_bitmap(text_length(font, text), text_height(font));
      textout_ex(drawn, font, text, 0, 0, 15, 0);
      std::strcpy(drawn_text, text);
   }
   blit(drawn, screen, 0, 0, 9, 10, drawn->w, drawn->h);
}

int seconds_left()
{
   return static_cast<int>(time_left - timer.GetStopwatchTimeSec());
}

void naive_frame(int pulse)
{
   fade_interpolate(insane_palette, game_palette, temp_palette, pulse, 2, 25);
   blit(bg, buffer, 0, 0, 0, 0, 800, 600);
   for (const SPAM &s : spams) {
      if (!s.alive)
         continue;
      if (spam_opaque)
         blit(spam, buffer, 0, 0, s.x, s.y, spam->w, spam->h);
      else
         draw_sprite(buffer, spam, s.x, s.y);
   }
   for (BANANA *b = banana_list; b; b = b->next)
      rotate_sprite(buffer, banana, b->x, b->y, b->angle);
   fill_rect(buffer, turret_x - 10, 580, turret_x + 10, 600, 5);
   fill_rect(buffer, 780, 0, 800, 102, 0);
   fill_rect(buffer, 781, 101 - 5 * health, 799, 101, 14);
   blit(buffer, screen, 0, 0, 0, 0, 800, 600);
   draw_clock(seconds_left());
   set_palette_range(temp_palette, 2, 25, 1);
}

// the naive frame with nothing but the library calls the design names
void plain_frame(int pulse)
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
   textprintf_ex(screen, font, 9, 10, 15, 0, "Time left %3d", seconds_left());
   set_palette_range(temp_palette, 2, 25, 1);
}

BITMAP *screen_copy()
{
   BITMAP *copy = create_bitmap(800, 600);
   blit(screen, copy, 0, 0, 0, 0, 800, 600);
   return copy;
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
   spam_opaque = !has_transparent_pixel(spam);
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

   // all three frames must put the same picture on the screen, or the
   // comparison means nothing
   plain_frame(40);
   BITMAP *plain = screen_copy();
   naive_frame(40);
   BITMAP *naive = screen_copy();
   clear_bitmap(screen);
   blit(bg, buffer, 0, 0, 0, 0, 800, 600);
   // as at a game's start, the first frame copies the whole screen; the
   // second settles the lists
   dirty_rectangle(0, 0, 800, 600);
   draw_frame(buffer, 40);
   draw_frame(buffer, 40);
   if (headless_diff(screen, plain) != 0 || headless_diff(naive, plain) != 0) {
      fprintf(stderr, "the frames differ on the screen\n");
      abort();
   }
   destroy_bitmap(plain);
   destroy_bitmap(naive);
}

// the pulse moves every frame, as at low health, so both frames install
// their colours every time
int pulse_of(int frame)
{
   return 40 + (frame & 1);
}

void BM_DirtyFrame(benchmark::State &state, LOAD load)
{
   set_up(load);
   int frame = 0;
   for (auto _ : state)
      draw_frame(buffer, pulse_of(frame++));
}

void BM_NaiveFrame(benchmark::State &state, LOAD load)
{
   set_up(load);
   int frame = 0;
   for (auto _ : state)
      naive_frame(pulse_of(frame++));
}

void BM_PlainNaiveFrame(benchmark::State &state, LOAD load)
{
   set_up(load);
   int frame = 0;
   for (auto _ : state)
      plain_frame(pulse_of(frame++));
}

// A tick with the load held: the envelopes fly above the bananas, so no
// banana hits one and every collision test scans the whole pool. Putting
// the objects back (a few stores each) is inside the timing: pausing the
// timer costs more than that.
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

// the parts of a frame at typical load, one library call per object as in
// the frame
void BM_Part_SpamDrawSprite(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state)
      for (int i = 0; i < typical.spams; i++)
         draw_sprite(buffer, spam, spams[i].x, spams[i].y);
}

void BM_Part_SpamBlit(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state)
      for (int i = 0; i < typical.spams; i++)
         blit(spam, buffer, 0, 0, spams[i].x, spams[i].y, spam->w, spam->h);
}

void BM_Part_Bananas(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state)
      for (BANANA *b = banana_list; b; b = b->next)
         rotate_sprite(buffer, banana, b->x, b->y, b->angle);
}

void BM_Part_Fills(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state) {
      rectfill(buffer, turret_x - 10, 580, turret_x + 10, 600, 5);
      rectfill(buffer, 780, 0, 800, 102, 0);
      rectfill(buffer, 781, 101 - 5 * health, 799, 101, 14);
   }
}

void BM_Part_FillRows(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state) {
      fill_rect(buffer, turret_x - 10, 580, turret_x + 10, 600, 5);
      fill_rect(buffer, 780, 0, 800, 102, 0);
      fill_rect(buffer, 781, 101 - 5 * health, 799, 101, 14);
   }
}

void BM_Part_ClockText(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state) {
      char text[32];
      snprintf(text, sizeof(text), "Time left %3d", seconds_left());
      textout_ex(screen, font, text, 9, 10, 15, 0);
   }
}

void BM_Part_ClockCopy(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state)
      draw_clock(seconds_left());
}

void BM_Part_Palette(benchmark::State &state)
{
   set_up(typical);
   for (auto _ : state) {
      fade_interpolate(insane_palette, game_palette, temp_palette, 40, 2, 25);
      set_palette_range(temp_palette, 2, 25, 1);
   }
}

// the rectangles of a typical frame: each envelope and banana, the turret
// and the bar
int typical_rects(DIRTY_RECT *r)
{
   int n = 0;
   for (int i = 0; i < typical.spams; i++)
      r[n++] = { spams[i].x, spams[i].y, spam->w, spam->h };
   for (BANANA *b = banana_list; b; b = b->next)
      r[n++] = { b->x, b->y, banana->w, banana->h };
   r[n++] = { turret_x - 10, 580, 21, 20 };
   r[n++] = { 780, 0, 20, 103 };
   return n;
}

// restoring them from the background with blit, as clear_dirty once did
void BM_Part_RestoreBlit(benchmark::State &state)
{
   set_up(typical);
   DIRTY_RECT r[32];
   int n = typical_rects(r);
   for (auto _ : state)
      for (int i = 0; i < n; i++)
         blit(bg, buffer, r[i].x, r[i].y, r[i].x, r[i].y, r[i].w, r[i].h);
}

// clear_dirty on the same rectangles, registered anew each time
void BM_Part_ClearDirty(benchmark::State &state)
{
   set_up(typical);
   clear_dirty(buffer, bg);
   DIRTY_RECT r[32];
   int n = typical_rects(r);
   for (auto _ : state) {
      for (int i = 0; i < n; i++)
         dirty_rectangle(r[i].x, r[i].y, r[i].w, r[i].h);
      clear_dirty(buffer, bg);
   }
}

// the copies to the screen: every rectangle twice, erased and drawn
void BM_Part_CopyToScreen(benchmark::State &state)
{
   set_up(typical);
   DIRTY_RECT r[32];
   int n = typical_rects(r);
   for (auto _ : state)
      for (int twice = 0; twice < 2; twice++)
         for (int i = 0; i < n; i++)
            blit(buffer, screen, r[i].x, r[i].y, r[i].x, r[i].y, r[i].w, r[i].h);
}

} // namespace

BENCHMARK_CAPTURE(BM_DirtyFrame, typical, typical);
BENCHMARK_CAPTURE(BM_NaiveFrame, typical, typical);
BENCHMARK_CAPTURE(BM_DirtyFrame, heavy, heavy);
BENCHMARK_CAPTURE(BM_NaiveFrame, heavy, heavy);
BENCHMARK_CAPTURE(BM_PlainNaiveFrame, typical, typical);
BENCHMARK_CAPTURE(BM_Tick, typical, typical);
BENCHMARK_CAPTURE(BM_Tick, heavy, heavy);
BENCHMARK(BM_Part_SpamDrawSprite);
BENCHMARK(BM_Part_SpamBlit);
BENCHMARK(BM_Part_Bananas);
BENCHMARK(BM_Part_Fills);
BENCHMARK(BM_Part_FillRows);
BENCHMARK(BM_Part_ClockText);
BENCHMARK(BM_Part_ClockCopy);
BENCHMARK(BM_Part_Palette);
BENCHMARK(BM_Part_RestoreBlit);
BENCHMARK(BM_Part_ClearDirty);
BENCHMARK(BM_Part_CopyToScreen);

BENCHMARK_MAIN();
