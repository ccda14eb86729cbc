// The two lists trade their arrays every frame, so a steady game reuses the
// same memory and allocates nothing per frame.
#include "dirty.h"

#include <cstdlib>
#include <utility>

static DIRTY_LIST dirty;
static DIRTY_LIST old_dirty;

void add_to_list(DIRTY_LIST *list, int x, int y, int w, int h)
{
   if (list->count >= list->capacity) {
      std::int32_t grown = list->capacity ? list->capacity * 2 : 256;
      void *rects = realloc(list->rects, grown * sizeof(DIRTY_RECT));
      if (!rects)
         return;   // out of memory: this area is not redrawn, nothing breaks
      list->rects = static_cast<DIRTY_RECT *>(rects);
      list->capacity = grown;
   }
   DIRTY_RECT *r = &list->rects[list->count++];
   r->x = x;
   r->y = y;
   r->w = w;
   r->h = h;
}

void dirty_rectangle(int x, int y, int w, int h)
{
   add_to_list(&dirty, x, y, w, h);
}

int rect_cmp(const void *a, const void *b)
{
   return static_cast<const DIRTY_RECT *>(a)->y - static_cast<const DIRTY_RECT *>(b)->y;
}

void clear_dirty(BITMAP *bmp, BITMAP *bg)
{
   for (int i = 0; i < dirty.count; i++) {
      const DIRTY_RECT &r = dirty.rects[i];
      if (r.w == 1 && r.h == 1) {
         putpixel(bmp, r.x, r.y, bg ? getpixel(bg, r.x, r.y) : 0);
      }
      else if (bg) {
         blit(bg, bmp, r.x, r.y, r.x, r.y, r.w, r.h);
      }
      else {
         rectfill(bmp, r.x, r.y, r.x + r.w - 1, r.y + r.h - 1, 0);
      }
   }

   std::swap(dirty, old_dirty);
   dirty.count = 0;
}

void draw_dirty(BITMAP *bmp)
{
   for (int i = 0; i < dirty.count; i++) {
      const DIRTY_RECT &r = dirty.rects[i];
      add_to_list(&old_dirty, r.x, r.y, r.w, r.h);
   }

   // without a linear frame buffer, copying top to bottom is kinder to it
   if (!gfx_driver->linear && old_dirty.count > 1)
      qsort(old_dirty.rects, old_dirty.count, sizeof(DIRTY_RECT), rect_cmp);

   acquire_bitmap(screen);
   for (int i = 0; i < old_dirty.count; i++) {
      const DIRTY_RECT &r = old_dirty.rects[i];
      if (r.w == 1 && r.h == 1)
         putpixel(screen, r.x, r.y, getpixel(bmp, r.x, r.y));
      else
         blit(bmp, screen, r.x, r.y, r.x, r.y, r.w, r.h);
   }
   release_bitmap(screen);
}
