#include "dirty.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// every write to the screen, in order: 'p' a putpixel, 'b' a blit
struct Copy { char how; int x, y, w, h; };
std::vector<Copy> copies;
int acquires, releases;
GFX_VTABLE spy, *real;

void spy_putpixel(BITMAP *bmp, int x, int y, int c)
{
   copies.push_back({ 'p', x, y, 1, 1 });
   real->putpixel(bmp, x, y, c);
}

void spy_blit(BITMAP *src, BITMAP *dst, int sx, int sy, int dx, int dy, int w, int h)
{
   copies.push_back({ 'b', dx, dy, w, h });
   real->blit_to_self(src, dst, sx, sy, dx, dy, w, h);
}

using Rows = std::vector<int>;

Rows copied_rows()
{
   Rows ys;
   for (const Copy &c : copies)
      ys.push_back(c.y);
   return ys;
}

class Dirty : public ::testing::TestWithParam<bool>
{
protected:
   BITMAP *buffer = nullptr, *bg = nullptr;

   void SetUp() override
   {
      headless_screen(GetParam());
      buffer = create_bitmap(800, 600);
      bg = create_bitmap(800, 600);
      clear_bitmap(buffer);
      for (int y = 0; y < 600; y++)
         for (int x = 0; x < 800; x++)
            putpixel(bg, x, y, (x + 7 * y) % 250 + 1);
      // two empty frames flush what earlier tests left in the lists
      clear_dirty(buffer, nullptr);
      clear_dirty(buffer, nullptr);

      real = screen->vtable;
      spy = *real;
      spy.putpixel = spy_putpixel;
      spy.blit_to_self = spy_blit;
      spy.acquire = [](BITMAP *) { acquires++; };
      spy.release = [](BITMAP *) { releases++; };
      screen->vtable = &spy;
      copies.clear();
      acquires = releases = 0;
   }

   void TearDown() override
   {
      screen->vtable = real;
      destroy_bitmap(buffer);
      destroy_bitmap(bg);
   }
};

TEST_P(Dirty, ManyRectanglesAllReachTheScreenAsTheListsGrow)
{
   // past 256, 512 and 1024 entries in both lists
   const int n = 1100;
   for (int i = 0; i < n; i++) {
      putpixel(buffer, i % 100 * 8, i / 100 * 8, i % 200 + 30);
      dirty_rectangle(i % 100 * 8, i / 100 * 8, 1, 1);
   }
   draw_dirty(buffer);
   EXPECT_EQ(copies.size(), size_t(n));
   screen->vtable = real;
   EXPECT_EQ(headless_diff(screen, buffer), 0);

   screen->vtable = &spy;
   copies.clear();
   clear_dirty(buffer, bg);
   draw_dirty(buffer);
   EXPECT_EQ(copies.size(), size_t(n));
   screen->vtable = real;
   for (int i = 0; i < n; i++) {
      int x = i % 100 * 8, y = i / 100 * 8;
      ASSERT_EQ(getpixel(buffer, x, y), getpixel(bg, x, y)) << i;
      ASSERT_EQ(getpixel(screen, x, y), getpixel(bg, x, y)) << i;
   }
}

TEST_P(Dirty, OnlyOneByOneGoesPixelByPixelAndEveryAreaRestoresWhole)
{
   const DIRTY_RECT rects[] = { { 10, 10, 1, 1 }, { 20, 10, 1, 2 }, { 30, 10, 2, 1 }, { 40, 10, 3, 3 } };
   for (const DIRTY_RECT &r : rects)
      dirty_rectangle(r.x, r.y, r.w, r.h);
   draw_dirty(buffer);
   ASSERT_EQ(copies.size(), 4u);
   EXPECT_EQ(copies[0].how, 'p');
   for (int i = 1; i < 4; i++)
      EXPECT_EQ(copies[i].how, 'b') << i;

   clear_dirty(buffer, bg);
   for (int y = 0; y < 20; y++)
      for (int x = 0; x < 50; x++) {
         bool inside = false;
         for (const DIRTY_RECT &r : rects)
            inside |= x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
         ASSERT_EQ(getpixel(buffer, x, y), inside ? getpixel(bg, x, y) : 0) << x << "," << y;
      }
}

TEST_P(Dirty, WithoutBackgroundErasesExactlyTheAreaToBlack)
{
   clear_to_color(buffer, 9);
   dirty_rectangle(5, 6, 4, 3);
   dirty_rectangle(50, 50, 1, 1);
   clear_dirty(buffer, nullptr);
   for (int y = 0; y < 60; y++)
      for (int x = 0; x < 60; x++) {
         bool inside = (x >= 5 && x <= 8 && y >= 6 && y <= 8) || (x == 50 && y == 50);
         ASSERT_EQ(getpixel(buffer, x, y), inside ? 0 : 9) << x << "," << y;
      }
}

TEST_P(Dirty, CopyOrderFollowsTheDriver)
{
   bool linear = GetParam();
   for (int y : { 50, 10, 30 })
      dirty_rectangle(y, y, 2, 2);
   draw_dirty(buffer);
   EXPECT_EQ(copied_rows(), (linear ? Rows{ 50, 10, 30 } : Rows{ 10, 30, 50 }));

   copies.clear();
   clear_dirty(buffer, bg);
   for (int y : { 40, 5 })
      dirty_rectangle(y, y, 2, 2);
   draw_dirty(buffer);
   // erased areas first, then this frame's, each as registered
   EXPECT_EQ(copied_rows(), (linear ? Rows{ 50, 10, 30, 40, 5 } : Rows{ 5, 10, 30, 40, 50 }));
}

TEST_P(Dirty, EveryDrawCopiesAgainInsideOneAcquire)
{
   draw_dirty(buffer);
   EXPECT_TRUE(copies.empty());
   EXPECT_EQ(acquires, 1);
   EXPECT_EQ(releases, 1);

   dirty_rectangle(1, 100, 5, 5);
   dirty_rectangle(9, 200, 5, 5);
   draw_dirty(buffer);
   draw_dirty(buffer);
   // the second draw appends the same two once more and copies all four
   EXPECT_EQ(copied_rows(), (GetParam() ? Rows{ 100, 200, 100, 200, 100, 200 }
                                        : Rows{ 100, 200, 100, 100, 200, 200 }));
   EXPECT_EQ(acquires, 3);
   EXPECT_EQ(releases, 3);

   // the next frame erases each area once
   copies.clear();
   clear_dirty(buffer, bg);
   draw_dirty(buffer);
   EXPECT_EQ(copied_rows(), (Rows{ 100, 200 }));
}

INSTANTIATE_TEST_SUITE_P(Driver, Dirty, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &p) { return p.param ? "Linear" : "Banked"; });

} // namespace
