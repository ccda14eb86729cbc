// drawing helpers: palettes, dithered ramps, sprites and their outlines
#include <algorithm>
#include <cmath>
#include <vector>

#include "assets.h"

namespace {
const int BAYER4[4][4] = { { 0, 8, 2, 10 }, { 12, 4, 14, 6 }, { 3, 11, 1, 9 }, { 15, 7, 13, 5 } };
}

Palette::Palette()
{
   for (int i = 0; i < PAL_SIZE; i++)
      pal[i].r = pal[i].g = pal[i].b = pal[i].filler = 0;
}

void Palette::set(int i, Rgb c)
{
   pal[i].r = static_cast<unsigned char>(std::clamp(c.r, 0, 255) >> 2);
   pal[i].g = static_cast<unsigned char>(std::clamp(c.g, 0, 255) >> 2);
   pal[i].b = static_cast<unsigned char>(std::clamp(c.b, 0, 255) >> 2);
}

void Palette::ramp(int first, int n, std::initializer_list<Rgb> stops)
{
   std::vector<Rgb> s(stops);
   for (int i = 0; i < n; i++) {
      float t = n > 1 ? static_cast<float>(i) / (n - 1) : 0.0f;
      float pos = t * (s.size() - 1);
      int k = std::min(static_cast<int>(pos), static_cast<int>(s.size()) - 2);
      float f = pos - k;
      Rgb a = s[k], b = s[k + 1];
      set(first + i, { static_cast<int>(std::lround(a.r + (b.r - a.r) * f)),
                       static_cast<int>(std::lround(a.g + (b.g - a.g) * f)),
                       static_cast<int>(std::lround(a.b + (b.b - a.b) * f)) });
   }
}

int Ramp::at(float t, int x, int y) const
{
   float v = std::clamp(t, 0.0f, 1.0f) * (n - 1);
   int base = static_cast<int>(v);
   float thr = (BAYER4[y & 3][x & 3] + 0.5f) / 16.0f;
   if (v - base > thr && base < n - 1)
      base++;
   return first + base;
}

int Ramp::flat(float t) const
{
   return first + static_cast<int>(std::lround(std::clamp(t, 0.0f, 1.0f) * (n - 1)));
}

void banana_ramps(Palette &p, const Ramp &body, const Ramp &brown)
{
   p.ramp(body.first, body.n, { { 110, 70, 0 }, { 225, 180, 10 }, { 255, 235, 70 }, { 255, 252, 190 } });
   p.ramp(brown.first, brown.n, { { 40, 24, 8 }, { 130, 84, 30 } });
}

void juice_colours(Palette &p, int edge, int mid, int core)
{
   p.set(edge, { 230, 120, 0 });
   p.set(mid, { 255, 220, 40 });
   p.set(core, { 255, 255, 200 });
}

void outline(Sprite &s, int colour, int thick)
{
   for (int pass = 0; pass < thick; pass++) {
      std::vector<int> grown = s.px;
      for (int y = 0; y < s.h; y++)
         for (int x = 0; x < s.w; x++) {
            if (s.get(x, y) >= 0)
               continue;
            bool edge =
                s.get(x - 1, y) >= 0 || s.get(x + 1, y) >= 0 || s.get(x, y - 1) >= 0 || s.get(x, y + 1) >= 0;
            // diagonals every other pass keep thick outlines round
            if (!edge && (pass & 1))
               edge = s.get(x - 1, y - 1) >= 0 || s.get(x + 1, y - 1) >= 0 || s.get(x - 1, y + 1) >= 0 ||
                      s.get(x + 1, y + 1) >= 0;
            if (edge)
               grown[static_cast<size_t>(y) * s.w + x] = colour;
         }
      s.px.swap(grown);
   }
}

void stamp(BITMAP *b, const Sprite &s, int x0, int y0)
{
   for (int y = 0; y < s.h; y++)
      for (int x = 0; x < s.w; x++) {
         int c = s.get(x, y);
         int bx = x0 + x, by = y0 + y;
         if (c >= 0 && bx >= 0 && by >= 0 && bx < b->w && by < b->h)
            b->line[by][bx] = static_cast<unsigned char>(c);
      }
}

void stamp_centred(BITMAP *b, const Sprite &s, float cx, float cy)
{
   stamp(b, s, static_cast<int>(std::lround(cx - s.w / 2.0f)),
         static_cast<int>(std::lround(cy - s.h / 2.0f)));
}

bool RoundRect::inside(float x, float y, float inset, float dy) const
{
   float l = left + inset, r = right - inset, t = top + inset + dy, bo = bottom - inset + dy;
   float rr = rad - inset;
   float cx = std::clamp(x, l + rr, r - rr), cy = std::clamp(y, t + rr, bo - rr);
   return x >= l && x <= r && y >= t && y <= bo && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rr * rr;
}
