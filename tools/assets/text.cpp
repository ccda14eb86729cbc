// text: the built-in font scaled up smoothly, then shaded, extruded and outlined
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

// scales with bilinear sampling cut at one half: straight strokes keep their
// edges on the grid while steps on diagonals and corners come out rounded
Mask scaled_text(const char *text, float sx, float sy)
{
   int tw = text_length(font, text), th = text_height(font);
   BITMAP *src = create_bitmap(tw, th);
   clear_to_color(src, 0);
   textout_ex(src, font, text, 0, 0, 1, -1);
   auto on = [&](int x, int y) {
      return (x >= 0 && y >= 0 && x < tw && y < th && src->line[y][x]) ? 1.0f : 0.0f;
   };

   Mask full;
   full.w = static_cast<int>(std::ceil(tw * sx));
   full.h = static_cast<int>(std::ceil(th * sy));
   full.m.assign(static_cast<size_t>(full.w) * full.h, 0);
   for (int y = 0; y < full.h; y++)
      for (int x = 0; x < full.w; x++) {
         float fx = (x + 0.5f) / sx - 0.5f, fy = (y + 0.5f) / sy - 0.5f;
         int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
         float ax = fx - ix, ay = fy - iy;
         float v = on(ix, iy) * (1 - ax) * (1 - ay) + on(ix + 1, iy) * ax * (1 - ay) +
                   on(ix, iy + 1) * (1 - ax) * ay + on(ix + 1, iy + 1) * ax * ay;
         full.m[static_cast<size_t>(y) * full.w + x] = v >= 0.5f;
      }
   destroy_bitmap(src);
   return full;
}

// the font leaves blank columns and rows; trimmed to the ink, centring goes
// by what shows
Mask trimmed(const Mask &full)
{
   int x0 = full.w, y0 = full.h, x1 = -1, y1 = -1;
   for (int y = 0; y < full.h; y++)
      for (int x = 0; x < full.w; x++)
         if (full.at(x, y)) {
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
         }
   Mask out;
   if (x1 < 0)
      return out;
   out.w = x1 - x0 + 1;
   out.h = y1 - y0 + 1;
   out.m.resize(static_cast<size_t>(out.w) * out.h);
   for (int y = 0; y < out.h; y++)
      for (int x = 0; x < out.w; x++)
         out.m[static_cast<size_t>(y) * out.w + x] = full.at(x + x0, y + y0);
   return out;
}

// the letters' sides: copies stepping back, darker the deeper they sit
void extrude(Sprite &s, const Mask &m, int pad, const TextLook &look)
{
   for (int k = look.depth; k >= 1; k--) {
      float t = 0.2f + 0.8f * (1.0f - static_cast<float>(k) / (look.depth + 1));
      for (int y = 0; y < m.h; y++)
         for (int x = 0; x < m.w; x++)
            if (m.at(x, y)) {
               int ox = x + pad + k / 2, oy = y + pad + k;
               s.set(ox, oy, look.extrude.at(t * (0.75f + 0.25f * y / m.h), ox, oy));
            }
   }
}

// the letters' face, lit from the top left: edges facing the light
// brighten, the others dim
void face(Sprite &s, const Mask &m, int pad, float sx, float sy, const TextLook &look)
{
   int reach = std::max(1, static_cast<int>(std::lround(std::min(sx, sy) * 0.35f)));
   for (int y = 0; y < m.h; y++)
      for (int x = 0; x < m.w; x++) {
         if (!m.at(x, y))
            continue;
         float t = look.top + (look.bottom - look.top) * (static_cast<float>(y) / (m.h - 1));
         if (look.bevel > 0) {
            bool lit = false, dark = false;
            for (int k = 1; k <= reach; k++) {
               lit = lit || !m.at(x - k, y - k) || !m.at(x, y - k);
               dark = dark || !m.at(x + k, y + k) || !m.at(x, y + k);
            }
            if (lit && !dark)
               t += look.bevel;
            else if (dark && !lit)
               t -= look.bevel;
         }
         s.set(x + pad, y + pad, look.fill.at(t, x, y));
      }
}

}   // namespace

Mask text_mask(const char *text, float sx, float sy)
{
   return trimmed(scaled_text(text, sx, sy));
}

Sprite fancy_text(const char *text, float sx, float sy, const TextLook &look)
{
   Mask m = text_mask(text, sx, sy);
   int pad = (look.outline >= 0 ? look.outline_thick : 0) + 1;
   int extra_x = std::max(look.depth / 2, look.shadow >= 0 ? look.shadow_dx : 0);
   int extra_y = std::max(look.depth, look.shadow >= 0 ? look.shadow_dy : 0);
   Sprite s(m.w + 2 * pad + extra_x, m.h + 2 * pad + extra_y);

   if (look.shadow >= 0)
      for (int y = 0; y < m.h; y++)
         for (int x = 0; x < m.w; x++)
            if (m.at(x, y))
               s.set(x + pad + look.shadow_dx, y + pad + look.shadow_dy, look.shadow);
   extrude(s, m, pad, look);
   face(s, m, pad, sx, sy, look);
   if (look.outline >= 0)
      outline(s, look.outline, look.outline_thick);
   return s;
}
