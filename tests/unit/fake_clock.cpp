#include "fake_clock.h"

#include "clock.h"

std::int64_t fake_clock_frequency = 1000000;
std::int64_t fake_clock_now = 0;

void fake_clock_advance_seconds(double seconds)
{
   fake_clock_now += static_cast<std::int64_t>(seconds * fake_clock_frequency);
}

bool QueryPerformanceFrequency(std::int64_t *frequency)
{
   *frequency = fake_clock_frequency;
   return true;
}

bool QueryPerformanceCounter(std::int64_t *count)
{
   *count = fake_clock_now;
   return true;
}
