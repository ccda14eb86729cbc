#include "data.h"
#include "headless.h"
#include "main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

TEST(Crosshair, RingAndFourTicksInColourOneOnTransparent)
{
   headless_init();
   BITMAP *c = make_crosshair();
   ASSERT_TRUE(c && c->w == 16 && c->h == 16);
   int lit = 0;
   for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) {
         int v = getpixel(c, x, y);
         // on the axes the ticks, which the ring crosses at 1 and 13; off
         // them only the ring, about six pixels from the centre
         bool tick = (x == 7 && (y < 3 || (y > 11 && y < 15))) || (y == 7 && (x < 3 || (x > 11 && x < 15)));
         if (x == 7 || y == 7) {
            EXPECT_EQ(v, tick) << x << "," << y;
         }
         else if (v) {
            EXPECT_NEAR(std::hypot(x - 7, y - 7), 6.0, 0.8) << x << "," << y;
         }
         ASSERT_TRUE(v == 0 || v == 1) << x << "," << y;
         lit += v;
      }
   EXPECT_GT(lit, 12 + 24);   // the ticks and a ring all round
   destroy_bitmap(c);
}

// what the game relies on in the built file: each index's type, 8-bit
// bitmaps, and menu art that fits the menu's fixed layout
TEST(DataCatalogue, TheBuiltFileHoldsWhatTheGameIndexes)
{
   DATAFILE *built = headless_data();
   ASSERT_TRUE(data_matches_catalogue(built));
   for (int i = MENU_TIME_60; i <= MENU_QUIT; i++) {
      BITMAP *b = static_cast<BITMAP *>(built[i].dat);
      if (i != TITLE_BMP && i != TITLE_PAL) {
         EXPECT_TRUE(b->w == 118 && b->h == 47) << i;
      }
   }
   BITMAP *logo = static_cast<BITMAP *>(built[TITLE_BMP].dat);
   EXPECT_TRUE(logo->w <= 800 && 20 + logo->h <= 274) << "the logo runs into the buttons";
}

TEST(DataCatalogue, ForeignOrDamagedCataloguesAreRefused)
{
   DATAFILE *good = headless_data();
   EXPECT_FALSE(data_matches_catalogue(nullptr));
   BITMAP *deep = create_bitmap_ex(16, 118, 47);
   BITMAP *extra = create_bitmap(4, 4);
   const std::function<void(DATAFILE *)> damage[] = {
      [](DATAFILE *d) { d[FIRE_SAMPLE].type = DAT_BITMAP; },
      [](DATAFILE *d) { d[TITLE_PAL].type = DAT_BITMAP; },
      [](DATAFILE *d) { d[MENU_QUIT].type = DAT_END; },
      [](DATAFILE *d) { d[HIT1_SAMPLE].dat = nullptr; },
      [&](DATAFILE *d) { d[MENU_PLAY].dat = deep; },
      [&](DATAFILE *d) { d[DATA_COUNT] = { extra, DAT_BITMAP, 0, nullptr }; },
   };
   for (const auto &spoil : damage) {
      DATAFILE copy[DATA_COUNT + 2];
      std::copy(good, good + DATA_COUNT + 1, copy);
      copy[DATA_COUNT + 1] = copy[DATA_COUNT];
      spoil(copy);
      EXPECT_FALSE(data_matches_catalogue(copy)) << &spoil - damage;
   }
   destroy_bitmap(deep);
   destroy_bitmap(extra);
}

} // namespace
