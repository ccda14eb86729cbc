// The two lists trade their arrays every frame, so a steady game reuses the
// same memory and allocates nothing per frame.
#include "dirty.h"

#include <cstdlib>
#include <cstring>
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

// blit pays two bank calls and a memmove call per row, which for the short
// rows of sprites cost more than the copying; between two plain memory
// bitmaps of one depth the rows can be copied straight over line[]
static bool rows_copyable(BITMAP *dst, BITMAP *src)
{
   return is_memory_bitmap(dst) && is_memory_bitmap(src) && !is_sub_bitmap(dst) && !is_sub_bitmap(src)
          && dst != src && bitmap_color_depth(dst) == bitmap_color_depth(src);
}

// a row of a sprite's width is a few dozen bytes: copied in fixed 16-byte
// pieces (the last one overlapping) it takes a handful of vector moves,
// where a memcpy call per row costs more than the bytes; long rows go to
// memcpy, which is faster at length
static inline void copy_row(unsigned char *dst, const unsigned char *src, size_t n)
{
   if (n > 64) {
      std::memcpy(dst, src, n);
   }
   else if (n >= 16) {
      for (size_t i = 0; i + 16 < n; i += 16)
         std::memcpy(dst + i, src + i, 16);
      std::memcpy(dst + n - 16, src + n - 16, 16);
   }
   else if (n >= 8) {
      std::memcpy(dst, src, 8);
      std::memcpy(dst + n - 8, src + n - 8, 8);
   }
   else {
      for (size_t i = 0; i < n; i++)
         dst[i] = src[i];
   }
}

// blit(src, dst, x, y, x, y, w, h) for rows_copyable bitmaps, clipped as
// blit clips: to the source's edges and the destination's clipping rectangle
static void copy_rows(BITMAP *src, BITMAP *dst, int x, int y, int w, int h)
{
   int sx = x, sy = y, dx = x, dy = y;
   if (sx >= src->w || sy >= src->h || dx >= dst->cr || dy >= dst->cb)
      return;
   if (sx < 0) { w += sx; dx -= sx; sx = 0; }
   if (sy < 0) { h += sy; dy -= sy; sy = 0; }
   if (sx + w > src->w) w = src->w - sx;
   if (sy + h > src->h) h = src->h - sy;
   if (dx < dst->cl) { dx -= dst->cl; w += dx; sx -= dx; dx = dst->cl; }
   if (dy < dst->ct) { dy -= dst->ct; h += dy; sy -= dy; dy = dst->ct; }
   if (dx + w > dst->cr) w = dst->cr - dx;
   if (dy + h > dst->cb) h = dst->cb - dy;
   if (w <= 0 || h <= 0)
      return;

   int bytes = (bitmap_color_depth(dst) + 7) / 8;
   for (int row = 0; row < h; row++)
      copy_row(dst->line[dy + row] + dx * bytes, src->line[sy + row] + sx * bytes,
               static_cast<size_t>(w) * bytes);
}

int rect_cmp(const void *a, const void *b)
{
   return static_cast<const DIRTY_RECT *>(a)->y - static_cast<const DIRTY_RECT *>(b)->y;
}

void clear_dirty(BITMAP *bmp, BITMAP *bg)
{
   bool rows = bg && rows_copyable(bmp, bg);
   for (int i = 0; i < dirty.count; i++) {
      const DIRTY_RECT &r = dirty.rects[i];
      if (r.w == 1 && r.h == 1) {
         putpixel(bmp, r.x, r.y, bg ? getpixel(bg, r.x, r.y) : 0);
      }
      else if (bg) {
         if (rows)
            copy_rows(bg, bmp, r.x, r.y, r.w, r.h);
         else
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
