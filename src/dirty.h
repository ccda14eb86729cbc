// Dirty rectangles: whoever draws into the back buffer registers the area
// it covered; the next frame erases those areas from the background, and
// every frame copies only the erased and the newly drawn areas to the screen.
#ifndef JUNKFALL_DIRTY_H
#define JUNKFALL_DIRTY_H

#include <allegro.h>

#include <cstdint>

struct DIRTY_RECT
{
   std::int32_t x, y, w, h;
};

struct DIRTY_LIST
{
   std::int32_t capacity;   // slots allocated
   std::int32_t count;      // slots in use
   DIRTY_RECT *rects;       // null while capacity is 0
};

// appends a rectangle, growing the list to 256, 512, 1024 ... slots
void add_to_list(DIRTY_LIST *list, int x, int y, int w, int h);

// registers an area just drawn into the back buffer
void dirty_rectangle(int x, int y, int w, int h);

// qsort order of rectangles: by top row
int rect_cmp(const void *a, const void *b);

// erases last frame's drawings from bmp (from bg, or colour 0 without one)
// and starts this frame's list
void clear_dirty(BITMAP *bmp, BITMAP *bg);

// copies every erased and every drawn area from bmp to the screen
void draw_dirty(BITMAP *bmp);

#endif
