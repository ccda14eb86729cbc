// The falling envelopes: a fixed pool of slots, scanned in index order.
#ifndef JUNKFALL_SPAM_H
#define JUNKFALL_SPAM_H

#include <allegro.h>

#include <cstdint>

struct SPAM
{
   std::int32_t x;   // left edge of the sprite
   std::int32_t y;   // top edge; falls 2 pixels a tick
   bool alive;       // the slot holds a spam in play
};

#define MAX_SPAM 100

extern SPAM spams[MAX_SPAM];

// frees every slot
void init_spam();

// drops a new spam from above the screen into the first free slot
void add_spam();

// one tick: every spam falls; one past the bottom costs the player health
void process_spam();

// draws every spam into bmp and registers its box
void draw_spam(BITMAP *bmp);

// true when the banana box at (x, y) touches a spam, which is then freed
bool spam_collide(int x, int y);

#endif
