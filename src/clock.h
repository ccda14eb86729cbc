// The high-resolution counter the stopwatch reads: a fixed rate in counts
// per second and a count that grows steadily at that rate. The game links
// clock_posix.cpp (the monotonic clock), clock_windows.cpp (the system's
// performance counter) or clock_web.cpp (the browser's monotonic clock);
// tests link a fake instead.
#ifndef JUNKFALL_CLOCK_H
#define JUNKFALL_CLOCK_H

#include <cstdint>

// the counter's rate, counts per second; true on success
bool QueryPerformanceFrequency(std::int64_t *frequency);

// the counter's current value; true on success
bool QueryPerformanceCounter(std::int64_t *count);

#endif
