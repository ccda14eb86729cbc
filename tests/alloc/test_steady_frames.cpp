// A steady game allocates nothing per frame: the dirty lists reuse their
// arrays and the objects live in the pool and the banana list. Every heap
// call of the process is counted here through an interposed allocator.
#include "banana.h"
#include "game.h"
#include "headless.h"
#include "spam.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void __libc_free(void *);
}

static std::atomic<bool> counting{false};
static std::atomic<long> heap_calls{0};

static void count()
{
   if (counting.load(std::memory_order_relaxed))
      heap_calls++;
}

extern "C" void *malloc(size_t n) { count(); return __libc_malloc(n); }
extern "C" void *calloc(size_t n, size_t m) { count(); return __libc_calloc(n, m); }
extern "C" void *realloc(void *p, size_t n) { count(); return __libc_realloc(p, n); }
extern "C" void free(void *p) { __libc_free(p); }

TEST(SteadyFrames, ThousandFramesAllocateNothing)
{
   headless_data();
   headless_screen(true);
   BITMAP *buffer = create_bitmap(800, 600);
   ASSERT_TRUE(buffer);
   ASSERT_TRUE(make_scene(buffer));

   init_spam();
   clear_bananas();
   for (int i = 0; i < 11; i++) {
      spams[i].alive = true;
      spams[i].x = i * 70;
      spams[i].y = 20 + i * 40;
   }
   for (int i = 0; i < 6; i++)
      add_banana(50 + i * 120, 500 - i * 60);
   health = 9;
   time_left = 30.0f;
   timer.StartStopwatch();

   // warm-up: the lists grow to what this load needs
   for (int i = 0; i < 10; i++)
      draw_frame(buffer, i * 6);

   heap_calls = 0;
   counting = true;
   for (int i = 0; i < 1000; i++) {
      turret_x = (i * 7) % 800;
      draw_frame(buffer, i % 65);
   }
   counting = false;
   EXPECT_EQ(heap_calls.load(), 0);

   clear_bananas();
   destroy_scene(buffer);
   headless_screen_done();
}
