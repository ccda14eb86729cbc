// The left button's presses, counted by the library's mouse callback; like
// the tick counter, the count is shared with the library's input handling
// and read whole, without a lock.
#include "press.h"

#include <allegro.h>

#include <atomic>

static std::atomic<std::uint32_t> presses{0};
static std::atomic<int> press_x{0}, press_y{0};

// the library calls this on its input thread, with mouse_x and mouse_y
// already where the pointer is
static void count_press(int flags)
{
   if (flags & MOUSE_FLAG_LEFT_DOWN) {
      press_x = mouse_x;
      press_y = mouse_y;
      presses.fetch_add(1);
   }
}
END_OF_FUNCTION(count_press)

void watch_presses()
{
   LOCK_VARIABLE(presses);
   LOCK_FUNCTION(count_press);
   mouse_callback = count_press;
}

std::uint32_t presses_now()
{
   return presses.load();
}

bool pressed_since(std::uint32_t *seen, int *x, int *y)
{
   std::uint32_t now = presses.load();
   if (now == *seen)
      return false;
   *seen = now;
   if (x && y) {
      *x = press_x;
      *y = press_y;
   }
   return true;
}
