// the desktop icon: a letter on a rounded dark-blue tile, burst by a banana
// spinning up from below. drawn in palette like everything else, at SUPER
// times its size, then averaged down to RGBA so that its edges stay smooth
// on any background
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

const int SUPER = 4;
const int CLEAR = 0;   // outside the tile: fully see-through
const int SHADOW = 1;   // under the tile: black, partly see-through
const int INK = 2;
const int SPIN = 3;
const int JUICE_EDGE = 4, JUICE_MID = 5, JUICE_CORE = 6;
const Ramp TILE{ 16, 32 };
const Ramp RIM{ 48, 16 };
const Ramp PAPER{ 64, 16 };
const Ramp RED{ 80, 16 };
const Ramp BANANA{ 96, 24 };
const Ramp BROWN{ 120, 8 };
const Ramp CYAN{ 128, 16 };
const float SHADOW_ALPHA = 0.4f;

Palette icon_palette()
{
   Palette p;
   p.set(INK, { 10, 8, 22 });
   p.set(SPIN, { 200, 230, 255 });
   juice_colours(p, JUICE_EDGE, JUICE_MID, JUICE_CORE);
   p.ramp(TILE.first, TILE.n, { { 4, 8, 30 }, { 14, 32, 96 }, { 36, 78, 176 } });
   p.ramp(RIM.first, RIM.n, { { 8, 16, 56 }, { 60, 110, 210 }, { 170, 210, 255 } });
   p.ramp(PAPER.first, PAPER.n, { { 90, 100, 130 }, { 200, 205, 220 }, { 252, 252, 255 } });
   p.ramp(RED.first, RED.n, { { 70, 0, 20 }, { 200, 30, 50 }, { 255, 130, 130 } });
   banana_ramps(p, BANANA, BROWN);
   p.ramp(CYAN.first, CYAN.n, { { 10, 40, 80 }, { 40, 160, 230 }, { 200, 245, 255 } });
   return p;
}

// where things go, in pixels of the 128 icon. small icons trade the tilted
// letter, streaks and spin marks for a square-on letter seen from the back,
// bigger, with edges on whole pixels, so that they still read
struct Layout
{
   float ex, ey, ew, eh;   // the letter's centre and size
   float hx, hy, hr;   // the burst
   float bx, by, bl;   // the banana's centre and length
   bool detail;
};

Layout layout(int size)
{
   if (size >= 48)
      return { 82, 44, 62, 62 * 0.64f, 58, 64, 17, 38, 86, 54, true };
   if (size >= 32)
      return { 72, 48, 64, 40, 46, 72, 14, 46, 94, 62, false };
   return { 68, 52, 56, 40, 44, 74, 18, 40, 98, 60, false };
}

// a rounded tile a little above its drop shadow, light pooled where the
// banana meets the letter
const RoundRect TILE_RECT{ 6, 5, 122, 119, 26 };

RoundRect scaled(const RoundRect &r, float u)
{
   return { r.left * u, r.top * u, r.right * u, r.bottom * u, r.rad * u };
}

void tile_face(BITMAP *b, float u, const Layout &l)
{
   const RoundRect tile = scaled(TILE_RECT, u);
   const float gx = (l.hx + 2) * u, gy = (l.hy - 2) * u;
   for (int y = 0; y < b->h; y++)
      for (int x = 0; x < b->w; x++) {
         float px = x + 0.5f, py = y + 0.5f;
         float d = std::hypot(px - gx, py - gy) / (80 * u);
         float t = 0.6f - 0.42f * (py - tile.top) / (tile.bottom - tile.top) + 0.3f * (1 - std::min(1.0f, d));
         b->line[y][x] = static_cast<unsigned char>(TILE.at(t, x, y));
      }
}

// the letter, falling, with streaks above the side that hangs lower
void letter(BITMAP *b, float u, int ink, const Layout &l)
{
   const float ex = l.ex * u, ey = l.ey * u, ew = l.ew * u, eh = l.eh * u, angle = 0.32f;
   const float top = (TILE_RECT.top + 7) * u;
   for (int k = 0; k < 3; k++) {
      float lx = ex + (0.05f + 0.2f * k) * ew;
      float edge = ey + (-eh / 2 + (lx - ex) * std::sin(angle)) / std::cos(angle);
      float y1 = edge - 5 * u, y0 = std::max(y1 - (k == 1 ? 16 : 12) * u, top);
      rectfill(b, static_cast<int>(lx - ink / 2), static_cast<int>(y0), static_cast<int>(lx + ink / 2),
               static_cast<int>(y1), CYAN.flat(0.55f));
   }
   Sprite s = envelope(ew, eh, angle, true, EnvelopeLook{ PAPER, RED, INK });
   outline(s, INK, ink - 1);
   stamp_centred(b, s, ex, ey);
}

// the letter for small icons: square on, from the back, its flap shaded
// and edged, and a red seal where the flap ends
void plain_letter(BITMAP *b, float u, int ink, const Layout &l)
{
   const int x0 = static_cast<int>((l.ex - l.ew / 2) * u), x1 = static_cast<int>((l.ex + l.ew / 2) * u);
   const int y0 = static_cast<int>((l.ey - l.eh / 2) * u), y1 = static_cast<int>((l.ey + l.eh / 2) * u);
   const int mid = (x0 + x1) / 2, tip = y0 + (y1 - y0) * 3 / 5;
   rectfill(b, x0 - ink, y0 - ink, x1 - 1 + ink, y1 - 1 + ink, INK);
   for (int y = y0; y < y1; y++)
      for (int x = x0; x < x1; x++)
         b->line[y][x] = static_cast<unsigned char>(PAPER.at(0.95f - 0.3f * (y - y0) / (y1 - y0), x, y));
   int flap[6] = { x0, y0, x1 - 1, y0, mid, tip };
   polygon(b, 3, flap, PAPER.flat(0.7f));
   for (int k = 0; k < SUPER; k++) {
      line(b, x0, y0 + k, mid, tip + k, PAPER.flat(0.3f));
      line(b, x1 - 1, y0 + k, mid, tip + k, PAPER.flat(0.3f));
   }
   circlefill(b, mid, tip, static_cast<int>((y1 - y0) * 0.2f), RED.flat(0.55f));
}

// the banana on its way up, spinning
void fruit(BITMAP *b, float u, int ink, const Layout &l)
{
   const float bx = l.bx * u, by = l.by * u;
   for (int k = 0; k < ink && l.detail; k++)
      spin_marks(b, static_cast<int>(bx), static_cast<int>(by), static_cast<int>(31 * u) + k, -1.15f, SPIN);
   Sprite s = banana(l.bl * u, 0.9f, BananaLook{ BANANA, BROWN, INK });
   outline(s, INK, ink - 1);
   stamp_centred(b, s, bx, by);
}

// nothing reaches over the rim; past it, the shadow or nothing
void frame(BITMAP *b, float u)
{
   const RoundRect tile = scaled(TILE_RECT, u);
   const float rim = std::max(1.5f * u, static_cast<float>(SUPER));
   const float drop = 4 * u, mid = (tile.top + tile.bottom) / 2;
   for (int y = 0; y < b->h; y++)
      for (int x = 0; x < b->w; x++) {
         float px = x + 0.5f, py = y + 0.5f;
         if (tile.inside(px, py, rim + SUPER / 2.0f))
            continue;
         int c = CLEAR;
         if (tile.inside(px, py, rim))
            c = INK;
         else if (tile.inside(px, py, 0))
            c = RIM.flat(py < mid ? 0.8f : 0.15f);
         else if (tile.inside(px, py, 0, drop))
            c = SHADOW;
         b->line[y][x] = static_cast<unsigned char>(c);
      }
}

// the picture, size * SUPER pixels square
BITMAP *draw(int size)
{
   const int n = size * SUPER;
   const float u = n / 128.0f;
   // outlines and strokes a whole pixel or more once scaled down; big icons
   // get heavier ones
   const int ink = size >= 96 ? 2 * SUPER : SUPER;
   const Layout l = layout(size);
   BITMAP *b = create_bitmap(n, n);
   Rng rng(5);
   tile_face(b, u, l);
   if (l.detail)
      letter(b, u, ink, l);
   else
      plain_letter(b, u, ink, l);
   if (l.detail) {
      splat(b, l.hx * u, l.hy * u, l.hr * u, JUICE_EDGE, JUICE_MID, JUICE_CORE, rng);
   }
   else {
      // a plain flash: the spray would only smudge
      const int hx = static_cast<int>(l.hx * u), hy = static_cast<int>(l.hy * u);
      circlefill(b, hx, hy, static_cast<int>(l.hr * u), JUICE_EDGE);
      circlefill(b, hx, hy, static_cast<int>(l.hr * u * 0.7f), JUICE_MID);
      circlefill(b, hx, hy, static_cast<int>(l.hr * u * 0.35f), JUICE_CORE);
   }
   fruit(b, u, ink, l);
   frame(b, u);
   return b;
}

// averages SUPER x SUPER blocks of the drawing into RGBA pixels, weighting
// each colour by how opaque it is
std::vector<uint8_t> shrink(BITMAP *b, const Palette &p, int size)
{
   std::vector<uint8_t> out(static_cast<size_t>(size) * size * 4);
   auto eight = [](int six) { return static_cast<float>((six << 2) | (six >> 4)); };
   for (int y = 0; y < size; y++)
      for (int x = 0; x < size; x++) {
         float r = 0, g = 0, bl = 0, a = 0;
         for (int j = 0; j < SUPER; j++)
            for (int i = 0; i < SUPER; i++) {
               int c = b->line[y * SUPER + j][x * SUPER + i];
               float w = c == CLEAR ? 0.0f : c == SHADOW ? SHADOW_ALPHA : 1.0f;
               if (c == SHADOW)
                  c = INK;
               r += w * eight(p.pal[c].r);
               g += w * eight(p.pal[c].g);
               bl += w * eight(p.pal[c].b);
               a += w;
            }
         uint8_t *o = &out[(static_cast<size_t>(y) * size + x) * 4];
         if (a > 0) {
            o[0] = static_cast<uint8_t>(std::lround(r / a));
            o[1] = static_cast<uint8_t>(std::lround(g / a));
            o[2] = static_cast<uint8_t>(std::lround(bl / a));
         }
         o[3] = static_cast<uint8_t>(std::lround(255 * a / (SUPER * SUPER)));
      }
   return out;
}

}   // namespace

std::vector<uint8_t> icon_rgba(int size)
{
   BITMAP *b = draw(size);
   if (!b)
      return {};
   std::vector<uint8_t> rgba = shrink(b, icon_palette(), size);
   destroy_bitmap(b);
   return rgba;
}
