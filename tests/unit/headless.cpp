#include "headless.h"

#include "main.h"

#include <cerrno>
#include <cstring>
#include <deque>

PALETTE headless_palette;
int headless_installs = 0;

static GFX_DRIVER driver;
static BITMAP *memory_screen = nullptr;
static std::function<void()> poll;
static std::deque<int> keys;

static void driver_set_palette(AL_CONST RGB *p, int from, int to, int)
{
   headless_installs++;
   for (int i = from; i <= to; i++)
      headless_palette[i] = p[i];
}

static int hook_keypressed()
{
   if (poll)
      poll();
   return !keys.empty();
}

static int hook_readkey()
{
   // a reader that finds nothing waits, as readkey() does, for the poll to queue a key
   while (keys.empty() && poll)
      poll();
   if (keys.empty())
      return 0;
   int k = keys.front();
   keys.pop_front();
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
   std::memset(&driver, 0, sizeof(driver));
   driver.name = driver.desc = driver.ascii_name = "headless";
   driver.w = 800;
   driver.h = 600;
   driver.linear = linear;
   driver.set_palette = driver_set_palette;
   gfx_driver = &driver;
   screen = memory_screen = create_bitmap(800, 600);
   clear_bitmap(screen);
}

void headless_screen_done()
{
   if (memory_screen)
      destroy_bitmap(memory_screen);
   screen = memory_screen = nullptr;
}

DATAFILE *headless_data()
{
   static DATAFILE *loaded = nullptr;
   headless_init();
   if (!loaded)
      loaded = load_datafile(JUNKFALL_DATA_FILE);
   return data = loaded;
}

void headless_set_poll(std::function<void()> on_poll)
{
   poll = std::move(on_poll);
   if (!poll)
      keys.clear();
}

void headless_queue_key(int scancode)
{
   keys.push_back(scancode << 8);
}

int headless_queued_keys()
{
   return static_cast<int>(keys.size());
}

int headless_diff(BITMAP *a, BITMAP *b, int x, int y, int w, int h)
{
   int differ = 0;
   for (int j = y; j < y + h; j++)
      for (int i = x; i < x + w; i++)
         differ += getpixel(a, i, j) != getpixel(b, i, j);
   return differ;
}
