#include "dirty.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// the screen's copies: 'p' a pixel, 'b' a blit, each with its top row
std::string copies;
int acquires;
GFX_VTABLE spy, *real;

TEST(Dirty, ErasesAndCopiesEachAreaExactlyInOneAcquireSortedUnlessTheDriverIsLinear)
{
   for (bool linear : { false, true }) {
      headless_screen(linear);
      BITMAP *buffer = create_bitmap(800, 600), *bg = create_bitmap(800, 600);
      for (int y = 0; y < 600; y++)
         for (int x = 0; x < 800; x++)
            putpixel(bg, x, y, (x + 7 * y) % 250 + 1);
      clear_dirty(buffer, nullptr);   // two empty frames flush earlier areas
      clear_dirty(buffer, nullptr);
      // a 1 x 1 area goes pixel by pixel, anything larger by blit or rectfill
      const DIRTY_RECT rects[] = { { 50, 50, 2, 2 }, { 10, 10, 1, 1 }, { 30, 30, 1, 2 }, { 40, 40, 2, 1 } };
      for (BITMAP *from : { static_cast<BITMAP *>(nullptr), bg }) {
         clear_to_color(buffer, 9);
         for (const DIRTY_RECT &r : rects)
            dirty_rectangle(r.x, r.y, r.w, r.h);
         clear_dirty(buffer, from);
         for (int y = 0; y < 60; y++)
            for (int x = 0; x < 60; x++) {
               bool inside = false;
               for (const DIRTY_RECT &r : rects)
                  inside |= x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
               ASSERT_EQ(getpixel(buffer, x, y), !inside ? 9 : from ? getpixel(bg, x, y) : 0) << x << "," << y;
            }
      }

      clear_to_color(screen, 9);   // as the buffer is outside the areas
      spy = *(real = screen->vtable);
      spy.putpixel = [](BITMAP *b, int x, int y, int c) { copies += " p" + std::to_string(y), real->putpixel(b, x, y, c); };
      spy.blit_to_self = [](BITMAP *s, BITMAP *d, int sx, int sy, int dx, int dy, int w, int h) {
         copies += " b" + std::to_string(dy), real->blit_to_self(s, d, sx, sy, dx, dy, w, h);
      };
      spy.acquire = [](BITMAP *) { acquires++; };
      screen->vtable = &spy;
      copies.clear(), acquires = 0;
      draw_dirty(buffer);   // the four erased areas
      for (int y : { 20, 5 }) {
         rectfill(buffer, y, y, y + 2, y + 2, 200 + y);
         dirty_rectangle(y, y, 3, 3);
      }
      draw_dirty(buffer);
      draw_dirty(buffer);   // this frame's areas are copied once more
      EXPECT_EQ(copies, linear ? " b50 p10 b30 b40 b50 p10 b30 b40 b20 b5 b50 p10 b30 b40 b20 b5 b20 b5"
                               : " p10 b30 b40 b50 b5 p10 b20 b30 b40 b50 b5 b5 p10 b20 b20 b30 b40 b50");
      EXPECT_EQ(acquires, 3);
      screen->vtable = real;
      EXPECT_EQ(headless_diff(screen, buffer), 0);
      destroy_bitmap(buffer);
      destroy_bitmap(bg);
   }
}

} // namespace
