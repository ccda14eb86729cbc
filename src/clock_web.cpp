// The counter in a web page: the browser's monotonic clock (performance.now),
// in microseconds; steady, never set back by changes to the wall clock.
#include "clock.h"

#include <emscripten.h>

bool QueryPerformanceFrequency(std::int64_t *frequency)
{
   *frequency = 1000000;
   return true;
}

bool QueryPerformanceCounter(std::int64_t *count)
{
   *count = static_cast<std::int64_t>(emscripten_get_now() * 1000.0);
   return true;
}
