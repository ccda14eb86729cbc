#include "dirty.h"
#include "headless.h"

#include <gtest/gtest.h>

// each registered area is erased exactly, from the background or to black
// (a 1 x 1 one pixel by pixel), and copied to the screen with this frame's drawings
TEST(Dirty, ErasesAndCopiesEachRegisteredAreaExactly)
{
   headless_screen(false);
   BITMAP *buffer = create_bitmap(800, 600), *bg = create_bitmap(800, 600);
   for (int y = 0; y < 600; y++)
      for (int x = 0; x < 800; x++)
         putpixel(bg, x, y, (x + 7 * y) % 250 + 1);
   clear_dirty(buffer, nullptr);   // two empty frames flush earlier areas
   clear_dirty(buffer, nullptr);
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
   rectfill(buffer, 5, 5, 7, 7, 200);
   dirty_rectangle(5, 5, 3, 3);
   draw_dirty(buffer);
   EXPECT_EQ(headless_diff(screen, buffer), 0);
   destroy_bitmap(buffer);
   destroy_bitmap(bg);
}
