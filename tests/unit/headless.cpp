#include "headless.h"

#include "main.h"

#include <cerrno>
#include <cstring>
#include <deque>

PALETTE headless_palette;
int headless_installs = 0;

static GFX_DRIVER driver;
static std::function<void()> poll;
static std::deque<int> keys;

static void driver_set_palette(AL_CONST RGB *p, int from, int to, int)
{
   headless_installs++;
   std::memcpy(headless_palette + from, p + from, (to - from + 1) * sizeof(RGB));
}

static int hook_keypressed()
{
   if (poll)
      poll();
   return !keys.empty();
}

// waits, as readkey() does, until a key comes: here from the poll
static int hook_readkey()
{
   while (keys.empty() && poll)
      poll();
   int k = keys.empty() ? 0 : keys.front();
   if (k)
      keys.pop_front();
   return k;
}

void headless_init()
{
   static bool started = false;
   if (!started) {
      started = true;
      install_allegro(SYSTEM_NONE, &errno, atexit);
      set_color_depth(8);
      set_color_conversion(COLORCONV_NONE);
      install_keyboard_hooks(hook_keypressed, hook_readkey);
   }
}

void headless_screen(bool linear)
{
   headless_init();
   if (screen)
      destroy_bitmap(screen);
   driver.w = 800;
   driver.h = 600;
   driver.linear = linear;
   driver.set_palette = driver_set_palette;
   gfx_driver = &driver;
   clear_bitmap(screen = create_bitmap(800, 600));
}

DATAFILE *headless_data()
{
   static DATAFILE *loaded = nullptr;
   headless_init();
   return data = loaded ? loaded : (loaded = load_datafile(JUNKFALL_DATA_FILE));
}

void headless_set_poll(std::function<void()> on_poll)
{
   if (!(poll = std::move(on_poll)))
      keys.clear();
}

void headless_queue_key(int scancode) { keys.push_back(scancode << 8); }

int headless_queued_keys() { return static_cast<int>(keys.size()); }

int headless_diff(BITMAP *a, BITMAP *b)
{
   int differ = 0;
   for (int y = 0; y < 600; y++)
      for (int x = 0; x < 800; x++)
         differ += getpixel(a, x, y) != getpixel(b, x, y);
   return differ;
}
