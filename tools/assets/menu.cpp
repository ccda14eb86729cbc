// the title menu's art: the logo over falling junk, and the bevelled buttons
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

// TITLE_PAL layout; every menu picture uses it
const int FRAME = 1;   // the menu frames its choices in this
const int WHITE = 2;
const int INK = 3;
const Ramp BLUE{ 16, 24 };
const Ramp PURPLE{ 40, 24 };
const Ramp GREEN{ 64, 24 };
const Ramp RED{ 88, 24 };
const Ramp LOGO{ 112, 40 };
const Ramp LOGO_SIDE{ 152, 16 };
const Ramp BANANA{ 168, 24 };
const Ramp BROWN{ 192, 8 };
const Ramp PAPER{ 200, 16 };
const Ramp CYAN{ 216, 16 };
const int JUICE_EDGE = 248, JUICE_MID = 249, JUICE_CORE = 250, SPIN = 251;

const EnvelopeLook ENVELOPE{ PAPER, RED, INK };
const BananaLook BANANA_LOOK{ BANANA, BROWN, INK };

// a button's pixel: a dark rim, a darker ring, two bevel rings, then the
// face. the menu draws its bright frame exactly over the rim, and the dark
// ring inside keeps that frame crisp
int button_pixel(int x, int y, int w, int h, const Ramp &ramp)
{
   int ring = std::min({ x, y, w - 1 - x, h - 1 - y });
   // pixels nearer the bottom right edge than the top left are in shade
   bool shade = std::min(w - 1 - x, h - 1 - y) < std::min(x, y);
   if (ring == 0)
      return ramp.first;
   if (ring == 1)
      return INK;
   if (ring == 2)
      return shade ? ramp.flat(0.2f) : ramp.flat(0.95f);
   if (ring == 3)
      return shade ? ramp.flat(0.3f) : ramp.flat(0.8f);
   // glassy face: a lighter upper half over a deeper lower one
   float f = (y - 4) / (h - 9.0f);
   float t = y < h / 2 ? 0.72f - 0.12f * f : 0.5f - 0.2f * f;
   if (y == h / 2)
      t = 0.78f;
   return ramp.at(t, x, y);
}

// the name, with junk raining down behind it
void logo_name(BITMAP *b)
{
   const Fall falls[] = { { 54, 44, 40, -0.35f, true, nullptr },   { 150, 24, 30, 0.3f, false, nullptr },
                          { 290, 22, 34, -0.15f, true, nullptr },  { 500, 22, 30, 0.4f, false, nullptr },
                          { 626, 28, 36, 0.2f, true, nullptr },    { 748, 112, 34, -0.3f, false, nullptr },
                          { 116, 206, 30, 0.25f, false, nullptr }, { 668, 206, 32, 0.3f, true, nullptr } };
   const FallLook fall{ ENVELOPE, 0.64f, 0.25f, 0.5f, 14, 4, 0.42f, CYAN.flat(0.45f) };
   for (const Fall &f : falls)
      falling_letter(b, f, fall);

   TextLook look;
   look.fill = LOGO;
   look.top = 1.0f;
   look.bottom = 0.12f;
   look.outline = INK;
   look.outline_thick = 4;
   look.extrude = LOGO_SIDE;
   look.depth = 10;
   look.bevel = 0.16f;
   Sprite name = fancy_text("JUNKFALL", 10.0f, 13.0f, look);
   stamp(b, name, (b->w - name.w) / 2, 40);
}

}   // namespace

Palette menu_palette()
{
   Palette p;
   p.set(0, { 0, 0, 0 });
   p.set(FRAME, { 255, 236, 40 });
   p.set(WHITE, { 255, 255, 255 });
   p.set(INK, { 10, 8, 22 });
   p.ramp(BLUE.first, BLUE.n, { { 6, 12, 44 }, { 24, 60, 160 }, { 70, 130, 235 }, { 150, 200, 255 } });
   p.ramp(PURPLE.first, PURPLE.n, { { 28, 6, 46 }, { 100, 36, 150 }, { 170, 90, 220 }, { 225, 175, 255 } });
   p.ramp(GREEN.first, GREEN.n, { { 4, 34, 18 }, { 20, 120, 60 }, { 60, 190, 110 }, { 150, 240, 180 } });
   p.ramp(RED.first, RED.n, { { 48, 4, 14 }, { 170, 24, 50 }, { 230, 70, 100 }, { 255, 160, 190 } });
   p.ramp(LOGO.first, LOGO.n,
          { { 120, 30, 0 }, { 220, 90, 0 }, { 255, 150, 0 }, { 255, 215, 40 }, { 255, 250, 200 } });
   p.ramp(LOGO_SIDE.first, LOGO_SIDE.n, { { 40, 8, 24 }, { 110, 24, 30 }, { 170, 50, 20 } });
   banana_ramps(p, BANANA, BROWN);
   p.ramp(PAPER.first, PAPER.n, { { 90, 100, 130 }, { 200, 205, 220 }, { 252, 252, 255 } });
   p.ramp(CYAN.first, CYAN.n, { { 10, 40, 80 }, { 40, 160, 230 }, { 200, 245, 255 } });
   juice_colours(p, JUICE_EDGE, JUICE_MID, JUICE_CORE);
   p.set(SPIN, { 200, 230, 255 });
   return p;
}

const std::vector<ButtonStyle> &menu_buttons()
{
   static const std::vector<ButtonStyle> buttons = {
      { "players1.pcx", "1 PLAYER", 1.25f, 2.0f, BLUE },
      { "players2.pcx", "2 PLAYERS", 1.25f, 2.0f, BLUE },
      { "players3.pcx", "3 PLAYERS", 1.25f, 2.0f, BLUE },
      { "players4.pcx", "4 PLAYERS", 1.25f, 2.0f, BLUE },
      { "time30.pcx", "30 SEC", 2.0f, 2.0f, PURPLE },
      { "time60.pcx", "60 SEC", 2.0f, 2.0f, PURPLE },
      { "time120.pcx", "2 MIN", 2.0f, 2.0f, PURPLE },
      { "time180.pcx", "3 MIN", 2.0f, 2.0f, PURPLE },
      { "time300.pcx", "5 MIN", 2.0f, 2.0f, PURPLE },
      { "play.pcx", "PLAY", 3.0f, 3.0f, GREEN },
      { "quit.pcx", "QUIT", 3.0f, 3.0f, RED },
   };
   return buttons;
}

// a bevelled 118 x 47 button with a plain white label
BITMAP *menu_button(const ButtonStyle &style)
{
   const int w = 118, h = 47;
   BITMAP *b = create_bitmap(w, h);
   for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++)
         b->line[y][x] = static_cast<unsigned char>(button_pixel(x, y, w, h, style.ramp));

   TextLook look;
   look.fill = Ramp{ WHITE, 1 };
   look.outline = INK;
   look.shadow = style.ramp.first;
   look.shadow_dx = style.sy >= 3 ? 2 : 1;
   look.shadow_dy = style.sy >= 3 ? 2 : 1;
   Sprite text = fancy_text(style.label, style.sx, style.sy, look);
   int tx = (w - (text.w - look.shadow_dx)) / 2, ty = (h - (text.h - look.shadow_dy)) / 2;
   stamp(b, text, tx, ty);
   return b;
}

BITMAP *menu_logo()
{
   // the menu blits this on black between y 20 and its first buttons at
   // y 274, so it stays under 240 high; its edges are left black
   const int w = 784, h = 236;
   BITMAP *b = create_bitmap(w, h);
   clear_to_color(b, 0);
   Rng rng(20);
   logo_name(b);

   // on the left a banana climbs, spinning, toward a letter on the right
   // that another has just burst
   for (int k = 1; k <= 4; k++)
      circlefill(b, 46 - k * 7, 150 + k * 16, std::max(1, 4 - k / 2), SPIN);
   spin_marks(b, 50, 126, 34, 0.9f, SPIN);
   stamp_centred(b, banana(58, 0.5f, BANANA_LOOK), 50, 126);
   stamp_centred(b, envelope(44, 28, 0.45f, true, ENVELOPE), 744, 44);
   splat(b, 736, 50, 24, JUICE_EDGE, JUICE_MID, JUICE_CORE, rng);

   TextLook tag;
   tag.fill = CYAN;
   tag.top = 1.0f;
   tag.bottom = 0.45f;
   tag.outline = INK;
   tag.outline_thick = 2;
   tag.shadow = BLUE.first;
   tag.shadow_dx = 2;
   tag.shadow_dy = 2;
   Sprite tagline = fancy_text("DEFEND YOUR INBOX!", 2.5f, 3.0f, tag);
   stamp(b, tagline, (w - tagline.w) / 2, 192);
   return b;
}
