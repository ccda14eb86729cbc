// mkassets: draws every picture and synthesises every sound of the game into
// the directory given as its argument, for tools/pack_data.sh to pack with
// dat. all of it comes from code with fixed seeds, so two runs write the same
// bytes.
//
// pictures are 8-bit, each with its own palette built from colour ramps;
// shading walks a ramp with ordered dithering, so gradients stay smooth
// without blending. sounds are 16-bit mono wavs at 22050 Hz.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include <allegro.h>

#include "png.h"

namespace {

const float kPi = 3.14159265358979f;

// ---------------------------------------------------------------- random

// our own generator: the standard distributions may differ between
// library versions and the output must not
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // uniform in [0, 1)
    float unit() { return (next() >> 8) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

private:
    uint32_t state_;
};

// ---------------------------------------------------------------- palettes

struct Rgb {
    int r, g, b;  // 0..255, stored as 0..63
};

class Palette {
public:
    Palette()
    {
        for (int i = 0; i < PAL_SIZE; i++)
            pal[i].r = pal[i].g = pal[i].b = pal[i].filler = 0;
    }

    void set(int i, Rgb c)
    {
        pal[i].r = static_cast<unsigned char>(std::clamp(c.r, 0, 255) >> 2);
        pal[i].g = static_cast<unsigned char>(std::clamp(c.g, 0, 255) >> 2);
        pal[i].b = static_cast<unsigned char>(std::clamp(c.b, 0, 255) >> 2);
    }

    // n entries from first, running evenly through the stops
    void ramp(int first, int n, std::initializer_list<Rgb> stops)
    {
        std::vector<Rgb> s(stops);
        for (int i = 0; i < n; i++) {
            float t = n > 1 ? static_cast<float>(i) / (n - 1) : 0.0f;
            float pos = t * (s.size() - 1);
            int k = std::min(static_cast<int>(pos), static_cast<int>(s.size()) - 2);
            float f = pos - k;
            Rgb a = s[k], b = s[k + 1];
            set(first + i, {static_cast<int>(std::lround(a.r + (b.r - a.r) * f)),
                            static_cast<int>(std::lround(a.g + (b.g - a.g) * f)),
                            static_cast<int>(std::lround(a.b + (b.b - a.b) * f))});
        }
    }

    PALETTE pal;
};

const int kBayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// a run of palette entries from dark to light
struct Ramp {
    int first, n;

    // t in 0..1, dithered between neighbouring entries
    int at(float t, int x, int y) const
    {
        float v = std::clamp(t, 0.0f, 1.0f) * (n - 1);
        int base = static_cast<int>(v);
        float thr = (kBayer4[y & 3][x & 3] + 0.5f) / 16.0f;
        if (v - base > thr && base < n - 1)
            base++;
        return first + base;
    }
    int flat(float t) const
    {
        return first + static_cast<int>(std::lround(std::clamp(t, 0.0f, 1.0f) * (n - 1)));
    }
};

// ---------------------------------------------------------------- sprites

// a picture under construction: palette indices, -1 where nothing is drawn
struct Sprite {
    int w = 0, h = 0;
    std::vector<int> px;

    Sprite(int w_, int h_) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_, -1) {}
    int get(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return -1;
        return px[static_cast<size_t>(y) * w + x];
    }
    void set(int x, int y, int c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            px[static_cast<size_t>(y) * w + x] = c;
    }
};

// rings the drawn area with a border of the given thickness
void outline(Sprite &s, int colour, int thick)
{
    for (int pass = 0; pass < thick; pass++) {
        std::vector<int> grown = s.px;
        for (int y = 0; y < s.h; y++)
            for (int x = 0; x < s.w; x++) {
                if (s.get(x, y) >= 0)
                    continue;
                bool edge = s.get(x - 1, y) >= 0 || s.get(x + 1, y) >= 0 || s.get(x, y - 1) >= 0 ||
                            s.get(x, y + 1) >= 0;
                // diagonals every other pass keep thick outlines round
                if (!edge && (pass & 1))
                    edge = s.get(x - 1, y - 1) >= 0 || s.get(x + 1, y - 1) >= 0 ||
                           s.get(x - 1, y + 1) >= 0 || s.get(x + 1, y + 1) >= 0;
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

// ---------------------------------------------------------------- text

// a boolean picture of some text in the built-in 8x8 font, scaled up
struct Mask {
    int w = 0, h = 0;
    std::vector<unsigned char> m;
    bool at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < w && y < h && m[static_cast<size_t>(y) * w + x];
    }
};

// scales with bilinear sampling cut at one half: straight strokes keep their
// edges on the grid while steps on diagonals and corners come out rounded
Mask text_mask(const char *text, float sx, float sy)
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

    // the font leaves blank columns and rows; trim to the ink so that
    // centring is by what shows
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

struct TextLook {
    Ramp fill;            // body, dark to light
    float top = 0.95f;    // fill at the top of the letters
    float bottom = 0.35f; // and at the bottom
    int outline = -1;     // outline colour, none when < 0
    int outline_thick = 1;
    Ramp extrude{0, 0};   // the letters' sides, when depth > 0
    int depth = 0;        // how far the letters stand out, down and right
    int shadow = -1;      // flat drop shadow colour, none when < 0
    int shadow_dx = 0, shadow_dy = 0;
    float bevel = 0.0f;   // how much the edges catch the light
};

// letters with a gradient face, lit edges, solid sides and an outline
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

    // the sides: copies stepping back, darker the deeper they sit
    for (int k = look.depth; k >= 1; k--) {
        float t = 0.2f + 0.8f * (1.0f - static_cast<float>(k) / (look.depth + 1));
        for (int y = 0; y < m.h; y++)
            for (int x = 0; x < m.w; x++)
                if (m.at(x, y)) {
                    int ox = x + pad + k / 2, oy = y + pad + k;
                    s.set(ox, oy, look.extrude.at(t * (0.75f + 0.25f * y / m.h), ox, oy));
                }
    }

    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            if (!m.at(x, y))
                continue;
            float t = look.top + (look.bottom - look.top) * (static_cast<float>(y) / (m.h - 1));
            if (look.bevel > 0) {
                // light from the top left: edges facing it brighten, the others dim
                int reach = std::max(1, static_cast<int>(std::lround(std::min(sx, sy) * 0.35f)));
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
    if (look.outline >= 0)
        outline(s, look.outline, look.outline_thick);
    return s;
}

// ---------------------------------------------------------------- props

struct EnvelopeLook {
    Ramp paper;  // dark to light
    Ramp red;    // stamps and seals
    int ink;     // outline
};

// a letter, front or back, turned by angle radians about its centre; big
// ones carry a line of junk text in red
Sprite envelope(float w, float h, float angle, bool front, const EnvelopeLook &look,
                const char *junk = nullptr)
{
    int size = static_cast<int>(std::ceil(std::hypot(w, h))) + 6;
    Sprite s(size, size);
    float c = std::cos(angle), sn = std::sin(angle);
    float hw = w / 2, hh = h / 2;
    Mask jm;
    float jscale = h * 0.13f / 8.0f;
    if (junk && jscale >= 0.9f)
        jm = text_mask(junk, std::max(1.0f, std::round(jscale)), std::max(1.0f, std::round(jscale)));

    // distance from point p to segment ab
    auto seg = [](float px, float py, float ax, float ay, float bx, float by) {
        float dx = bx - ax, dy = by - ay;
        float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
        return std::hypot(px - ax - t * dx, py - ay - t * dy);
    };

    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
            float u = dx * c + dy * sn, v = -dx * sn + dy * c;
            if (std::fabs(u) > hw || std::fabs(v) > hh)
                continue;
            // a little light from above, a little shade at the bottom
            float t = 0.82f - 0.22f * (v + hh) / h;
            int col;
            if (!front) {
                float tipy = hh * 0.15f;
                bool flap = v < -hh + (u + hw) / hw * (tipy + hh) && v < -hh + (hw - u) / hw * (tipy + hh);
                if (flap)
                    t += 0.1f;
                float d = std::min({seg(u, v, -hw, -hh, 0, tipy), seg(u, v, hw, -hh, 0, tipy),
                                    seg(u, v, -hw, hh, -hw * 0.1f, -hh * 0.05f),
                                    seg(u, v, hw, hh, hw * 0.1f, -hh * 0.05f)});
                col = look.paper.at(t, x, y);
                if (d < 0.7f)
                    col = look.paper.flat(0.3f);
                if (std::hypot(u, v - tipy) < h * 0.13f)
                    col = look.red.at(0.6f - 0.3f * (v - tipy) / (h * 0.13f), x, y);
            } else {
                col = look.paper.at(t, x, y);
                // stamp in the top right corner, white edged
                float sx0 = hw - w * 0.27f, sx1 = hw - w * 0.07f;
                float sy0 = -hh + h * 0.12f, sy1 = -hh + h * 0.48f;
                if (u >= sx0 && u <= sx1 && v >= sy0 && v <= sy1) {
                    float inset = std::max(1.0f, w * 0.025f);
                    bool inner = u >= sx0 + inset && u <= sx1 - inset && v >= sy0 + inset &&
                                 v <= sy1 - inset;
                    col = inner ? look.red.at(0.75f - 0.4f * (v - sy0) / (sy1 - sy0), x, y)
                                : look.paper.flat(1.0f);
                }
                // address lines
                const float rows[3] = {0.12f, 0.26f, 0.40f};
                const float ends[3] = {0.30f, 0.22f, 0.26f};
                for (int r = 0; r < 3; r++)
                    if (std::fabs(v - rows[r] * h) < std::max(0.6f, h * 0.035f) && u > -w * 0.12f &&
                        u < ends[r] * w)
                        col = look.paper.flat(0.25f);
                if (jm.w > 0) {
                    int jx = static_cast<int>(std::floor(u + hw - w * 0.07f));
                    int jy = static_cast<int>(std::floor(v + hh - h * 0.14f));
                    if (jm.at(jx, jy))
                        col = look.red.flat(0.55f);
                }
            }
            s.set(x, y, col);
        }
    outline(s, look.ink, 1);
    return s;
}

struct BananaLook {
    Ramp body;   // dark to light yellow
    Ramp brown;  // stem and tip
    int ink;
};

// a curved banana, len tip to tip, turned by angle radians
Sprite banana(float len, float angle, const BananaLook &look)
{
    const float span = 0.95f;  // half the arc, radians
    float radius = len / (2 * std::sin(span));
    float thick = len * 0.12f;
    float oy = -(radius + radius * std::cos(span)) / 2;  // arc centre, shape centred
    int size = static_cast<int>(std::ceil(len * 1.25f)) + 6;
    Sprite s(size, size);
    float c = std::cos(angle), sn = std::sin(angle);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
            float u = dx * c + dy * sn, v = -dx * sn + dy * c;
            float r = std::hypot(u, v - oy);
            float th = std::atan2(u, v - oy);
            float a = th / span;  // -1..1 along the fruit
            float off = r - radius;
            bool stem = a > 0.78f && a < 1.12f && std::fabs(off) < thick * 0.22f;
            bool body = false;
            float wdt = 0;
            if (std::fabs(a) <= 1.0f) {
                wdt = thick * std::pow(std::max(0.0f, std::cos(a * kPi / 2)), 0.55f);
                body = std::fabs(off) <= wdt;
            }
            if (stem && !(body && a < 0.86f)) {
                s.set(x, y, look.brown.at(0.8f - 0.5f * (a - 0.78f) / 0.34f, x, y));
                continue;
            }
            if (!body)
                continue;
            if (a < -0.9f) {
                s.set(x, y, look.brown.flat(0.15f));
                continue;
            }
            float across = off / std::max(wdt, 0.5f);  // -1 inner edge, 1 outer edge
            float t = 0.62f - 0.38f * across;
            if (across > -0.55f && across < -0.2f)
                t += 0.22f;  // the shine along the top
            if (std::fabs(across - 0.35f) < 0.09f && wdt > 3)
                t -= 0.25f;  // a ridge
            s.set(x, y, look.body.at(t, x, y));
        }
    outline(s, look.ink, 1);
    return s;
}

// spin marks: two short arcs on either side of a flying banana
void spin_marks(BITMAP *b, int cx, int cy, int r, float turn, int colour)
{
    for (int k = 0; k < 2; k++) {
        float a0 = turn + k * kPi;
        for (int w = 0; w < 2; w++) {
            // allegro measures arcs in 256ths of a turn
            fixed f0 = ftofix(a0 * 128.0 / kPi), f1 = ftofix((a0 + 0.9) * 128.0 / kPi);
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
        float a = i * kPi / points + rng.range(-0.08f, 0.08f);
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
        float a = rng.range(0, 2 * kPi), d = r * rng.range(1.1f, 1.5f);
        int dr = std::max(1, static_cast<int>(r * rng.range(0.05f, 0.1f)));
        circlefill(b, static_cast<int>(cx + std::cos(a) * d), static_cast<int>(cy + std::sin(a) * d),
                   dr + 1, edge);
        circlefill(b, static_cast<int>(cx + std::cos(a) * d), static_cast<int>(cy + std::sin(a) * d), dr,
                   mid);
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
    float c = std::cos(angle), sn = std::sin(angle);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
            float along = dx * c + dy * sn, across = -dx * sn + dy * c;
            if (along < 0 || along > len || std::fabs(across) > width / 2)
                continue;
            float k = across / (width / 2);
            float t = 0.55f + 0.4f * std::cos((k + 0.45f) * kPi / 2) - 0.25f * k;
            if (along > band_at)
                t -= 0.12f;
            if (std::fabs(along - band_at) < 1.5f)
                t = 0.15f;
            s.set(x, y, ramp.at(t, x, y));
        }
    outline(s, ink, 1);
    return s;
}

// ---------------------------------------------------------------- title menu

// TITLE_PAL layout; every menu picture uses it
namespace menu {
const int kFrame = 1;  // the menu frames its choices in this
const int kWhite = 2;
const int kInk = 3;
const Ramp kBlue{16, 24};
const Ramp kPurple{40, 24};
const Ramp kGreen{64, 24};
const Ramp kRed{88, 24};
const Ramp kLogo{112, 40};
const Ramp kLogoSide{152, 16};
const Ramp kBanana{168, 24};
const Ramp kBrown{192, 8};
const Ramp kPaper{200, 16};
const Ramp kCyan{216, 16};
const int kJuiceEdge = 248, kJuiceMid = 249, kJuiceCore = 250, kSpin = 251;

Palette palette()
{
    Palette p;
    p.set(0, {0, 0, 0});
    p.set(kFrame, {255, 236, 40});
    p.set(kWhite, {255, 255, 255});
    p.set(kInk, {10, 8, 22});
    p.ramp(kBlue.first, kBlue.n, {{6, 12, 44}, {24, 60, 160}, {70, 130, 235}, {150, 200, 255}});
    p.ramp(kPurple.first, kPurple.n, {{28, 6, 46}, {100, 36, 150}, {170, 90, 220}, {225, 175, 255}});
    p.ramp(kGreen.first, kGreen.n, {{4, 34, 18}, {20, 120, 60}, {60, 190, 110}, {150, 240, 180}});
    p.ramp(kRed.first, kRed.n, {{48, 4, 14}, {170, 24, 50}, {230, 70, 100}, {255, 160, 190}});
    p.ramp(kLogo.first, kLogo.n,
           {{120, 30, 0}, {220, 90, 0}, {255, 150, 0}, {255, 215, 40}, {255, 250, 200}});
    p.ramp(kLogoSide.first, kLogoSide.n, {{40, 8, 24}, {110, 24, 30}, {170, 50, 20}});
    p.ramp(kBanana.first, kBanana.n, {{110, 70, 0}, {225, 180, 10}, {255, 235, 70}, {255, 252, 190}});
    p.ramp(kBrown.first, kBrown.n, {{40, 24, 8}, {130, 84, 30}});
    p.ramp(kPaper.first, kPaper.n, {{90, 100, 130}, {200, 205, 220}, {252, 252, 255}});
    p.ramp(kCyan.first, kCyan.n, {{10, 40, 80}, {40, 160, 230}, {200, 245, 255}});
    p.set(kJuiceEdge, {230, 120, 0});
    p.set(kJuiceMid, {255, 220, 40});
    p.set(kJuiceCore, {255, 255, 200});
    p.set(kSpin, {200, 230, 255});
    return p;
}

const EnvelopeLook kEnvelope{kPaper, kRed, kInk};
const BananaLook kBananaLook{kBanana, kBrown, kInk};

// a bevelled 118 x 47 button: a dark rim, a darker ring, two bevel rings,
// then the face. the menu draws its bright frame exactly over the rim, and
// the dark ring inside keeps that frame crisp
BITMAP *button(const char *label, float sx, float sy, const Ramp &ramp)
{
    const int w = 118, h = 47;
    BITMAP *b = create_bitmap(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int ring = std::min({x, y, w - 1 - x, h - 1 - y});
            // pixels nearer the bottom right edge than the top left are in shade
            bool shade = std::min(w - 1 - x, h - 1 - y) < std::min(x, y);
            int c;
            if (ring == 0)
                c = ramp.first;
            else if (ring == 1)
                c = kInk;  // keeps the menu's frame apart from the bevel
            else if (ring == 2)
                c = shade ? ramp.flat(0.2f) : ramp.flat(0.95f);
            else if (ring == 3)
                c = shade ? ramp.flat(0.3f) : ramp.flat(0.8f);
            else {
                // glassy face: a lighter upper half over a deeper lower one
                float f = (y - 4) / (h - 9.0f);
                float t = y < h / 2 ? 0.72f - 0.12f * f : 0.5f - 0.2f * f;
                if (y == h / 2)
                    t = 0.78f;
                c = ramp.at(t, x, y);
            }
            b->line[y][x] = static_cast<unsigned char>(c);
        }

    TextLook look;
    look.fill = Ramp{kWhite, 1};  // plain white labels
    look.outline = kInk;
    look.shadow = ramp.first;
    look.shadow_dx = sy >= 3 ? 2 : 1;
    look.shadow_dy = sy >= 3 ? 2 : 1;
    Sprite text = fancy_text(label, sx, sy, look);
    int tx = (w - (text.w - look.shadow_dx)) / 2, ty = (h - (text.h - look.shadow_dy)) / 2;
    stamp(b, text, tx, ty);
    return b;
}

BITMAP *logo()
{
    // the menu blits this on black between y 20 and its first buttons at
    // y 274, so it stays under 240 high; its edges are left black
    const int w = 784, h = 236;
    BITMAP *b = create_bitmap(w, h);
    clear_to_color(b, 0);
    Rng rng(20);

    // junk raining down behind the name
    struct Fall {
        float x, y, w, a;
        bool front;
    };
    const Fall falls[] = {{54, 44, 40, -0.35f, true},  {150, 24, 30, 0.3f, false},
                          {290, 22, 34, -0.15f, true}, {500, 22, 30, 0.4f, false},
                          {626, 28, 36, 0.2f, true},   {748, 112, 34, -0.3f, false},
                          {116, 206, 30, 0.25f, false}, {668, 206, 32, 0.3f, true}};
    for (const Fall &f : falls) {
        for (int k = -1; k <= 1; k++) {
            int lx = static_cast<int>(f.x + k * f.w * 0.25f);
            int top = static_cast<int>(f.y - f.w * 0.5f - 14 + std::abs(k) * 4);
            int bottom = static_cast<int>(f.y - f.w * 0.42f);
            vline(b, lx, std::max(1, top), std::max(1, bottom), kCyan.flat(0.45f));
        }
        stamp_centred(b, envelope(f.w, f.w * 0.64f, f.a, f.front, kEnvelope), f.x, f.y);
    }

    TextLook look;
    look.fill = kLogo;
    look.top = 1.0f;
    look.bottom = 0.12f;
    look.outline = kInk;
    look.outline_thick = 4;
    look.extrude = kLogoSide;
    look.depth = 10;
    look.bevel = 0.16f;
    Sprite name = fancy_text("JUNKFALL", 10.0f, 13.0f, look);
    stamp(b, name, (w - name.w) / 2, 40);

    // on the left a banana climbs, spinning, toward a letter on the right
    // that another has just burst
    for (int k = 1; k <= 4; k++)
        circlefill(b, 46 - k * 7, 150 + k * 16, std::max(1, 4 - k / 2), kSpin);
    spin_marks(b, 50, 126, 34, 0.9f, kSpin);
    stamp_centred(b, banana(58, 0.5f, kBananaLook), 50, 126);
    stamp_centred(b, envelope(44, 28, 0.45f, true, kEnvelope), 744, 44);
    splat(b, 736, 50, 24, kJuiceEdge, kJuiceMid, kJuiceCore, rng);

    TextLook tag;
    tag.fill = kCyan;
    tag.top = 1.0f;
    tag.bottom = 0.45f;
    tag.outline = kInk;
    tag.outline_thick = 2;
    tag.shadow = kBlue.first;
    tag.shadow_dx = 2;
    tag.shadow_dy = 2;
    Sprite tagline = fancy_text("DEFEND YOUR INBOX!", 2.5f, 3.0f, tag);
    stamp(b, tagline, (w - tagline.w) / 2, 192);
    return b;
}
}  // namespace menu

// ---------------------------------------------------------------- splash 1

// a made-up studio's card: an apple of pixel blocks and the studio's name
namespace studio {
const int kWhite = 1;
const int kInk = 2;
const int kShadow = 3;
const Ramp kCard{16, 32};
const Ramp kRed{48, 32};
const Ramp kGreen{80, 24};
const Ramp kBrown{104, 8};
const Ramp kGold{112, 32};
const Ramp kSilver{144, 32};
const Ramp kTeal{176, 32};

Palette palette()
{
    Palette p;
    p.set(0, {0, 0, 0});
    p.set(kWhite, {255, 255, 255});
    p.set(kInk, {8, 6, 18});
    p.set(kShadow, {4, 4, 12});
    p.ramp(kCard.first, kCard.n, {{6, 8, 22}, {20, 28, 62}, {44, 62, 118}});
    p.ramp(kRed.first, kRed.n, {{56, 0, 10}, {180, 20, 36}, {240, 70, 60}, {255, 190, 170}});
    p.ramp(kGreen.first, kGreen.n, {{6, 40, 12}, {50, 150, 50}, {190, 250, 150}});
    p.ramp(kBrown.first, kBrown.n, {{40, 22, 8}, {140, 90, 40}});
    p.ramp(kGold.first, kGold.n, {{100, 50, 0}, {220, 150, 20}, {255, 220, 80}, {255, 252, 220}});
    p.ramp(kSilver.first, kSilver.n, {{40, 44, 60}, {150, 160, 185}, {240, 244, 255}});
    p.ramp(kTeal.first, kTeal.n, {{4, 30, 40}, {20, 110, 130}, {120, 230, 230}});
    return p;
}

BITMAP *card()
{
    const int w = 480, h = 270;
    BITMAP *b = create_bitmap(w, h);
    clear_to_color(b, 0);

    // rounded card with a gold rim; corners stay black to meet the screen
    const int rad = 22;
    auto inside = [&](int x, int y, int inset) {
        int l = inset, t = inset, r = w - 1 - inset, bo = h - 1 - inset, rr = rad - inset;
        int cx = std::clamp(x, l + rr, r - rr), cy = std::clamp(y, t + rr, bo - rr);
        return x >= l && x <= r && y >= t && y <= bo &&
               (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rr * rr;
    };
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            if (!inside(x, y, 0))
                continue;
            int c;
            if (!inside(x, y, 2))
                c = kGold.flat(0.25f);
            else if (!inside(x, y, 4))
                c = kGold.flat(y < h / 2 ? 0.85f : 0.55f);
            else if (!inside(x, y, 5))
                c = kInk;
            else {
                // soft light pooled behind the emblem
                float d = std::hypot((x - w / 2.0f) / 260.0f, (y - 96.0f) / 150.0f);
                c = kCard.at(0.9f - 0.75f * std::min(1.0f, d), x, y);
            }
            b->line[y][x] = static_cast<unsigned char>(c);
        }

    // emblem: a teal badge ring, and the apple inside it
    const int ex = w / 2, ey = 88;
    circlefill(b, ex, ey, 62, kInk);
    for (int y = -60; y <= 60; y++)
        for (int x = -60; x <= 60; x++) {
            float d = std::hypot(static_cast<float>(x), static_cast<float>(y));
            if (d > 60)
                continue;
            int c;
            if (d > 52)
                c = kTeal.at(0.8f - 0.5f * (y + 60) / 120.0f, ex + x, ey + y);
            else if (d > 50)
                c = kInk;
            else
                c = kCard.at(0.35f + 0.3f * (1 - d / 50), ex + x, ey + y);
            b->line[ey + y][ex + x] = static_cast<unsigned char>(c);
        }

    // the apple, 12 by 12 blocks, each block bevelled like a tile
    static const char *apple[] = {
        "......bb.gg.",
        ".....b.ggggg",
        "....b..ggg..",
        "..RRRbRRR...",
        ".RRRRRRRRR..",
        "RRrRRRRRRRR.",
        "RrrRRRRRRRR.",
        "RrRRRRRRRRR.",
        "RRRRRRRRRRR.",
        ".RRRRRRRRR..",
        ".RRRRRRRRR..",
        "..RRR.RRR...",
    };
    const int cell = 7;
    int ax = ex - 6 * cell + 3, ay = ey - 6 * cell + 1;
    for (int j = 0; j < 12; j++)
        for (int i = 0; i < 12; i++) {
            char k = apple[j][i];
            if (k == '.')
                continue;
            Ramp r = k == 'g' ? kGreen : k == 'b' ? kBrown : kRed;
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

    TextLook name;
    name.fill = kGold;
    name.top = 1.0f;
    name.bottom = 0.3f;
    name.outline = kInk;
    name.outline_thick = 2;
    name.shadow = kShadow;
    name.shadow_dx = 3;
    name.shadow_dy = 3;
    name.bevel = 0.12f;
    Sprite title = fancy_text("PIXEL ORCHARD", 2.75f, 3.5f, name);
    stamp(b, title, (w - title.w) / 2, 164);

    // a silver rule with the word under it
    for (int x = 70; x < w - 70; x++) {
        float t = 1.0f - std::fabs(x - w / 2.0f) / (w / 2.0f - 70);
        b->line[206][x] = static_cast<unsigned char>(kSilver.at(0.2f + 0.8f * t, x, 206));
        b->line[207][x] = static_cast<unsigned char>(kSilver.at(0.1f + 0.4f * t, x, 207));
    }
    TextLook sub;
    sub.fill = kSilver;
    sub.top = 0.95f;
    sub.bottom = 0.55f;
    sub.outline = kInk;
    Sprite softworks = fancy_text("S O F T W O R K S", 2.0f, 2.0f, sub);
    stamp(b, softworks, (w - softworks.w) / 2, 218);
    return b;
}
}  // namespace studio

// ---------------------------------------------------------------- splash 2

// the title picture: bananas against falling junk mail at dusk
namespace scene {
const int kWhite = 1;
const int kInk = 2;
const int kStar = 3;
const int kJuiceEdge = 4, kJuiceMid = 5, kJuiceCore = 6, kSpin = 7;
const Ramp kSky{16, 64};
const Ramp kSun{80, 16};
const Ramp kCity{96, 16};
const Ramp kWindow{112, 8};
const Ramp kGround{120, 16};
const Ramp kPaper{136, 16};
const Ramp kRed{152, 16};
const Ramp kBanana{168, 24};
const Ramp kBrown{192, 8};
const Ramp kMetal{200, 24};
const Ramp kTitle{224, 32};

Palette palette()
{
    Palette p;
    p.set(0, {0, 0, 0});
    p.set(kWhite, {255, 255, 255});
    p.set(kInk, {12, 8, 24});
    p.set(kStar, {225, 230, 255});
    p.set(kJuiceEdge, {230, 120, 0});
    p.set(kJuiceMid, {255, 220, 40});
    p.set(kJuiceCore, {255, 255, 200});
    p.set(kSpin, {255, 255, 230});
    p.ramp(kSky.first, kSky.n,
           {{6, 8, 38}, {28, 24, 88}, {90, 44, 130}, {190, 80, 120}, {250, 140, 90}, {255, 200, 120}});
    p.ramp(kSun.first, kSun.n, {{255, 90, 70}, {255, 170, 70}, {255, 240, 140}});
    p.ramp(kCity.first, kCity.n, {{20, 10, 40}, {60, 30, 84}, {110, 60, 120}});
    p.ramp(kWindow.first, kWindow.n, {{200, 120, 40}, {255, 240, 150}});
    p.ramp(kGround.first, kGround.n, {{6, 4, 20}, {30, 14, 54}, {70, 30, 90}});
    p.ramp(kPaper.first, kPaper.n, {{90, 90, 130}, {205, 205, 225}, {255, 255, 255}});
    p.ramp(kRed.first, kRed.n, {{70, 0, 20}, {200, 30, 50}, {255, 130, 130}});
    p.ramp(kBanana.first, kBanana.n, {{110, 70, 0}, {225, 180, 10}, {255, 235, 70}, {255, 252, 190}});
    p.ramp(kBrown.first, kBrown.n, {{40, 24, 8}, {130, 84, 30}});
    p.ramp(kMetal.first, kMetal.n, {{16, 18, 30}, {70, 80, 110}, {150, 165, 195}, {240, 248, 255}});
    p.ramp(kTitle.first, kTitle.n,
           {{130, 30, 0}, {230, 100, 0}, {255, 160, 0}, {255, 220, 50}, {255, 255, 220}});
    return p;
}

BITMAP *picture()
{
    const int w = 800, h = 600, horizon = 440;
    BITMAP *b = create_bitmap(w, h);
    Rng rng(7);

    for (int y = 0; y < horizon; y++)
        for (int x = 0; x < w; x++)
            b->line[y][x] = static_cast<unsigned char>(kSky.at(static_cast<float>(y) / horizon, x, y));
    for (int i = 0; i < 140; i++) {
        int x = rng.below(w);
        int y = static_cast<int>(std::pow(rng.unit(), 1.8f) * 260);
        putpixel(b, x, y, kStar);
        if (rng.below(8) == 0) {
            putpixel(b, x - 1, y, kSky.flat(0.5f));
            putpixel(b, x + 1, y, kSky.flat(0.5f));
            putpixel(b, x, y - 1, kSky.flat(0.5f));
            putpixel(b, x, y + 1, kSky.flat(0.5f));
        }
    }

    // a striped sun sinking behind the town
    const int sx = 560, sy = 400, sr = 120;
    for (int y = sy - sr; y <= horizon; y++)
        for (int x = sx - sr; x <= sx + sr; x++) {
            if ((x - sx) * (x - sx) + (y - sy) * (y - sy) > sr * sr)
                continue;
            int below = y - (sy - 30);
            if (below > 0 && (below % 16) < 2 + below / 14)
                continue;  // the cut stripes widen as it sinks
            b->line[y][x] = static_cast<unsigned char>(
                kSun.at(1.0f - static_cast<float>(y - (sy - sr)) / (horizon - (sy - sr)), x, y));
        }

    // two rows of buildings, the far one paler
    for (int layer = 0; layer < 2; layer++) {
        int x = -rng.below(30);
        while (x < w) {
            int bw = 28 + rng.below(46);
            int bh = layer == 0 ? 50 + rng.below(120) : 24 + rng.below(70);
            int top = horizon + 30 - bh;
            float tone = layer == 0 ? 0.55f : 0.22f;
            for (int y = top; y < horizon + 30; y++)
                for (int xx = std::max(0, x); xx < std::min(w, x + bw); xx++)
                    b->line[y][xx] = static_cast<unsigned char>(
                        kCity.at(tone - 0.15f * (xx - x) / bw, xx, y));
            if (layer == 1 || rng.below(3) == 0)
                for (int wy = top + 8; wy < horizon + 20; wy += 10)
                    for (int wx = x + 5; wx + 4 < x + bw - 3; wx += 9)
                        if (rng.below(5) < 2)
                            rectfill(b, wx, wy, wx + 3, wy + 4, kWindow.flat(rng.unit()));
            if (rng.below(4) == 0) {  // an aerial
                vline(b, x + bw / 2, top - 14, top, kCity.flat(tone));
                putpixel(b, x + bw / 2, top - 15, kSun.flat(0.2f));
            }
            x += bw + (layer == 0 ? rng.below(12) : 0);
        }
    }

    // the ground, with a grid running to the horizon
    const int ground = horizon + 30;
    for (int y = ground; y < h; y++)
        for (int x = 0; x < w; x++)
            b->line[y][x] = static_cast<unsigned char>(
                kGround.at(0.55f - 0.5f * (y - ground) / static_cast<float>(h - ground), x, y));
    for (int i = 0; i < 9; i++) {
        float z = static_cast<float>(i + 1) / 9;
        int y = ground + static_cast<int>((h - ground) * z * z);
        hline(b, 0, y, w - 1, kSky.flat(0.62f - 0.12f * z));
    }
    for (int i = -12; i <= 12; i++)
        line(b, w / 2 + i * 24, ground, w / 2 + i * 150, h, kSky.flat(0.6f));
    hline(b, 0, ground, w - 1, kSky.flat(0.85f));

    const EnvelopeLook env{kPaper, kRed, kInk};
    struct Fall {
        float x, y, w, a;
        bool front;
        const char *junk;
    };
    const Fall falls[] = {
        {70, 230, 86, -0.28f, true, "FREE!"},  {190, 330, 60, 0.22f, false, nullptr},
        {300, 226, 48, 0.4f, true, nullptr},   {420, 300, 76, -0.12f, false, nullptr},
        {720, 330, 92, 0.3f, true, "WIN $$$"}, {130, 410, 46, 0.5f, true, nullptr},
        {486, 226, 40, -0.45f, false, nullptr}, {760, 440, 44, -0.2f, false, nullptr},
    };
    for (const Fall &f : falls) {
        for (int k = -1; k <= 1; k++) {
            int lx = static_cast<int>(f.x + k * f.w * 0.28f);
            int top = static_cast<int>(f.y - f.w * 0.55f - 30 + std::abs(k) * 10);
            int bottom = static_cast<int>(f.y - f.w * 0.45f);
            vline(b, lx, top, bottom, kSky.flat(0.9f));
        }
        stamp_centred(b, envelope(f.w, f.w * 0.62f, f.a, f.front, env, f.junk), f.x, f.y);
    }

    // the turret: a domed base with its barrel raised to the right
    const int tx = 330, ty = 560;
    Rng juice(3);
    const BananaLook ban{kBanana, kBrown, kInk};
    const float aim = -0.82f;  // radians, up and to the right
    float ux = std::cos(aim), uy = std::sin(aim);
    for (int i = 0; i < 3; i++) {
        float d = 150 + i * 100.0f;
        float bx = tx + ux * d, by = ty - 8 + uy * d;
        // a dotted trail back toward the barrel
        for (int k = 1; k <= 4; k++)
            circlefill(b, static_cast<int>(bx - ux * k * 16), static_cast<int>(by - uy * k * 16),
                       std::max(1, 4 - k), kSpin);
        spin_marks(b, static_cast<int>(bx), static_cast<int>(by), 34, i * 1.3f, kSpin);
        stamp_centred(b, banana(52, i * 1.7f + 0.3f, ban), bx, by);
    }
    float hx = tx + ux * 440, hy = ty - 8 + uy * 440;
    stamp_centred(b, envelope(70, 44, 0.35f, true, env), hx + 10, hy - 8);
    splat(b, hx, hy, 38, kJuiceEdge, kJuiceMid, kJuiceCore, juice);

    Sprite barrel = tube(100, 26, aim, kMetal, kInk, 80);
    stamp_centred(b, barrel, tx, ty - 22);
    Sprite dome = ball(46, kMetal, 0.15f, 0.95f);
    for (int y = dome.h / 2 + 8; y < dome.h; y++)
        for (int x = 0; x < dome.w; x++)
            dome.set(x, y, -1);  // only the top shows above the plinth
    outline(dome, kInk, 1);
    stamp_centred(b, dome, tx, ty - 22);
    // the plinth
    int plinth[8] = {tx - 70, ty + 40, tx - 56, ty - 16, tx + 56, ty - 16, tx + 70, ty + 40};
    polygon(b, 4, plinth, kInk);
    for (int y = ty - 14; y < ty + 40; y++)
        for (int x = tx - 68; x <= tx + 68; x++) {
            float edge = 56 + 14.0f * (y - (ty - 16)) / 56.0f;
            if (std::fabs(x - tx) > edge - 2)
                continue;
            float t = 0.7f - 0.45f * (x - tx + edge) / (2 * edge) - 0.2f * (y - ty + 14) / 54.0f;
            b->line[y][x] = static_cast<unsigned char>(kMetal.at(t, x, y));
        }
    hline(b, tx - 56, ty - 16, tx + 56, kMetal.flat(0.9f));
    for (int i = -2; i <= 2; i++) {
        circlefill(b, tx + i * 24, ty + 8, 3, kInk);
        circlefill(b, tx + i * 24, ty + 8, 2, kMetal.flat(0.8f));
    }

    TextLook look;
    look.fill = kTitle;
    look.top = 1.0f;
    look.bottom = 0.1f;
    look.outline = kInk;
    look.outline_thick = 4;
    look.extrude = kRed;
    look.depth = 12;
    look.bevel = 0.16f;
    Sprite title = fancy_text("JUNKFALL", 11.0f, 14.0f, look);
    stamp(b, title, (w - title.w) / 2, 24);

    TextLook tag;
    tag.fill = kPaper;
    tag.top = 1.0f;
    tag.bottom = 0.6f;
    tag.outline = kInk;
    tag.outline_thick = 2;
    Sprite tagline = fancy_text("DEFEND YOUR INBOX!", 3.0f, 3.0f, tag);
    stamp(b, tagline, (w - tagline.w) / 2, 168);
    return b;
}
}  // namespace scene

// ---------------------------------------------------------------- icon

// the desktop icon: a letter on a rounded dark-blue tile, burst by a banana
// spinning up from below. drawn in palette like everything else, at kSuper
// times its size, then averaged down to RGBA so that its edges stay smooth
// on any background
namespace icon {
const int kSuper = 4;
const int kClear = 0;   // outside the tile: fully see-through
const int kShadow = 1;  // under the tile: black, partly see-through
const int kInk = 2;
const int kSpin = 3;
const int kJuiceEdge = 4, kJuiceMid = 5, kJuiceCore = 6;
const Ramp kTile{16, 32};
const Ramp kRim{48, 16};
const Ramp kPaper{64, 16};
const Ramp kRed{80, 16};
const Ramp kBanana{96, 24};
const Ramp kBrown{120, 8};
const Ramp kCyan{128, 16};
const float kShadowAlpha = 0.4f;

Palette palette()
{
    Palette p;
    p.set(kInk, {10, 8, 22});
    p.set(kSpin, {200, 230, 255});
    p.set(kJuiceEdge, {230, 120, 0});
    p.set(kJuiceMid, {255, 220, 40});
    p.set(kJuiceCore, {255, 255, 200});
    p.ramp(kTile.first, kTile.n, {{4, 8, 30}, {14, 32, 96}, {36, 78, 176}});
    p.ramp(kRim.first, kRim.n, {{8, 16, 56}, {60, 110, 210}, {170, 210, 255}});
    p.ramp(kPaper.first, kPaper.n, {{90, 100, 130}, {200, 205, 220}, {252, 252, 255}});
    p.ramp(kRed.first, kRed.n, {{70, 0, 20}, {200, 30, 50}, {255, 130, 130}});
    p.ramp(kBanana.first, kBanana.n, {{110, 70, 0}, {225, 180, 10}, {255, 235, 70}, {255, 252, 190}});
    p.ramp(kBrown.first, kBrown.n, {{40, 24, 8}, {130, 84, 30}});
    p.ramp(kCyan.first, kCyan.n, {{10, 40, 80}, {40, 160, 230}, {200, 245, 255}});
    return p;
}

// the picture, size * kSuper pixels square; lengths are given in pixels of
// the 128 icon
BITMAP *draw(int size)
{
    const int n = size * kSuper;
    const float u = n / 128.0f;
    // outlines and strokes a whole pixel or more once scaled down; the small
    // icon gets relatively heavier ones so its shapes still read
    const int ink = size >= 96 ? 2 * kSuper : kSuper;
    BITMAP *b = create_bitmap(n, n);
    clear_to_color(b, kClear);
    Rng rng(5);

    // the tile, a little above its drop shadow
    const float left = 6 * u, right = 122 * u, top = 5 * u, bottom = 119 * u, rad = 26 * u;
    const float drop = 4 * u;
    auto inside = [&](float x, float y, float inset, float dy) {
        float l = left + inset, r = right - inset, t = top + inset + dy, bo = bottom - inset + dy;
        float rr = rad - inset;
        float cx = std::clamp(x, l + rr, r - rr), cy = std::clamp(y, t + rr, bo - rr);
        return x >= l && x <= r && y >= t && y <= bo &&
               (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rr * rr;
    };
    const float rim = std::max(1.5f * u, static_cast<float>(kSuper));
    // light pools where the banana meets the letter
    const float gx = 60 * u, gy = 62 * u;
    // everything outside the face: the bevelled rim, its inner line, the
    // shadow, or nothing
    auto frame = [&](float px, float py) {
        if (inside(px, py, 0, 0))
            return kRim.flat(py < (top + bottom) / 2 ? 0.8f : 0.15f);
        return inside(px, py, 0, drop) ? kShadow : kClear;
    };
    auto face = [&](float px, float py) { return inside(px, py, rim + kSuper / 2.0f, 0); };
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float px = x + 0.5f, py = y + 0.5f;
            float d = std::hypot(px - gx, py - gy) / (80 * u);
            float t = 0.6f - 0.42f * (py - top) / (bottom - top) + 0.3f * (1 - std::min(1.0f, d));
            b->line[y][x] = static_cast<unsigned char>(kTile.at(t, x, y));
        }

    // the letter, falling, with streaks above the side that hangs lower
    const float ex = 82 * u, ey = 44 * u, ew = 62 * u, eh = ew * 0.64f, angle = 0.32f;
    for (int k = 0; k < 3; k++) {
        float lx = ex + (0.05f + 0.2f * k) * ew;
        float edge = ey + (-eh / 2 + (lx - ex) * std::sin(angle)) / std::cos(angle);
        float y1 = edge - 5 * u, y0 = std::max(y1 - (k == 1 ? 16 : 12) * u, top + rim + 3 * u);
        rectfill(b, static_cast<int>(lx - ink / 2), static_cast<int>(y0), static_cast<int>(lx + ink / 2),
                 static_cast<int>(y1), kCyan.flat(0.55f));
    }
    EnvelopeLook env{kPaper, kRed, kInk};
    Sprite letter = envelope(ew, eh, angle, true, env);
    outline(letter, kInk, ink - 1);
    stamp_centred(b, letter, ex, ey);

    // the burst at its lower left corner
    const float hx = 58 * u, hy = 64 * u;
    splat(b, hx, hy, 17 * u, kJuiceEdge, kJuiceMid, kJuiceCore, rng);

    // the banana on its way up, spinning
    const float bx = 38 * u, by = 86 * u;
    for (int k = 0; k < ink; k++)
        spin_marks(b, static_cast<int>(bx), static_cast<int>(by), static_cast<int>(31 * u) + k, -1.15f, kSpin);
    BananaLook ban{kBanana, kBrown, kInk};
    Sprite fruit = banana(54 * u, 0.9f, ban);
    outline(fruit, kInk, ink - 1);
    stamp_centred(b, fruit, bx, by);

    // nothing reaches over the rim
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float px = x + 0.5f, py = y + 0.5f;
            if (!face(px, py))
                b->line[y][x] = static_cast<unsigned char>(inside(px, py, rim, 0) ? kInk : frame(px, py));
        }
    return b;
}

// averages kSuper x kSuper blocks of the drawing into RGBA pixels, weighting
// each colour by how opaque it is
std::vector<uint8_t> shrink(BITMAP *b, const Palette &p, int size)
{
    std::vector<uint8_t> out(static_cast<size_t>(size) * size * 4);
    auto eight = [](int six) { return static_cast<float>((six << 2) | (six >> 4)); };
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float r = 0, g = 0, bl = 0, a = 0;
            for (int j = 0; j < kSuper; j++)
                for (int i = 0; i < kSuper; i++) {
                    int c = b->line[y * kSuper + j][x * kSuper + i];
                    float w = c == kClear ? 0.0f : c == kShadow ? kShadowAlpha : 1.0f;
                    if (c == kShadow)
                        c = kInk;
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
            o[3] = static_cast<uint8_t>(std::lround(255 * a / (kSuper * kSuper)));
        }
    return out;
}
}  // namespace icon

// ---------------------------------------------------------------- sounds

const int kRate = 22050;

using Wave = std::vector<float>;

Wave silence(float seconds)
{
    return Wave(static_cast<size_t>(seconds * kRate), 0.0f);
}

// attack then exponential decay; tau in seconds
float env_ad(float t, float attack, float tau)
{
    if (t < 0)
        return 0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / tau);
}

// a resonant band-pass (state variable) whose centre can move every sample
class Bandpass {
public:
    float run(float in, float hz, float q)
    {
        float f = 2 * std::sin(kPi * std::min(hz, kRate * 0.22f) / kRate);
        low_ += f * band_;
        float high = in - low_ - band_ / q;
        band_ += f * high;
        return band_;
    }

private:
    float low_ = 0, band_ = 0;
};

class Lowpass {
public:
    float run(float in, float hz)
    {
        float a = 1 - std::exp(-2 * kPi * hz / kRate);
        y_ += a * (in - y_);
        return y_;
    }

private:
    float y_ = 0;
};

// fades both ends so no sample starts or stops on a step, then scales to a
// fixed peak well short of full scale
void finish(Wave &w, float peak, float fade_out = 0.03f)
{
    size_t in = static_cast<size_t>(0.004f * kRate), out = static_cast<size_t>(fade_out * kRate);
    for (size_t i = 0; i < w.size(); i++) {
        float g = 1;
        if (i < in)
            g *= static_cast<float>(i) / in;
        if (i + out > w.size()) {
            float k = static_cast<float>(w.size() - i) / out;
            g *= k * k;  // eases out rather than stopping dead
        }
        w[i] *= g;
    }
    float top = 0;
    for (float v : w)
        top = std::max(top, std::fabs(v));
    if (top > 0)
        for (float &v : w)
            v *= peak / top;
    w.front() = 0;
    w.back() = 0;
}

// a tone made of a few harmonics, soft and round
float voice(float phase, float brightness)
{
    return std::sin(phase) + brightness * 0.5f * std::sin(2 * phase) +
           brightness * 0.3f * std::sin(3 * phase) + brightness * brightness * 0.15f * std::sin(5 * phase);
}

float note_hz(int semitones_from_a4)
{
    return 440.0f * std::pow(2.0f, semitones_from_a4 / 12.0f);
}

// banana launch: a falling zap over a puff of air
Wave fire_sound()
{
    Wave w = silence(0.24f);
    Rng rng(8);
    Bandpass bp;
    float phase = 0;
    for (size_t i = 0; i < w.size(); i++) {
        float t = static_cast<float>(i) / kRate;
        float hz = 180 + 1100 * std::exp(-t / 0.045f);
        phase += 2 * kPi * hz / kRate;
        float zap = std::tanh(2.2f * std::sin(phase)) * env_ad(t, 0.003f, 0.05f);
        float air = bp.run(rng.range(-1, 1), 600 + 3500 * std::exp(-t / 0.06f), 1.6f) *
                    env_ad(t, 0.006f, 0.07f);
        w[i] = 0.55f * zap + 0.9f * air;
    }
    finish(w, 0.8f);
    return w;
}

// hit one: a wet splat, a thump under dull noise with a drip after
Wave splat_sound()
{
    Wave w = silence(0.40f);
    Rng rng(11);
    Lowpass lp, lp2;
    float phase = 0, drip = 0;
    for (size_t i = 0; i < w.size(); i++) {
        float t = static_cast<float>(i) / kRate;
        float n = lp.run(rng.range(-1, 1), 300 + 2600 * std::exp(-t / 0.05f));
        n = lp2.run(n, 3000) * env_ad(t, 0.002f, 0.07f) * 2.6f;
        float hz = 55 + 110 * std::exp(-t / 0.04f);
        phase += 2 * kPi * hz / kRate;
        float thump = std::sin(phase) * env_ad(t, 0.003f, 0.08f);
        float d = 0;
        const float drips[2] = {0.17f, 0.26f};
        for (float at : drips) {
            float dt = t - at;
            if (dt > 0 && dt < 0.06f) {
                drip += 2 * kPi * (650 + 700 * dt / 0.06f) / kRate;
                d += 0.25f * std::sin(drip) * env_ad(dt, 0.004f, 0.015f);
            }
        }
        w[i] = 0.8f * n + 0.7f * thump + d;
    }
    finish(w, 0.8f, 0.08f);
    return w;
}

// hit two: a round pop, a quick upward bloop
Wave pop_sound()
{
    Wave w = silence(0.22f);
    Rng rng(12);
    Bandpass bp;
    float phase = 0;
    for (size_t i = 0; i < w.size(); i++) {
        float t = static_cast<float>(i) / kRate;
        float hz = 380 + 900 * (1 - std::exp(-t / 0.02f));
        phase += 2 * kPi * hz / kRate;
        float tone = (std::sin(phase) + 0.3f * std::sin(2 * phase)) * env_ad(t, 0.002f, 0.045f);
        float click = bp.run(rng.range(-1, 1), 2500, 2.0f) * env_ad(t, 0.0008f, 0.004f);
        w[i] = tone + 0.8f * click;
    }
    finish(w, 0.8f);
    return w;
}

// hit three: a crunch, a spray of short gritty crackles over a low rumble
Wave crunch_sound()
{
    Wave w = silence(0.45f);
    Rng rng(13);
    struct Grain {
        float at, len, hz, amp;
    };
    std::vector<Grain> grains;
    for (int i = 0; i < 34; i++) {
        float at = 0.3f * std::pow(rng.unit(), 1.7f);
        grains.push_back({at, rng.range(0.004f, 0.016f), rng.range(900, 4200),
                          rng.range(0.4f, 1.0f) * std::exp(-at / 0.15f)});
    }
    std::vector<Bandpass> bps(grains.size());
    Lowpass rumble;
    float held = 0;
    for (size_t i = 0; i < w.size(); i++) {
        float t = static_cast<float>(i) / kRate;
        float v = 0;
        for (size_t g = 0; g < grains.size(); g++) {
            float dt = t - grains[g].at;
            if (dt < 0 || dt > grains[g].len * 3)
                continue;
            float e = std::sin(kPi * std::min(1.0f, dt / grains[g].len)) * grains[g].amp;
            v += bps[g].run(rng.range(-1, 1), grains[g].hz, 3.0f) * e * 2.5f;
        }
        v += rumble.run(rng.range(-1, 1), 350) * env_ad(t, 0.003f, 0.1f) * 3.0f;
        // hold every fourth sample for a coarse, brittle edge
        if (i % 4 == 0)
            held = v;
        w[i] = held;
    }
    Lowpass smooth;  // takes the buzz off the held steps
    for (float &v : w)
        v = smooth.run(v, 6000);
    finish(w, 0.8f, 0.08f);
    return w;
}

// add a note into w at the given start, with an attack, a hold and a tail
void add_note(Wave &w, float start, float hz, float len, float amp, float brightness, float vibrato)
{
    size_t first = static_cast<size_t>(start * kRate);
    float phase = 0;
    for (size_t i = first; i < w.size(); i++) {
        float t = static_cast<float>(i - first) / kRate;
        float e = t < 0.006f ? t / 0.006f : (t < len ? 1.0f - 0.35f * (t - 0.006f) / len : 0.65f * std::exp(-(t - len) / 0.09f));
        if (t > len + 0.6f)
            break;
        e *= std::exp(-t / 0.9f);
        float f = hz * (1 + vibrato * std::sin(2 * kPi * 5.5f * t) * std::min(1.0f, t / 0.3f));
        phase += 2 * kPi * f / kRate;
        w[i] += amp * e * voice(phase, brightness * std::exp(-t / 0.4f));
    }
}

// the menu jingle: a rising arpeggio landing on a bright chord
Wave jingle_sound()
{
    Wave w = silence(1.8f);
    // semitones from A4: G4 C5 E5 G5, then C6 with E5 and G5
    const int run[] = {-2, 3, 7, 10, 15};
    for (int i = 0; i < 4; i++)
        add_note(w, i * 0.11f, note_hz(run[i]), 0.09f, 0.5f, 0.9f, 0);
    add_note(w, 0.44f, note_hz(15), 0.7f, 0.5f, 0.8f, 0.006f);
    add_note(w, 0.44f, note_hz(10), 0.7f, 0.35f, 0.6f, 0.006f);
    add_note(w, 0.44f, note_hz(7), 0.7f, 0.3f, 0.6f, 0.006f);
    add_note(w, 0.44f, note_hz(-21), 0.7f, 0.45f, 0.4f, 0);  // C3 underneath
    // a soft echo
    size_t lag = static_cast<size_t>(0.16f * kRate);
    for (size_t i = w.size() - 1; i >= lag; i--)
        w[i] += 0.28f * w[i - lag];
    finish(w, 0.8f, 0.3f);
    return w;
}

// a struck bell: inharmonic partials, the high ones dying first
void add_bell(Wave &w, float start, float hz, float amp)
{
    const float ratio[] = {1.0f, 2.0f, 2.76f, 5.4f, 8.93f};
    const float level[] = {1.0f, 0.6f, 0.4f, 0.25f, 0.12f};
    const float tau[] = {0.7f, 0.45f, 0.3f, 0.16f, 0.08f};
    size_t first = static_cast<size_t>(start * kRate);
    for (size_t i = first; i < w.size(); i++) {
        float t = static_cast<float>(i - first) / kRate;
        float v = 0;
        for (int p = 0; p < 5; p++)
            if (hz * ratio[p] < 0.45f * kRate)  // nothing past nyquist to fold back
                v += level[p] * std::sin(2 * kPi * hz * ratio[p] * t) * env_ad(t, 0.002f, tau[p]);
        w[i] += amp * v;
    }
}

// the studio card: a three-stroke chime
Wave chime_sound()
{
    Wave w = silence(1.9f);
    add_bell(w, 0.0f, note_hz(14), 0.6f);   // B5
    add_bell(w, 0.18f, note_hz(19), 0.55f); // E6
    add_bell(w, 0.36f, note_hz(26), 0.5f);  // B6
    add_bell(w, 0.36f, note_hz(7), 0.35f);  // E5 beneath the last
    finish(w, 0.75f, 0.5f);
    return w;
}

// the title picture: a rising whoosh that lands on a chord with a thump
Wave whoosh_sound()
{
    Wave w = silence(1.95f);
    Rng rng(21);
    Bandpass bp1, bp2;
    float thump = 0;
    const float land = 0.62f;
    for (size_t i = 0; i < w.size(); i++) {
        float t = static_cast<float>(i) / kRate;
        float sweep = t < land ? t / land : 1.0f;
        float hz = 250 + 2600 * sweep * sweep;
        float rise = t < land ? std::pow(t / land, 2.0f) : std::exp(-(t - land) / 0.12f);
        float n = rng.range(-1, 1);
        float air = (bp1.run(n, hz, 3.0f) + 0.6f * bp2.run(n, hz * 1.5f, 4.0f)) * rise;
        float dt = t - land;
        float boom = 0;
        if (dt > 0) {
            thump += 2 * kPi * (48 + 70 * std::exp(-dt / 0.05f)) / kRate;
            boom = std::sin(thump) * env_ad(dt, 0.004f, 0.18f);
        }
        w[i] = 0.9f * air + 0.9f * boom;
    }
    // the chord: C major, a little detuned for width
    const int chord[] = {-9, -5, -2, 3};
    for (int n : chord) {
        add_note(w, land, note_hz(n), 0.75f, 0.16f, 0.7f, 0.004f);
        add_note(w, land, note_hz(n) * 1.004f, 0.75f, 0.12f, 0.7f, 0.004f);
    }
    finish(w, 0.8f, 0.4f);
    return w;
}

// ---------------------------------------------------------------- output

bool write_wav(const std::filesystem::path &path, const Wave &w)
{
    std::vector<unsigned char> out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; i++)
            out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto u16 = [&](uint32_t v) {
        out.push_back(static_cast<unsigned char>(v));
        out.push_back(static_cast<unsigned char>(v >> 8));
    };
    auto tag = [&](const char *t) { out.insert(out.end(), t, t + 4); };
    uint32_t data = static_cast<uint32_t>(w.size() * 2);
    tag("RIFF");
    u32(36 + data);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    tag("data");
    u32(data);
    for (float v : w) {
        long s = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        u16(static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(s))));
    }
    FILE *f = std::fopen(path.string().c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// the icon at its final size, as a PNG
bool write_icon(const std::filesystem::path &path, int size)
{
    BITMAP *b = icon::draw(size);
    if (!b)
        return false;
    std::vector<uint8_t> rgba = icon::shrink(b, icon::palette(), size);
    destroy_bitmap(b);
    return png::write_rgba(path.string(), size, size, rgba);
}

bool write_picture(const std::filesystem::path &path, BITMAP *b, const Palette &p)
{
    bool ok = b && save_bitmap(path.string().c_str(), b, p.pal) == 0;
    if (b)
        destroy_bitmap(b);
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    // the desktop icons are not part of the data file, so they come from a
    // run of their own
    bool icons = argc == 3 && std::string(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n       %s --icons OUTPUT_DIR\n", argv[0], argv[0]);
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "mkassets: cannot start allegro\n");
        return 1;
    }
    set_color_depth(8);

    std::filesystem::path dir(argv[argc - 1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "mkassets: cannot make %s: %s\n", argv[argc - 1], ec.message().c_str());
        return 1;
    }

    if (icons) {
        for (int size : {48, 128}) {
            std::string name = "junkfall-" + std::to_string(size) + ".png";
            if (!write_icon(dir / name, size)) {
                std::fprintf(stderr, "mkassets: cannot write %s\n", name.c_str());
                return 1;
            }
        }
        return 0;
    }

    bool ok = true;
    auto picture = [&](const char *name, BITMAP *b, const Palette &p) {
        if (!write_picture(dir / name, b, p)) {
            std::fprintf(stderr, "mkassets: cannot write %s\n", name);
            ok = false;
        }
    };
    auto sound = [&](const char *name, const Wave &w) {
        if (!write_wav(dir / name, w)) {
            std::fprintf(stderr, "mkassets: cannot write %s\n", name);
            ok = false;
        }
    };

    Palette menu_pal = menu::palette();
    picture("title.pcx", menu::logo(), menu_pal);
    struct Button {
        const char *file, *label;
        float sx, sy;
        Ramp ramp;
    };
    const Button buttons[] = {
        {"players1.pcx", "1 PLAYER", 1.25f, 2.0f, menu::kBlue},
        {"players2.pcx", "2 PLAYERS", 1.25f, 2.0f, menu::kBlue},
        {"players3.pcx", "3 PLAYERS", 1.25f, 2.0f, menu::kBlue},
        {"players4.pcx", "4 PLAYERS", 1.25f, 2.0f, menu::kBlue},
        {"time30.pcx", "30 SEC", 2.0f, 2.0f, menu::kPurple},
        {"time60.pcx", "60 SEC", 2.0f, 2.0f, menu::kPurple},
        {"time120.pcx", "2 MIN", 2.0f, 2.0f, menu::kPurple},
        {"time180.pcx", "3 MIN", 2.0f, 2.0f, menu::kPurple},
        {"time300.pcx", "5 MIN", 2.0f, 2.0f, menu::kPurple},
        {"play.pcx", "PLAY", 3.0f, 3.0f, menu::kGreen},
        {"quit.pcx", "QUIT", 3.0f, 3.0f, menu::kRed},
    };
    for (const Button &bt : buttons)
        picture(bt.file, menu::button(bt.label, bt.sx, bt.sy, bt.ramp), menu_pal);
    picture("splash1.pcx", studio::card(), studio::palette());
    picture("splash2.pcx", scene::picture(), scene::palette());

    sound("fire.wav", fire_sound());
    sound("hit1.wav", splat_sound());
    sound("hit2.wav", pop_sound());
    sound("hit3.wav", crunch_sound());
    sound("title.wav", jingle_sound());
    sound("splash1.wav", chime_sound());
    sound("splash2.wav", whoosh_sound());
    return ok ? 0 : 1;
}
END_OF_MAIN()
