// mkassets' shared pieces: palettes, dithered ramps, sprites, text and shapes
#ifndef JUNKFALL_ASSETS_H
#define JUNKFALL_ASSETS_H

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include <allegro.h>

const float PI_F = 3.14159265358979f;

// our own generator: the standard distributions may differ between library
// versions and the output must not
class Rng
{
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

struct Rgb
{
   int r, g, b;   // 0..255, stored as 0..63
};

struct Palette
{
   Palette();
   void set(int i, Rgb c);
   // n entries from first, running evenly through the stops
   void ramp(int first, int n, std::initializer_list<Rgb> stops);
   PALETTE pal;
};

// a run of palette entries from dark to light
struct Ramp
{
   int first, n;
   // t in 0..1, dithered between neighbouring entries
   int at(float t, int x, int y) const;
   int flat(float t) const;
};

// the fruit's colours, the same in every picture that shows one
void banana_ramps(Palette &p, const Ramp &body, const Ramp &brown);
// the colours of a burst of juice
void juice_colours(Palette &p, int edge, int mid, int core);

// a picture under construction: palette indices, -1 where nothing is drawn
struct Sprite
{
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
void outline(Sprite &s, int colour, int thick);
void stamp(BITMAP *b, const Sprite &s, int x0, int y0);
void stamp_centred(BITMAP *b, const Sprite &s, float cx, float cy);

// a rectangle with rounded corners; inset shrinks it, dy moves it down
struct RoundRect
{
   float left, top, right, bottom, rad;
   bool inside(float x, float y, float inset, float dy = 0) const;
};

// a boolean picture of some text in the built-in 8x8 font, scaled up and
// trimmed to its ink
struct Mask
{
   int w = 0, h = 0;
   std::vector<unsigned char> m;
   bool at(int x, int y) const
   {
      return x >= 0 && y >= 0 && x < w && y < h && m[static_cast<size_t>(y) * w + x];
   }
};
Mask text_mask(const char *text, float sx, float sy);

struct TextLook
{
   Ramp fill;   // body, dark to light
   float top = 0.95f;   // fill at the top of the letters
   float bottom = 0.35f;   // and at the bottom
   int outline = -1;   // outline colour, none when < 0
   int outline_thick = 1;
   Ramp extrude{ 0, 0 };   // the letters' sides, when depth > 0
   int depth = 0;   // how far the letters stand out, down and right
   int shadow = -1;   // flat drop shadow colour, none when < 0
   int shadow_dx = 0, shadow_dy = 0;
   float bevel = 0.0f;   // how much the edges catch the light
};
// letters with a gradient face, lit edges, solid sides and an outline
Sprite fancy_text(const char *text, float sx, float sy, const TextLook &look);

struct EnvelopeLook
{
   Ramp paper;   // dark to light
   Ramp red;   // stamps and seals
   int ink;   // outline
};
// a letter, front or back, turned by angle radians about its centre; big
// ones carry a line of junk text in red
Sprite envelope(float w, float h, float angle, bool front, const EnvelopeLook &look,
                const char *junk = nullptr);

// a letter falling through streaks of air
struct Fall
{
   float x, y, w, a;
   bool front;
   const char *junk;
};
// how a picture draws its falling letters' streaks and proportions
struct FallLook
{
   EnvelopeLook env;
   float aspect;   // letter height over width
   float spread;   // streak spacing, of the letter's width
   float above, lift, step;   // streak tops: above the letter, raised, outer ones lower
   float reach;   // streak bottoms, above the centre
   int colour;
};
void falling_letter(BITMAP *b, const Fall &f, const FallLook &look);

struct BananaLook
{
   Ramp body;   // dark to light yellow
   Ramp brown;   // stem and tip
   int ink;
};
// a curved banana, len tip to tip, turned by angle radians
Sprite banana(float len, float angle, const BananaLook &look);
// spin marks: two short arcs on either side of a flying banana
void spin_marks(BITMAP *b, int cx, int cy, int r, float turn, int colour);
// a burst of juice where a banana meets a letter
void splat(BITMAP *b, float cx, float cy, float r, int edge, int mid, int core, Rng &rng);
// a shaded disc, lit from the top left
Sprite ball(float r, const Ramp &ramp, float lo, float hi);
// a barrel running len from the centre toward angle radians
Sprite tube(float len, float width, float angle, const Ramp &ramp, int ink, float band_at);

// the title menu's pictures, all in its one palette
Palette menu_palette();
BITMAP *menu_logo();
struct ButtonStyle
{
   const char *file, *label;
   float sx, sy;
   Ramp ramp;
};
// the menu's buttons, in the order they are written
const std::vector<ButtonStyle> &menu_buttons();
BITMAP *menu_button(const ButtonStyle &style);

// the studio card shown first
Palette studio_palette();
BITMAP *studio_card();

// the title picture
Palette scene_palette();
BITMAP *scene_picture();

// the desktop icon, size pixels square, four bytes a pixel row by row
std::vector<uint8_t> icon_rgba(int size);
// the icon as a PNG, and as an XPM C source for the window
bool write_icon_png(const std::filesystem::path &path, int size);
bool write_icon_xpm(const std::filesystem::path &path, int size);

// every sound of the game, as 16-bit mono wavs at 22050 Hz, into dir
bool write_sounds(const std::filesystem::path &dir);

#endif
