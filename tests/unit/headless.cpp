#include "headless.h"

#include "data.h"
#include "main.h"

#include <cerrno>
#include <cstring>
#include <deque>

PALETTE headless_palette;
int headless_vsyncs = 0;

static GFX_DRIVER test_driver;
static BITMAP *memory_screen = nullptr;
static std::function<void()> poll_hook;
static std::deque<int> queued_keys;

static void driver_set_palette(AL_CONST RGB *p, int from, int to, int vsync)
{
   if (vsync)
      headless_vsyncs++;
   // the library hands over the whole palette, not just the range
   for (int i = from; i <= to; i++)
      headless_palette[i] = p[i];
}

static int hook_keypressed()
{
   if (poll_hook)
      poll_hook();
   return !queued_keys.empty();
}

static int hook_readkey()
{
   // readkey() waits until a key comes; a test that runs dry is a hang, so
   // keep polling the script until it queues one
   while (queued_keys.empty() && poll_hook)
      poll_hook();
   if (queued_keys.empty())
      return 0;
   int k = queued_keys.front();
   queued_keys.pop_front();
   return k;
}

void headless_init()
{
   static bool started = false;
   if (started)
      return;
   started = true;
   install_allegro(SYSTEM_NONE, &errno, atexit);
   set_color_depth(8);
   set_color_conversion(COLORCONV_NONE);
   install_keyboard_hooks(hook_keypressed, hook_readkey);
}

void headless_screen(bool linear)
{
   headless_init();
   headless_screen_done();
   std::memset(&test_driver, 0, sizeof(test_driver));
   test_driver.name = test_driver.desc = test_driver.ascii_name = "headless";
   test_driver.w = 800;
   test_driver.h = 600;
   test_driver.linear = linear ? 1 : 0;
   test_driver.set_palette = driver_set_palette;
   gfx_driver = &test_driver;
   memory_screen = create_bitmap(800, 600);
   clear_bitmap(memory_screen);
   screen = memory_screen;
   headless_vsyncs = 0;
}

void headless_screen_done()
{
   if (memory_screen) {
      destroy_bitmap(memory_screen);
      memory_screen = nullptr;
      screen = nullptr;
   }
}

void headless_set_poll(std::function<void()> on_poll)
{
   poll_hook = std::move(on_poll);
}

void headless_queue_key(int scancode, int ascii)
{
   queued_keys.push_back((scancode << 8) | ascii);
}

void headless_clear_keys()
{
   queued_keys.clear();
}

int headless_queued_keys()
{
   return static_cast<int>(queued_keys.size());
}

DATAFILE *headless_data()
{
   static DATAFILE *loaded = nullptr;
   headless_init();
   if (!loaded)
      loaded = load_datafile(JUNKFALL_DATA_FILE);
   data = loaded;
   return loaded;
}

DATAFILE *headless_stand_in_data()
{
   static DATAFILE objects[DATA_COUNT + 1];
   headless_init();
   if (!objects[0].dat) {
      for (int i = 0; i < DATA_COUNT; i++) {
         objects[i].type = data_expected_type(i);
         if (objects[i].type == DAT_SAMPLE) {
            objects[i].dat = create_sample(8, FALSE, 11025, 16);
         }
         else if (objects[i].type == DAT_PALETTE) {
            RGB *pal = new PALETTE;
            for (int c = 0; c < PAL_SIZE; c++)
               pal[c] = RGB{ static_cast<unsigned char>(c % 64), static_cast<unsigned char>(3 * c % 64),
                             static_cast<unsigned char>(7 * c % 64), 0 };
            objects[i].dat = pal;
         }
         else {
            BITMAP *bmp = i == TITLE_BMP ? create_bitmap(301, 90) : create_bitmap(118, 47);
            clear_to_color(bmp, i == TITLE_BMP ? 99 : 100 + i);
            objects[i].dat = bmp;
         }
      }
      objects[DATA_COUNT].type = DAT_END;
   }
   data = objects;
   return objects;
}

int headless_diff(BITMAP *a, BITMAP *b, int x, int y, int w, int h)
{
   int differ = 0;
   for (int j = y; j < y + h; j++)
      for (int i = x; i < x + w; i++)
         differ += getpixel(a, i, j) != getpixel(b, i, j);
   return differ;
}
