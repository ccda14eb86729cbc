/* The browser's graphics driver: an 8-bit screen in memory, shown on the
 * page's canvas through the current palette whenever the program hands
 * the browser control: only what changed since the last picture (each run
 * of changed rows, as wide as its changes), or all of it after a palette
 * change.
 */
#include "web.h"

#include <emscripten.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

static unsigned char *pixels;   /* the screen bitmap's memory */
static unsigned char *shown;    /* what the canvas shows, to tell a change */
static uint32_t *rgba;          /* the picture in the canvas's format */
static uint32_t colours[PAL_SIZE];
static int changed;             /* the palette, since the last picture */

EM_JS(void, web_canvas_size, (int w, int h), {
   Module.canvas.width = w;
   Module.canvas.height = h;
   if (Module.canvasSized)
      Module.canvasSized();
});

/* the rectangle (x, y, w, h) of the picture: its rows copied into the page's
   one picture, of which that part is put on the canvas */
EM_JS(void, web_canvas_put, (const void *data, int width, int height, int x, int y, int w, int h), {
   var p = Module.picture, row = width * 4;
   if (!p || p.width != width || p.height != height)
      p = Module.picture = new ImageData(width, height);
   p.data.set(HEAPU8.subarray(data + y * row, data + (y + h) * row), y * row);
   /* a canvas in memory: the picture is put, never drawn, and WebKitGTK's
      accelerated canvas (on software GL) now and then stopped the page */
   var ctx = Module.canvas.getContext("2d", { alpha: false, willReadFrequently: true });
   ctx.putImageData(p, 0, 0, x, y, w, h);
});

/* rows y0 to y1 (excluded), columns x0 to x1, made what the screen holds and put on the canvas */
static void put_band(int y0, int y1, int x0, int x1)
{
   int w = gfx_web.w, x, y;

   for (y = y0; y < y1; y++) {
      memcpy(shown + y * w + x0, pixels + y * w + x0, x1 - x0);
      for (x = x0; x < x1; x++)
         rgba[y * w + x] = colours[shown[y * w + x]];
   }
   web_canvas_put(rgba, w, gfx_web.h, x0, y0, x1 - x0, y1 - y0);
}

void _web_present(void)
{
   int w = gfx_web.w, h = gfx_web.h, y, top = -1, x0 = w, x1 = 0;

   if (!pixels)
      return;
   if (changed) {
      changed = FALSE;
      put_band(0, h, 0, w);
      return;
   }
   for (y = 0; y <= h; y++) {
      const unsigned char *now = pixels + y * w, *was = shown + y * w;
      int a = 0, b = w;
      if (y < h && memcmp(now, was, w) != 0) {
         while (now[a] == was[a])
            a++;
         while (now[b - 1] == was[b - 1])
            b--;
         top = top < 0 ? y : top;
         x0 = a < x0 ? a : x0;
         x1 = b > x1 ? b : x1;
      }
      else if (top >= 0) {
         put_band(top, y, x0, x1);
         top = -1;
         x0 = w;
         x1 = 0;
      }
   }
}

static void free_screen(void)
{
   free(pixels);
   free(shown);
   free(rgba);
   pixels = shown = NULL;
   rgba = NULL;
}

static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth)
{
   BITMAP *b;

   if (color_depth != 8 || (v_w && v_w != w) || (v_h && v_h != h)) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Unsupported screen size or colour depth"));
      return NULL;
   }
   pixels = calloc(w, h);
   shown = malloc(w * h);
   rgba = malloc(w * h * sizeof(*rgba));
   b = pixels && shown && rgba ? _make_bitmap(w, h, (uintptr_t)pixels, &gfx_web, 8, w) : NULL;
   if (!b) {
      free_screen();
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }
   gfx_web.w = w;
   gfx_web.h = h;
   changed = TRUE;
   web_canvas_size(w, h);
   return b;
}

static void web_gfx_exit(BITMAP *b)
{
   (void)b;
   free_screen();
}

/* the library's retrace count, kept by its timers */
static void web_vsync(void)
{
   int last = retrace_count;

   if (!_timer_installed) {
      _web_yield(0);
      return;
   }
   do {
      _web_yield(1);
   } while (retrace_count == last);
}

/* 6-bit entries widened as the desktop's 24-bit visuals show them */
static void web_set_palette(AL_CONST RGB *p, int from, int to, int retracesync)
{
   int i;

   if (retracesync)
      web_vsync();
   for (i = from; i <= to; i++) {
      uint32_t r = (p[i].r << 2) | (p[i].r >> 4);
      uint32_t g = (p[i].g << 2) | (p[i].g >> 4);
      uint32_t b = (p[i].b << 2) | (p[i].b >> 4);
      colours[i] = 0xff000000u | b << 16 | g << 8 | r;
   }
   changed = TRUE;
}

GFX_DRIVER gfx_web = {
   GFX_WEB,
   empty_string,
   empty_string,
   "Canvas",
   web_gfx_init,
   web_gfx_exit,
   NULL,   /* scroll */
   web_vsync,
   web_set_palette,
   NULL, NULL, NULL,   /* request_scroll, poll_scroll, enable_triple_buffer */
   NULL, NULL, NULL, NULL,   /* video bitmaps */
   NULL, NULL,   /* system bitmaps */
   NULL, NULL, NULL, NULL,   /* the pointer: the library draws it */
   NULL, NULL, NULL, NULL,   /* drawing_mode, save/restore_video_state, set_blender_mode */
   NULL,   /* fetch_mode_list */
   800, 600,
   TRUE,   /* linear */
   0, 0, 0, 0,
   TRUE    /* windowed */
};
