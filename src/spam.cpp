// A fixed pool: spawning, landing and hits never allocate, and the lowest
// slot wins wherever order matters.
#include "spam.h"

#include "dirty.h"
#include "game.h"

#include <cstdlib>

SPAM spams[MAX_SPAM];

void init_spam()
{
   for (SPAM &s : spams)
      s.alive = false;
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
   for (const SPAM &s : spams) {
      if (s.alive) {
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
