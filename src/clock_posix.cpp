// The counter on Linux: CLOCK_MONOTONIC in nanoseconds, steady, never set
// back by changes to the wall clock.
#include "clock.h"

#include <ctime>

bool QueryPerformanceFrequency(std::int64_t *frequency)
{
   *frequency = 1000000000;
   return true;
}

bool QueryPerformanceCounter(std::int64_t *count)
{
   timespec ts;
   if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) {
      *count = 0;
      return false;
   }
   *count = static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
   return true;
}
