// the studio card: an apple of pixel blocks in a badge, and the studio's name
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

const int WHITE = 1;
const int INK = 2;
const int SHADOW = 3;
const Ramp CARD{ 16, 32 };
const Ramp RED{ 48, 32 };
const Ramp GREEN{ 80, 24 };
const Ramp BROWN{ 104, 8 };
const Ramp GOLD{ 112, 32 };
const Ramp SILVER{ 144, 32 };
const Ramp TEAL{ 176, 32 };

const int EMBLEM_Y = 88;

// rounded card with a gold rim; corners stay black to meet the screen
void card_face(BITMAP *b)
{
   const int w = b->w, h = b->h;
   const RoundRect card{ 0, 0, static_cast<float>(w - 1), static_cast<float>(h - 1), 22 };
   for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
         float fx = static_cast<float>(x), fy = static_cast<float>(y);
         if (!card.inside(fx, fy, 0))
            continue;
         int c;
         if (!card.inside(fx, fy, 2))
            c = GOLD.flat(0.25f);
         else if (!card.inside(fx, fy, 4))
            c = GOLD.flat(y < h / 2 ? 0.85f : 0.55f);
         else if (!card.inside(fx, fy, 5))
            c = INK;
         else {
            // soft light pooled behind the emblem
            float d = std::hypot((x - w / 2.0f) / 260.0f, (y - 96.0f) / 150.0f);
            c = CARD.at(0.9f - 0.75f * std::min(1.0f, d), x, y);
         }
         b->line[y][x] = static_cast<unsigned char>(c);
      }
}

// a teal badge ring around a dim disc, for the apple to sit in
void badge(BITMAP *b, int ex, int ey)
{
   circlefill(b, ex, ey, 62, INK);
   for (int y = -60; y <= 60; y++)
      for (int x = -60; x <= 60; x++) {
         float d = std::hypot(static_cast<float>(x), static_cast<float>(y));
         if (d > 60)
            continue;
         int c;
         if (d > 52)
            c = TEAL.at(0.8f - 0.5f * (y + 60) / 120.0f, ex + x, ey + y);
         else if (d > 50)
            c = INK;
         else
            c = CARD.at(0.35f + 0.3f * (1 - d / 50), ex + x, ey + y);
         b->line[ey + y][ex + x] = static_cast<unsigned char>(c);
      }
}

// the apple, 12 by 12 blocks, each block bevelled like a tile
void apple(BITMAP *b, int ex, int ey)
{
   static const char *rows[] = {
      "......bb.gg.", ".....b.ggggg", "....b..ggg..", "..RRRbRRR...", ".RRRRRRRRR..", "RRrRRRRRRRR.",
      "RrrRRRRRRRR.", "RrRRRRRRRRR.", "RRRRRRRRRRR.", ".RRRRRRRRR..", ".RRRRRRRRR..", "..RRR.RRR...",
   };
   const int cell = 7;
   int ax = ex - 6 * cell + 3, ay = ey - 6 * cell + 1;
   for (int j = 0; j < 12; j++)
      for (int i = 0; i < 12; i++) {
         char k = rows[j][i];
         if (k == '.')
            continue;
         Ramp r = k == 'g' ? GREEN : k == 'b' ? BROWN : RED;
         float base = k == 'r' ? 0.92f : 0.62f - 0.025f * j;
         if (k == 'g')
            base = 0.65f;
         for (int y = 0; y < cell; y++)
            for (int x = 0; x < cell; x++) {
               float t = base;
               if (x == 0 || y == 0)
                  t += 0.2f;
               else if (x == cell - 1 || y == cell - 1)
                  t -= 0.25f;
               int px = ax + i * cell + x, py = ay + j * cell + y;
               b->line[py][px] = static_cast<unsigned char>(r.flat(t));
            }
      }
}

// the studio's name, a silver rule, and the word under it
void studio_name(BITMAP *b)
{
   const int w = b->w;
   TextLook name;
   name.fill = GOLD;
   name.top = 1.0f;
   name.bottom = 0.3f;
   name.outline = INK;
   name.outline_thick = 2;
   name.shadow = SHADOW;
   name.shadow_dx = 3;
   name.shadow_dy = 3;
   name.bevel = 0.12f;
   Sprite title = fancy_text("PIXEL ORCHARD", 2.75f, 3.5f, name);
   stamp(b, title, (w - title.w) / 2, 164);

   for (int x = 70; x < w - 70; x++) {
      float t = 1.0f - std::fabs(x - w / 2.0f) / (w / 2.0f - 70);
      b->line[206][x] = static_cast<unsigned char>(SILVER.at(0.2f + 0.8f * t, x, 206));
      b->line[207][x] = static_cast<unsigned char>(SILVER.at(0.1f + 0.4f * t, x, 207));
   }
   TextLook sub;
   sub.fill = SILVER;
   sub.top = 0.95f;
   sub.bottom = 0.55f;
   sub.outline = INK;
   Sprite softworks = fancy_text("S O F T W O R K S", 2.0f, 2.0f, sub);
   stamp(b, softworks, (w - softworks.w) / 2, 218);
}

}   // namespace

Palette studio_palette()
{
   Palette p;
   p.set(0, { 0, 0, 0 });
   p.set(WHITE, { 255, 255, 255 });
   p.set(INK, { 8, 6, 18 });
   p.set(SHADOW, { 4, 4, 12 });
   p.ramp(CARD.first, CARD.n, { { 6, 8, 22 }, { 20, 28, 62 }, { 44, 62, 118 } });
   p.ramp(RED.first, RED.n, { { 56, 0, 10 }, { 180, 20, 36 }, { 240, 70, 60 }, { 255, 190, 170 } });
   p.ramp(GREEN.first, GREEN.n, { { 6, 40, 12 }, { 50, 150, 50 }, { 190, 250, 150 } });
   p.ramp(BROWN.first, BROWN.n, { { 40, 22, 8 }, { 140, 90, 40 } });
   p.ramp(GOLD.first, GOLD.n, { { 100, 50, 0 }, { 220, 150, 20 }, { 255, 220, 80 }, { 255, 252, 220 } });
   p.ramp(SILVER.first, SILVER.n, { { 40, 44, 60 }, { 150, 160, 185 }, { 240, 244, 255 } });
   p.ramp(TEAL.first, TEAL.n, { { 4, 30, 40 }, { 20, 110, 130 }, { 120, 230, 230 } });
   return p;
}

BITMAP *studio_card()
{
   BITMAP *b = create_bitmap(480, 270);
   clear_to_color(b, 0);
   card_face(b);
   badge(b, b->w / 2, EMBLEM_Y);
   apple(b, b->w / 2, EMBLEM_Y);
   studio_name(b);
   return b;
}
