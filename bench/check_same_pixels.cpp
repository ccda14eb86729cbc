// The frame's shortcuts must put exactly the pixels the library calls they
// stand for would: clear_dirty's row copies against blit, over random
// rectangles and clipping rectangles; draw_spam's whole-sprite copy against
// draw_sprite, at every position around the edges; and the turret, the
// health bar and the clock of draw_frame against rectfill and textout_ex,
// at every turret position, every health and every second of a turn.
// Exits non-zero on the first difference.
#include "banana.h"
#include "dirty.h"
#include "game.h"
#include "headless.h"
#include "spam.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int failures = 0;

bool same(BITMAP *a, BITMAP *b)
{
   int bytes = (bitmap_color_depth(a) + 7) / 8;
   for (int y = 0; y < a->h; y++)
      if (std::memcmp(a->line[y], b->line[y], static_cast<size_t>(a->w) * bytes) != 0)
         return false;
   return true;
}

void check_restore(int depth)
{
   set_color_depth(depth);
   BITMAP *bg = create_bitmap(800, 600), *small = create_bitmap(300, 200);
   BITMAP *got = create_bitmap(800, 600), *want = create_bitmap(800, 600);
   for (int y = 0; y < 600; y++)
      for (int x = 0; x < 800; x++)
         putpixel(bg, x, y, (x * 7 + y * 13) % 251 + 1);
   for (int y = 0; y < 200; y++)
      for (int x = 0; x < 300; x++)
         putpixel(small, x, y, (x * 3 + y * 5) % 241 + 3);
   // whatever earlier frames left in the lists goes first
   clear_dirty(got, nullptr);
   clear_dirty(got, nullptr);

   srand(7);
   for (int i = 0; i < 3000; i++) {
      BITMAP *from = i % 3 == 0 ? small : bg;
      clear_bitmap(got);
      clear_bitmap(want);
      if (i % 4 == 0) {
         int x1 = rand() % 900 - 50, y1 = rand() % 700 - 50, x2 = rand() % 900 - 50, y2 = rand() % 700 - 50;
         set_clip_rect(got, x1, y1, x2, y2);
         set_clip_rect(want, x1, y1, x2, y2);
      }
      else {
         set_clip_rect(got, 0, 0, 799, 599);
         set_clip_rect(want, 0, 0, 799, 599);
      }
      int x = rand() % 1000 - 100, y = rand() % 800 - 100;
      int w = i % 7 == 0 ? rand() % 3 + 2 : rand() % 300 - 20;
      int h = i % 7 == 0 ? rand() % 3 : rand() % 300 - 20;
      dirty_rectangle(x, y, w, h);
      clear_dirty(got, from);
      clear_dirty(got, nullptr);   // nothing registered: changes nothing
      blit(from, want, x, y, x, y, w, h);
      if (!same(got, want)) {
         fprintf(stderr, "depth %d: clear_dirty of (%d, %d, %d, %d) differs from blit\n", depth, x, y, w, h);
         failures++;
         break;
      }
   }
   destroy_bitmap(bg);
   destroy_bitmap(small);
   destroy_bitmap(got);
   destroy_bitmap(want);
   set_color_depth(8);
}

// draw_spam with one live envelope at each position, against draw_sprite
void check_envelopes(const char *what)
{
   BITMAP *got = create_bitmap(800, 600), *want = create_bitmap(800, 600);
   init_spam();
   for (int y = -20; y <= 606; y += 2)
      for (int x = -36; x <= 804; x += (y > 0 && y < 580) ? 29 : 3) {
         clear_to_color(got, 6);
         clear_to_color(want, 6);
         spams[0] = { x, y, true };
         draw_spam(got);
         draw_sprite(want, spam, x, y);
         if (!same(got, want)) {
            fprintf(stderr, "%s envelope at (%d, %d) differs from draw_sprite\n", what, x, y);
            failures++;
            x = 1000, y = 1000;
         }
      }
   init_spam();
   clear_dirty(got, nullptr);
   clear_dirty(got, nullptr);
   destroy_bitmap(got);
   destroy_bitmap(want);
}

// the screen after draw_frame against the scene with the turret, the bar
// and the clock drawn by the library calls the design names
void check_frame_parts(BITMAP *buffer)
{
   init_spam();
   clear_bananas();
   BITMAP *want = create_bitmap(800, 600);
   struct CASE { int turret, health, seconds; };
   CASE cases[1300];
   int n = 0;
   for (int x = -30; x <= 830; x++)
      cases[n++] = { x, 20, 59 };
   for (int h = -3; h <= 20; h++)
      cases[n++] = { 400, h, 59 };
   for (int t = -3; t <= 305; t++)
      cases[n++] = { 100, 20, t };

   for (int i = 0; i < n; i++) {
      const CASE &c = cases[i];
      turret_x = c.turret;
      health = c.health;
      time_left = c.seconds + (c.seconds < 0 ? -0.5f : 0.5f);   // truncated toward zero
      timer.StartStopwatch();
      draw_frame(buffer, 64);

      blit(bg, want, 0, 0, 0, 0, 800, 600);
      rectfill(want, c.turret - 10, 580, c.turret + 10, 600, 5);
      rectfill(want, 780, 0, 800, 102, 0);
      rectfill(want, 781, 101 - 5 * (c.health < 0 ? 0 : c.health), 799, 101, 14);
      textprintf_ex(want, font, 9, 10, 15, 0, "Time left %3d", c.seconds);
      if (!same(screen, want)) {
         fprintf(stderr, "frame with turret at %d, health %d, %d s left differs\n", c.turret, c.health, c.seconds);
         failures++;
         break;
      }
   }
   destroy_bitmap(want);
}

} // namespace

int main()
{
   Timer::Intialize();
   headless_init();
   check_restore(8);
   check_restore(32);

   headless_screen(true);
   BITMAP *buffer = create_bitmap(800, 600);
   make_scene(buffer);
   check_frame_parts(buffer);
   check_envelopes("opaque");
   putpixel(spam, 5, 5, 0);   // a hole: now it must be drawn masked
   check_envelopes("masked");
   destroy_scene(buffer);

   if (failures == 0)
      printf("same pixels: clear_dirty, draw_spam and draw_frame match the library calls they stand for\n");
   return failures == 0 ? 0 : 1;
}
