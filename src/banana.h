// The bananas in flight, oldest first.
#ifndef JUNKFALL_BANANA_H
#define JUNKFALL_BANANA_H

#include <allegro.h>

#include <cstdint>

struct BANANA
{
   std::int32_t x;   // left edge of the sprite's box
   std::int32_t y;   // top edge; rises 6 pixels a tick
   fixed angle;      // spin, 256.0 to a full turn
   BANANA *next;     // the next younger banana
};

extern BANANA *banana_list;   // the oldest banana, or null

// fires a banana with its sprite's top-left at (x, y); null when out of memory
BANANA *add_banana(int x, int y);

// removes b from the list and returns the banana that followed it
BANANA *delete_banana(BANANA *b);

// removes every banana
void clear_bananas();

// draws every banana into bmp and registers its box
void draw_bananas(BITMAP *bmp);

// one tick: every banana rises and spins, leaves the screen or hits a spam
void process_bananas();

#endif
