#include "dirty.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(DirtyList, GrowsTo256ThenDoublesAndKeepsItsRectangles)
{
   DIRTY_LIST list = { 0, 0, nullptr };
   const struct { int count, capacity; } steps[] = { { 1, 256 }, { 256, 256 }, { 257, 512 }, { 513, 1024 } };
   int n = 0;
   for (const auto &step : steps) {
      for (; n < step.count; n++)
         add_to_list(&list, n, 2 * n, 1, 3);
      EXPECT_EQ(list.capacity, step.capacity) << n;
      EXPECT_EQ(list.count, n);
   }
   for (int i = 0; i < n; i++)
      ASSERT_TRUE(list.rects[i].x == i && list.rects[i].y == 2 * i && list.rects[i].h == 3) << i;
   free(list.rects);
}

// every copy to the screen: 'p' a pixel, 'b' a blit, then its top row
std::string copies;
int acquires;
GFX_VTABLE spy, *real;

class Dirty : public ::testing::TestWithParam<bool>
{
protected:
   BITMAP *buffer = nullptr, *bg = nullptr;

   void SetUp() override
   {
      headless_screen(GetParam());
      buffer = create_bitmap(800, 600);
      bg = create_bitmap(800, 600);
      for (int y = 0; y < 600; y++)
         for (int x = 0; x < 800; x++)
            putpixel(bg, x, y, (x + 7 * y) % 250 + 1);
      // two empty frames flush what earlier tests left in the lists
      clear_dirty(buffer, nullptr);
      clear_dirty(buffer, nullptr);
      clear_bitmap(buffer);

      real = screen->vtable;
      spy = *real;
      spy.putpixel = [](BITMAP *b, int x, int y, int c) {
         copies += " p" + std::to_string(y);
         real->putpixel(b, x, y, c);
      };
      spy.blit_to_self = [](BITMAP *s, BITMAP *d, int sx, int sy, int dx, int dy, int w, int h) {
         copies += " b" + std::to_string(dy);
         real->blit_to_self(s, d, sx, sy, dx, dy, w, h);
      };
      spy.acquire = [](BITMAP *) { acquires++; };
      screen->vtable = &spy;
      copies.clear();
      acquires = 0;
   }

   void TearDown() override
   {
      screen->vtable = real;
      destroy_bitmap(buffer);
      destroy_bitmap(bg);
   }

   void draw(int x, int y, int w, int h)
   {
      rectfill(buffer, x, y, x + w - 1, y + h - 1, 200 + y % 50);
      dirty_rectangle(x, y, w, h);
   }
};

TEST_P(Dirty, ErasesEachAreaExactlyFromTheBackgroundOrToBlack)
{
   const DIRTY_RECT rects[] = { { 10, 10, 1, 1 }, { 20, 10, 1, 2 }, { 30, 10, 2, 1 }, { 40, 10, 3, 3 } };
   for (BITMAP *from : { bg, static_cast<BITMAP *>(nullptr) }) {
      clear_to_color(buffer, 9);
      for (const DIRTY_RECT &r : rects)
         dirty_rectangle(r.x, r.y, r.w, r.h);
      clear_dirty(buffer, from);
      for (int y = 0; y < 16; y++)
         for (int x = 0; x < 50; x++) {
            bool inside = false;
            for (const DIRTY_RECT &r : rects)
               inside |= x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
            int expected = !inside ? 9 : from ? getpixel(bg, x, y) : 0;
            ASSERT_EQ(getpixel(buffer, x, y), expected) << x << "," << y << (from ? "" : " without background");
         }
   }
}

TEST_P(Dirty, CopiesErasedThenDrawnAreasInOneAcquireSortedUnlessLinear)
{
   bool linear = GetParam();
   draw_dirty(buffer);
   EXPECT_EQ(copies, "");
   EXPECT_EQ(acquires, 1);

   draw(50, 50, 2, 2);
   draw(10, 10, 1, 1);
   draw(30, 30, 1, 2);
   draw_dirty(buffer);
   EXPECT_EQ(copies, linear ? " b50 p10 b30" : " p10 b30 b50");

   copies.clear();
   clear_dirty(buffer, bg);
   draw(40, 40, 2, 1);
   draw(5, 5, 3, 3);
   draw_dirty(buffer);
   draw_dirty(buffer);   // copies this frame's areas once more
   EXPECT_EQ(copies, linear ? " b50 p10 b30 b40 b5 b50 p10 b30 b40 b5 b40 b5"
                            : " b5 p10 b30 b40 b50 b5 b5 p10 b30 b40 b40 b50");
   EXPECT_EQ(acquires, 4);
   screen->vtable = real;
   EXPECT_EQ(headless_diff(screen, buffer), 0);
}

INSTANTIATE_TEST_SUITE_P(Driver, Dirty, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &p) { return p.param ? "Linear" : "Banked"; });

} // namespace
