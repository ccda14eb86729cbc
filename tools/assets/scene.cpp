// the title picture: bananas fired at falling junk mail over a town at dusk
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

const int WHITE = 1;
const int INK = 2;
const int STAR = 3;
const int JUICE_EDGE = 4, JUICE_MID = 5, JUICE_CORE = 6, SPIN = 7;
const Ramp SKY{ 16, 64 };
const Ramp SUN{ 80, 16 };
const Ramp CITY{ 96, 16 };
const Ramp WINDOW{ 112, 8 };
const Ramp GROUND{ 120, 16 };
const Ramp PAPER{ 136, 16 };
const Ramp RED{ 152, 16 };
const Ramp BANANA{ 168, 24 };
const Ramp BROWN{ 192, 8 };
const Ramp METAL{ 200, 24 };
const Ramp TITLE{ 224, 32 };

const int HORIZON = 440;
const int GROUND_Y = HORIZON + 30;
// the turret's foot, and its barrel's angle: up and to the right
const int TURRET_X = 330, TURRET_Y = 560;
const float AIM = -0.82f;

const EnvelopeLook ENVELOPE{ PAPER, RED, INK };

void sky(BITMAP *b, Rng &rng)
{
   for (int y = 0; y < HORIZON; y++)
      for (int x = 0; x < b->w; x++)
         b->line[y][x] = static_cast<unsigned char>(SKY.at(static_cast<float>(y) / HORIZON, x, y));
   for (int i = 0; i < 140; i++) {
      int x = rng.below(b->w);
      int y = static_cast<int>(std::pow(rng.unit(), 1.8f) * 260);
      putpixel(b, x, y, STAR);
      if (rng.below(8) == 0) {
         putpixel(b, x - 1, y, SKY.flat(0.5f));
         putpixel(b, x + 1, y, SKY.flat(0.5f));
         putpixel(b, x, y - 1, SKY.flat(0.5f));
         putpixel(b, x, y + 1, SKY.flat(0.5f));
      }
   }
}

// a striped sun sinking behind the town
void sun(BITMAP *b)
{
   const int sx = 560, sy = 400, sr = 120;
   for (int y = sy - sr; y <= HORIZON; y++)
      for (int x = sx - sr; x <= sx + sr; x++) {
         if ((x - sx) * (x - sx) + (y - sy) * (y - sy) > sr * sr)
            continue;
         int below = y - (sy - 30);
         if (below > 0 && (below % 16) < 2 + below / 14)
            continue;   // the cut stripes widen as it sinks
         b->line[y][x] = static_cast<unsigned char>(
             SUN.at(1.0f - static_cast<float>(y - (sy - sr)) / (HORIZON - (sy - sr)), x, y));
      }
}

// two rows of buildings, the far one paler
void town(BITMAP *b, Rng &rng)
{
   const int w = b->w;
   for (int layer = 0; layer < 2; layer++) {
      int x = -rng.below(30);
      while (x < w) {
         int bw = 28 + rng.below(46);
         int bh = layer == 0 ? 50 + rng.below(120) : 24 + rng.below(70);
         int top = GROUND_Y - bh;
         float tone = layer == 0 ? 0.55f : 0.22f;
         for (int y = top; y < GROUND_Y; y++)
            for (int xx = std::max(0, x); xx < std::min(w, x + bw); xx++)
               b->line[y][xx] = static_cast<unsigned char>(CITY.at(tone - 0.15f * (xx - x) / bw, xx, y));
         if (layer == 1 || rng.below(3) == 0)
            for (int wy = top + 8; wy < HORIZON + 20; wy += 10)
               for (int wx = x + 5; wx + 4 < x + bw - 3; wx += 9)
                  if (rng.below(5) < 2)
                     rectfill(b, wx, wy, wx + 3, wy + 4, WINDOW.flat(rng.unit()));
         if (rng.below(4) == 0) {   // an aerial
            vline(b, x + bw / 2, top - 14, top, CITY.flat(tone));
            putpixel(b, x + bw / 2, top - 15, SUN.flat(0.2f));
         }
         x += bw + (layer == 0 ? rng.below(12) : 0);
      }
   }
}

// the ground, with a grid running to the horizon
void ground(BITMAP *b)
{
   const int w = b->w, h = b->h;
   for (int y = GROUND_Y; y < h; y++)
      for (int x = 0; x < w; x++)
         b->line[y][x] = static_cast<unsigned char>(
             GROUND.at(0.55f - 0.5f * (y - GROUND_Y) / static_cast<float>(h - GROUND_Y), x, y));
   for (int i = 0; i < 9; i++) {
      float z = static_cast<float>(i + 1) / 9;
      int y = GROUND_Y + static_cast<int>((h - GROUND_Y) * z * z);
      hline(b, 0, y, w - 1, SKY.flat(0.62f - 0.12f * z));
   }
   for (int i = -12; i <= 12; i++)
      line(b, w / 2 + i * 24, GROUND_Y, w / 2 + i * 150, h, SKY.flat(0.6f));
   hline(b, 0, GROUND_Y, w - 1, SKY.flat(0.85f));
}

void letters(BITMAP *b)
{
   const Fall falls[] = {
      { 70, 230, 86, -0.28f, true, "FREE!" },   { 190, 330, 60, 0.22f, false, nullptr },
      { 300, 226, 48, 0.4f, true, nullptr },    { 420, 300, 76, -0.12f, false, nullptr },
      { 720, 330, 92, 0.3f, true, "WIN $$$" },  { 130, 410, 46, 0.5f, true, nullptr },
      { 486, 226, 40, -0.45f, false, nullptr }, { 760, 440, 44, -0.2f, false, nullptr },
   };
   const FallLook fall{ ENVELOPE, 0.62f, 0.28f, 0.55f, 30, 10, 0.45f, SKY.flat(0.9f) };
   for (const Fall &f : falls)
      falling_letter(b, f, fall);
}

// three bananas up the line of fire, and a letter burst at its end
void shots(BITMAP *b)
{
   Rng juice(3);
   const BananaLook ban{ BANANA, BROWN, INK };
   float ux = std::cos(AIM), uy = std::sin(AIM);
   for (int i = 0; i < 3; i++) {
      float d = 150 + i * 100.0f;
      float bx = TURRET_X + ux * d, by = TURRET_Y - 8 + uy * d;
      // a dotted trail back toward the barrel
      for (int k = 1; k <= 4; k++)
         circlefill(b, static_cast<int>(bx - ux * k * 16), static_cast<int>(by - uy * k * 16),
                    std::max(1, 4 - k), SPIN);
      spin_marks(b, static_cast<int>(bx), static_cast<int>(by), 34, i * 1.3f, SPIN);
      stamp_centred(b, banana(52, i * 1.7f + 0.3f, ban), bx, by);
   }
   float hx = TURRET_X + ux * 440, hy = TURRET_Y - 8 + uy * 440;
   stamp_centred(b, envelope(70, 44, 0.35f, true, ENVELOPE), hx + 10, hy - 8);
   splat(b, hx, hy, 38, JUICE_EDGE, JUICE_MID, JUICE_CORE, juice);
}

// the turret: a domed base with its barrel raised, on a riveted plinth
void turret(BITMAP *b)
{
   const int tx = TURRET_X, ty = TURRET_Y;
   Sprite barrel = tube(100, 26, AIM, METAL, INK, 80);
   stamp_centred(b, barrel, tx, ty - 22);
   Sprite dome = ball(46, METAL, 0.15f, 0.95f);
   for (int y = dome.h / 2 + 8; y < dome.h; y++)
      for (int x = 0; x < dome.w; x++)
         dome.set(x, y, -1);   // only the top shows above the plinth
   outline(dome, INK, 1);
   stamp_centred(b, dome, tx, ty - 22);

   int plinth[8] = { tx - 70, ty + 40, tx - 56, ty - 16, tx + 56, ty - 16, tx + 70, ty + 40 };
   polygon(b, 4, plinth, INK);
   for (int y = ty - 14; y < ty + 40; y++)
      for (int x = tx - 68; x <= tx + 68; x++) {
         float edge = 56 + 14.0f * (y - (ty - 16)) / 56.0f;
         if (std::fabs(x - tx) > edge - 2)
            continue;
         float t = 0.7f - 0.45f * (x - tx + edge) / (2 * edge) - 0.2f * (y - ty + 14) / 54.0f;
         b->line[y][x] = static_cast<unsigned char>(METAL.at(t, x, y));
      }
   hline(b, tx - 56, ty - 16, tx + 56, METAL.flat(0.9f));
   for (int i = -2; i <= 2; i++) {
      circlefill(b, tx + i * 24, ty + 8, 3, INK);
      circlefill(b, tx + i * 24, ty + 8, 2, METAL.flat(0.8f));
   }
}

void titles(BITMAP *b)
{
   TextLook look;
   look.fill = TITLE;
   look.top = 1.0f;
   look.bottom = 0.1f;
   look.outline = INK;
   look.outline_thick = 4;
   look.extrude = RED;
   look.depth = 12;
   look.bevel = 0.16f;
   Sprite title = fancy_text("JUNKFALL", 11.0f, 14.0f, look);
   stamp(b, title, (b->w - title.w) / 2, 24);

   TextLook tag;
   tag.fill = PAPER;
   tag.top = 1.0f;
   tag.bottom = 0.6f;
   tag.outline = INK;
   tag.outline_thick = 2;
   Sprite tagline = fancy_text("DEFEND YOUR INBOX!", 3.0f, 3.0f, tag);
   stamp(b, tagline, (b->w - tagline.w) / 2, 168);
}

}   // namespace

Palette scene_palette()
{
   Palette p;
   p.set(0, { 0, 0, 0 });
   p.set(WHITE, { 255, 255, 255 });
   p.set(INK, { 12, 8, 24 });
   p.set(STAR, { 225, 230, 255 });
   juice_colours(p, JUICE_EDGE, JUICE_MID, JUICE_CORE);
   p.set(SPIN, { 255, 255, 230 });
   p.ramp(SKY.first, SKY.n,
          { { 6, 8, 38 },
            { 28, 24, 88 },
            { 90, 44, 130 },
            { 190, 80, 120 },
            { 250, 140, 90 },
            { 255, 200, 120 } });
   p.ramp(SUN.first, SUN.n, { { 255, 90, 70 }, { 255, 170, 70 }, { 255, 240, 140 } });
   p.ramp(CITY.first, CITY.n, { { 20, 10, 40 }, { 60, 30, 84 }, { 110, 60, 120 } });
   p.ramp(WINDOW.first, WINDOW.n, { { 200, 120, 40 }, { 255, 240, 150 } });
   p.ramp(GROUND.first, GROUND.n, { { 6, 4, 20 }, { 30, 14, 54 }, { 70, 30, 90 } });
   p.ramp(PAPER.first, PAPER.n, { { 90, 90, 130 }, { 205, 205, 225 }, { 255, 255, 255 } });
   p.ramp(RED.first, RED.n, { { 70, 0, 20 }, { 200, 30, 50 }, { 255, 130, 130 } });
   banana_ramps(p, BANANA, BROWN);
   p.ramp(METAL.first, METAL.n, { { 16, 18, 30 }, { 70, 80, 110 }, { 150, 165, 195 }, { 240, 248, 255 } });
   p.ramp(TITLE.first, TITLE.n,
          { { 130, 30, 0 }, { 230, 100, 0 }, { 255, 160, 0 }, { 255, 220, 50 }, { 255, 255, 220 } });
   return p;
}

BITMAP *scene_picture()
{
   BITMAP *b = create_bitmap(800, 600);
   Rng rng(7);
   sky(b, rng);
   sun(b);
   town(b, rng);
   ground(b);
   letters(b);
   shots(b);
   turret(b);
   titles(b);
   return b;
}
