// the shapes every picture shares: letters, bananas, bursts, balls and barrels
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

// colours each pixel of a square sprite with colour(x, y, u, v), where (u, v)
// is the pixel's offset from the centre turned back by angle radians; a
// colour below zero leaves the pixel empty
template <class Colour> void each_turned(Sprite &s, float angle, Colour colour)
{
   float c = std::cos(angle), sn = std::sin(angle);
   for (int y = 0; y < s.h; y++)
      for (int x = 0; x < s.w; x++) {
         float dx = x + 0.5f - s.w / 2.0f, dy = y + 0.5f - s.h / 2.0f;
         s.set(x, y, colour(x, y, dx * c + dy * sn, -dx * sn + dy * c));
      }
}

// distance from point p to segment ab
float seg(float px, float py, float ax, float ay, float bx, float by)
{
   float dx = bx - ax, dy = by - ay;
   float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
   return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

// a point (u, v) of a letter's face, in its own frame, and where it lands
struct LetterPoint
{
   float u, v, w, h;
   int x, y;
};

// the back: a lit flap, folds, and a red seal where they meet
int letter_back(const LetterPoint &p, float t, const EnvelopeLook &look)
{
   float u = p.u, v = p.v, w = p.w, h = p.h, hw = w / 2, hh = h / 2;
   float tipy = hh * 0.15f;
   bool flap = v < -hh + (u + hw) / hw * (tipy + hh) && v < -hh + (hw - u) / hw * (tipy + hh);
   if (flap)
      t += 0.1f;
   float d =
       std::min({ seg(u, v, -hw, -hh, 0, tipy), seg(u, v, hw, -hh, 0, tipy),
                  seg(u, v, -hw, hh, -hw * 0.1f, -hh * 0.05f), seg(u, v, hw, hh, hw * 0.1f, -hh * 0.05f) });
   int col = look.paper.at(t, p.x, p.y);
   if (d < 0.7f)
      col = look.paper.flat(0.3f);
   if (std::hypot(u, v - tipy) < h * 0.13f)
      col = look.red.at(0.6f - 0.3f * (v - tipy) / (h * 0.13f), p.x, p.y);
   return col;
}

// the front: a white-edged stamp, address lines and perhaps some junk text
int letter_front(const LetterPoint &p, float t, const EnvelopeLook &look, const Mask &jm)
{
   float u = p.u, v = p.v, w = p.w, h = p.h, hw = w / 2, hh = h / 2;
   int col = look.paper.at(t, p.x, p.y);
   float sx0 = hw - w * 0.27f, sx1 = hw - w * 0.07f;
   float sy0 = -hh + h * 0.12f, sy1 = -hh + h * 0.48f;
   if (u >= sx0 && u <= sx1 && v >= sy0 && v <= sy1) {
      float inset = std::max(1.0f, w * 0.025f);
      bool inner = u >= sx0 + inset && u <= sx1 - inset && v >= sy0 + inset && v <= sy1 - inset;
      col = inner ? look.red.at(0.75f - 0.4f * (v - sy0) / (sy1 - sy0), p.x, p.y) : look.paper.flat(1.0f);
   }
   const float rows[3] = { 0.12f, 0.26f, 0.40f };
   const float ends[3] = { 0.30f, 0.22f, 0.26f };
   for (int r = 0; r < 3; r++)
      if (std::fabs(v - rows[r] * h) < std::max(0.6f, h * 0.035f) && u > -w * 0.12f && u < ends[r] * w)
         col = look.paper.flat(0.25f);
   if (jm.w > 0) {
      int jx = static_cast<int>(std::floor(u + hw - w * 0.07f));
      int jy = static_cast<int>(std::floor(v + hh - h * 0.14f));
      if (jm.at(jx, jy))
         col = look.red.flat(0.55f);
   }
   return col;
}

}   // namespace

Sprite envelope(float w, float h, float angle, bool front, const EnvelopeLook &look, const char *junk)
{
   int size = static_cast<int>(std::ceil(std::hypot(w, h))) + 6;
   Sprite s(size, size);
   float hw = w / 2, hh = h / 2;
   Mask jm;
   float jscale = h * 0.13f / 8.0f;
   if (junk && jscale >= 0.9f)
      jm = text_mask(junk, std::max(1.0f, std::round(jscale)), std::max(1.0f, std::round(jscale)));

   each_turned(s, angle, [&](int x, int y, float u, float v) {
      if (std::fabs(u) > hw || std::fabs(v) > hh)
         return -1;
      // a little light from above, a little shade at the bottom
      float t = 0.82f - 0.22f * (v + hh) / h;
      LetterPoint p{ u, v, w, h, x, y };
      return front ? letter_front(p, t, look, jm) : letter_back(p, t, look);
   });
   outline(s, look.ink, 1);
   return s;
}

void falling_letter(BITMAP *b, const Fall &f, const FallLook &look)
{
   for (int k = -1; k <= 1; k++) {
      int lx = static_cast<int>(f.x + k * f.w * look.spread);
      int top = static_cast<int>(f.y - f.w * look.above - look.lift + std::abs(k) * look.step);
      int bottom = static_cast<int>(f.y - f.w * look.reach);
      vline(b, lx, std::max(1, top), std::max(1, bottom), look.colour);
   }
   stamp_centred(b, envelope(f.w, f.w * look.aspect, f.a, f.front, look.env, f.junk), f.x, f.y);
}

Sprite banana(float len, float angle, const BananaLook &look)
{
   const float span = 0.95f;   // half the arc, radians
   float radius = len / (2 * std::sin(span));
   float thick = len * 0.12f;
   float oy = -(radius + radius * std::cos(span)) / 2;   // arc centre, shape centred
   int size = static_cast<int>(std::ceil(len * 1.25f)) + 6;
   Sprite s(size, size);
   each_turned(s, angle, [&](int x, int y, float u, float v) {
      float r = std::hypot(u, v - oy);
      float th = std::atan2(u, v - oy);
      float a = th / span;   // -1..1 along the fruit
      float off = r - radius;
      bool stem = a > 0.78f && a < 1.12f && std::fabs(off) < thick * 0.22f;
      bool body = false;
      float wdt = 0;
      if (std::fabs(a) <= 1.0f) {
         wdt = thick * std::pow(std::max(0.0f, std::cos(a * PI_F / 2)), 0.55f);
         body = std::fabs(off) <= wdt;
      }
      if (stem && !(body && a < 0.86f))
         return look.brown.at(0.8f - 0.5f * (a - 0.78f) / 0.34f, x, y);
      if (!body)
         return -1;
      if (a < -0.9f)
         return look.brown.flat(0.15f);
      float across = off / std::max(wdt, 0.5f);   // -1 inner edge, 1 outer edge
      float t = 0.62f - 0.38f * across;
      if (across > -0.55f && across < -0.2f)
         t += 0.22f;   // the shine along the top
      if (std::fabs(across - 0.35f) < 0.09f && wdt > 3)
         t -= 0.25f;   // a ridge
      return look.body.at(t, x, y);
   });
   outline(s, look.ink, 1);
   return s;
}

// spin marks: two short arcs on either side of a flying banana
void spin_marks(BITMAP *b, int cx, int cy, int r, float turn, int colour)
{
   for (int k = 0; k < 2; k++) {
      float a0 = turn + k * PI_F;
      for (int w = 0; w < 2; w++) {
         // allegro measures arcs in 256ths of a turn
         fixed f0 = ftofix(a0 * 128.0 / PI_F), f1 = ftofix((a0 + 0.9) * 128.0 / PI_F);
         arc(b, cx, cy, f0, f1, r + w, colour);
      }
   }
}

// a burst of juice where a banana meets a letter
void splat(BITMAP *b, float cx, float cy, float r, int edge, int mid, int core, Rng &rng)
{
   const int points = 14;
   int outer[points * 4], inner[points * 4];
   for (int i = 0; i < points * 2; i++) {
      float a = i * PI_F / points + rng.range(-0.08f, 0.08f);
      float rr = (i & 1) ? r * rng.range(0.42f, 0.55f) : r * rng.range(0.8f, 1.05f);
      outer[i * 2] = static_cast<int>(cx + std::cos(a) * rr);
      outer[i * 2 + 1] = static_cast<int>(cy + std::sin(a) * rr);
      inner[i * 2] = static_cast<int>(cx + std::cos(a) * rr * 0.72f);
      inner[i * 2 + 1] = static_cast<int>(cy + std::sin(a) * rr * 0.72f);
   }
   polygon(b, points * 2, outer, edge);
   polygon(b, points * 2, inner, mid);
   circlefill(b, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(r * 0.28f), core);
   for (int i = 0; i < 7; i++) {
      float a = rng.range(0, 2 * PI_F), d = r * rng.range(1.1f, 1.5f);
      int dr = std::max(1, static_cast<int>(r * rng.range(0.05f, 0.1f)));
      circlefill(b, static_cast<int>(cx + std::cos(a) * d), static_cast<int>(cy + std::sin(a) * d), dr + 1,
                 edge);
      circlefill(b, static_cast<int>(cx + std::cos(a) * d), static_cast<int>(cy + std::sin(a) * d), dr, mid);
   }
}

// a shaded disc, lit from the top left
Sprite ball(float r, const Ramp &ramp, float lo, float hi)
{
   int size = static_cast<int>(std::ceil(2 * r)) + 2;
   Sprite s(size, size);
   const float lx = -0.45f, ly = -0.6f, lz = 0.66f;
   for (int y = 0; y < size; y++)
      for (int x = 0; x < size; x++) {
         float nx = (x + 0.5f - size / 2.0f) / r, ny = (y + 0.5f - size / 2.0f) / r;
         float d = nx * nx + ny * ny;
         if (d > 1)
            continue;
         float nz = std::sqrt(1 - d);
         float lit = std::max(0.0f, nx * lx + ny * ly + nz * lz);
         float shine = std::pow(lit, 24.0f);
         s.set(x, y, ramp.at(lo + (hi - lo) * lit + 0.3f * shine, x, y));
      }
   return s;
}

// a barrel running len from the sprite's centre toward angle radians, shaded
// across its width, darker past a band at band_at
Sprite tube(float len, float width, float angle, const Ramp &ramp, int ink, float band_at)
{
   int size = static_cast<int>(std::ceil(len * 2 + width)) + 4;
   Sprite s(size, size);
   each_turned(s, angle, [&](int x, int y, float along, float across) {
      if (along < 0 || along > len || std::fabs(across) > width / 2)
         return -1;
      float k = across / (width / 2);
      float t = 0.55f + 0.4f * std::cos((k + 0.45f) * PI_F / 2) - 0.25f * k;
      if (along > band_at)
         t -= 0.12f;
      if (std::fabs(along - band_at) < 1.5f)
         t = 0.15f;
      return ramp.at(t, x, y);
   });
   outline(s, ink, 1);
   return s;
}
