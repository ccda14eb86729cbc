// The heap over frames, menus and games. Every heap call of the process is
// seen through an interposed allocator, so this is a binary of its own.
#include "banana.h"
#include "game.h"
#include "headless.h"
#include "spam.h"
#include "title.h"
#include "window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void __libc_free(void *);
}

// fail_in > 0: the fail_in-th malloc from now on fails
static std::atomic<long> heap_calls{0}, live_blocks{0}, fail_in{0};

static void *counted(void *p, bool is_new)
{
   heap_calls++;
   live_blocks += p && is_new;
   return p;
}

extern "C" void *malloc(size_t n)
{
   return counted(fail_in > 0 && --fail_in == 0 ? nullptr : __libc_malloc(n), true);
}
extern "C" void *calloc(size_t n, size_t m) { return counted(__libc_calloc(n, m), true); }
extern "C" void *realloc(void *p, size_t n) { return counted(__libc_realloc(p, n), !p); }
extern "C" void free(void *p) { live_blocks -= p != nullptr, __libc_free(p); }

// a steady game allocates nothing per frame: the dirty lists reuse their
// arrays, the objects live in the pool and the banana list
TEST(Heap, ThousandSteadyFramesAllocateNothing)
{
   play_setup();
   BITMAP *buffer = create_bitmap(800, 600);
   ASSERT_TRUE(make_scene(buffer));
   for (int i = 0; i < 11; i++)
      spams[i] = { i * 70, 20 + i * 40, true };
   for (int i = 0; i < 6; i++)
      add_banana(50 + i * 120, 500 - i * 60);
   health = 9;
   time_left = 30.0f;
   for (int i = 0; i < 10; i++)   // the lists grow to what this load needs
      draw_frame(buffer, i * 6);
   long before = heap_calls.load();
   for (int i = 0; i < 1000; i++) {
      turret_x = (i * 7) % 800;
      draw_frame(buffer, i % 65);
   }
   EXPECT_EQ(heap_calls.load() - before, 0);
   clear_bananas();
   destroy_scene(buffer);
}

// the menu's and a game's bitmaps all go back when they end
TEST(Heap, MenusAndGamesGiveBackEveryBlock)
{
   play_setup();
   long before = 0;
   for (int round = 0; round < 2; round++) {   // the first fills the lasting lists
      before = live_blocks.load();
      int polls = 0;
      headless_set_poll([&] {   // Esc once the menu has emptied the key buffer
         if (++polls == 2)
            headless_queue_key(KEY_ESC);
      });
      title_screen();
      Play().run();
   }
   EXPECT_EQ(live_blocks.load() - before, 0);
}

// a game whose bitmaps cannot all be made is cancelled before its first
// prompt, and gives back the ones it did make (each bitmap takes two blocks:
// the back buffer's, then the background's, the envelope's, the banana's)
TEST(Heap, GameSetUpFailingAtAnyBitmapCancelsAndGivesBackEverything)
{
   play_setup();
   bool prompted = false;
   headless_set_poll([&] { prompted = close_requested = true; });
   for (int n = 1; n <= 8; n++) {
      long before = live_blocks.load();
      fail_in = n;
      play_game();
      fail_in = 0;
      EXPECT_FALSE(prompted) << "allocation " << n;
      EXPECT_EQ(live_blocks.load() - before, 0) << "allocation " << n;
   }
   headless_set_poll(nullptr);
   close_requested = false;
}
