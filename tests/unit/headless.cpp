#include "headless.h"

#include "main.h"
#include "press.h"

#include <cerrno>
#include <cstring>
#include <deque>

PALETTE headless_palette;
int headless_installs = 0;

std::vector<Voice> headless_voices;

static GFX_DRIVER driver;
static DIGI_DRIVER recorder;
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

static void voice_init(int, const SAMPLE *s) { headless_voices.push_back({ s, -1, -1, -1 }); }
static void voice_volume(int, int v) { headless_voices.back().vol = v; }
static void voice_pan(int, int p) { headless_voices.back().pan = p; }
static void voice_frequency(int, int f) { headless_voices.back().freq = f; }
static void voice_any(int, int) {}
static void voice_none(int) {}
static int voice_done(int) { return -1; }   // over at once, so every voice is free again

// the silent driver's installation, then the recorder in its place
static void install_recorder()
{
   install_sound(DIGI_NONE, MIDI_NONE, nullptr);
   recorder.voices = 64;
   recorder.init_voice = voice_init;
   recorder.set_volume = voice_volume;
   recorder.set_pan = voice_pan;
   recorder.set_frequency = voice_frequency;
   recorder.loop_voice = recorder.set_position = voice_any;
   recorder.start_voice = recorder.stop_voice = recorder.release_voice = recorder.exit = voice_none;
   recorder.get_position = voice_done;
   digi_driver = &recorder;
}

void headless_press(int x, int y, bool let_go)
{
   mouse_x = x, mouse_y = y, mouse_b = 1;
   mouse_callback(MOUSE_FLAG_LEFT_DOWN);
   if (let_go)
      mouse_b = 0, mouse_callback(MOUSE_FLAG_LEFT_UP);
}

Voice voice_of(int index, int freq) { return { static_cast<SAMPLE *>(data[index].dat), 255, 128, freq }; }

void headless_init()
{
   static bool started = false;
   if (!started) {
      started = true;
      install_allegro(SYSTEM_NONE, &errno, atexit);
      set_color_depth(8);
      set_color_conversion(COLORCONV_NONE);
      install_keyboard_hooks(hook_keypressed, hook_readkey);
      install_recorder();
      watch_presses();
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
