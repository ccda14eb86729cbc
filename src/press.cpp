// The left button's presses, counted by the library's mouse callback; like
// the tick counter, the record is shared with the library's input handling
// and read whole, without a lock: the count and where the last press was
// share one 64-bit word, so a reader never pairs one press's x with
// another's y, nor a new count with an old place.
#include "press.h"

#include <allegro.h>

#include <atomic>

// count in the high half, x and y in 16 bits each below it
static std::atomic<std::uint64_t> record{0};

static std::uint64_t pack(std::uint32_t count, int x, int y)
{
   return static_cast<std::uint64_t>(count) << 32 | static_cast<std::uint16_t>(x) << 16 |
          static_cast<std::uint16_t>(y);
}

// the library calls this on its input thread, with mouse_x and mouse_y
// already where the pointer is; the only writer
static void count_press(int flags)
{
   if (flags & MOUSE_FLAG_LEFT_DOWN)
      record = pack(static_cast<std::uint32_t>(record.load() >> 32) + 1, mouse_x, mouse_y);
}
END_OF_FUNCTION(count_press)

void watch_presses()
{
   LOCK_VARIABLE(record);
   LOCK_FUNCTION(count_press);
   mouse_callback = count_press;
}

std::uint32_t presses_now()
{
   return static_cast<std::uint32_t>(record.load() >> 32);
}

bool pressed_since(std::uint32_t *seen, int *x, int *y)
{
   std::uint64_t now = record.load();
   if (static_cast<std::uint32_t>(now >> 32) == *seen)
      return false;
   *seen = static_cast<std::uint32_t>(now >> 32);
   if (x && y) {
      *x = static_cast<std::int16_t>(now >> 16 & 0xffff);
      *y = static_cast<std::int16_t>(now & 0xffff);
   }
   return true;
}
