// A fixed pool: spawning, landing and hits never allocate, and the lowest
// slot wins wherever order matters.
#include "spam.h"

#include "dirty.h"
#include "game.h"

#include <cstdlib>

SPAM spams[MAX_SPAM];

// an envelope with no transparent pixel looks the same copied whole, and
// blit copies rows where draw_sprite tests every pixel; decided from the
// sprite's pixels at every turn's start, the scene being made before it
static BITMAP *opaque_sprite = nullptr;

static bool has_transparent_pixel(BITMAP *bmp)
{
   int mask = bitmap_mask_color(bmp);
   for (int y = 0; y < bmp->h; y++)
      for (int x = 0; x < bmp->w; x++)
         if (getpixel(bmp, x, y) == mask)
            return true;
   return false;
}

void init_spam()
{
   for (SPAM &s : spams)
      s.alive = false;
   opaque_sprite = spam && !has_transparent_pixel(spam) ? spam : nullptr;
}

void add_spam()
{
   for (SPAM &s : spams) {
      if (!s.alive) {
         s.y = -spam->h;
         s.x = rand() % (SCREEN_W - spam->w);
         s.alive = true;
         return;
      }
   }
}

void process_spam()
{
   for (SPAM &s : spams) {
      if (!s.alive)
         continue;
      s.y += 2;
      if (s.y > SCREEN_H) {
         s.alive = false;
         hit_player();
      }
   }
}

void draw_spam(BITMAP *bmp)
{
   // blit clips whatever the clip flag says and converts depths its own way
   bool copy = opaque_sprite == spam && spam && bmp->clip
               && bitmap_color_depth(bmp) == bitmap_color_depth(spam);
   for (const SPAM &s : spams) {
      if (s.alive) {
         if (copy)
            blit(spam, bmp, 0, 0, s.x, s.y, spam->w, spam->h);
         else
            draw_sprite(bmp, spam, s.x, s.y);
         dirty_rectangle(s.x, s.y, spam->w, spam->h);
      }
   }
}

bool spam_collide(int x, int y)
{
   for (SPAM &s : spams) {
      if (s.alive
          && s.y + spam->h >= y && s.y <= y + banana->h
          && s.x + spam->w >= x && s.x <= x + banana->w) {
         s.alive = false;
         return true;
      }
   }
   return false;
}
