// Stopwatch and elapsed-time reads of the counter. Every read goes through
// currentTime first; only the main thread uses it.
#include "timer.h"

#include "clock.h"

#include <cstdint>

long long Timer::frequency = 0;
long long Timer::currentTime = 0;

static void read_counter(long long *out)
{
   std::int64_t now = 0;
   QueryPerformanceCounter(&now);
   *out = now;
}

void Timer::Intialize()
{
   std::int64_t f = 0;
   QueryPerformanceFrequency(&f);
   frequency = f;
}

long long Timer::GetTickCount()
{
   read_counter(&currentTime);
   return currentTime;
}

long long Timer::GetPrecision()
{
   return frequency;
}

long long Timer::GetElapsedTimeMsec(long long start)
{
   read_counter(&currentTime);
   return currentTime - start;
}

double Timer::GetElapsedTimeSeconds(long long start)
{
   read_counter(&currentTime);
   return static_cast<double>(currentTime - start) / static_cast<double>(frequency);
}

void Timer::StartStopwatch()
{
   read_counter(&currentTime);
   startTime = currentTime;
   pausedAt = -1;
}

// while paused the stopwatch reads the counter as it stood at the pause
long long Timer::GetStopwatchTimeMsec()
{
   read_counter(&currentTime);
   return (pausedAt < 0 ? currentTime : pausedAt) - startTime;
}

double Timer::GetStopwatchTimeSec()
{
   return static_cast<double>(GetStopwatchTimeMsec()) / static_cast<double>(frequency);
}

void Timer::PauseStopwatch()
{
   if (pausedAt < 0) {
      read_counter(&currentTime);
      pausedAt = currentTime;
   }
}

void Timer::ResumeStopwatch()
{
   if (pausedAt >= 0) {
      read_counter(&currentTime);
      startTime += currentTime - pausedAt;
      pausedAt = -1;
   }
}
