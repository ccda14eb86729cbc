// A hand-driven counter in place of the system clock.
#ifndef JUNKFALL_FAKE_CLOCK_H
#define JUNKFALL_FAKE_CLOCK_H

#include <cstdint>

extern std::int64_t fake_clock_frequency;  // counts per second (default 1,000,000)
extern std::int64_t fake_clock_now;        // the counter's current value

// moves the counter on by a number of seconds at the fake rate
void fake_clock_advance_seconds(double seconds);

#endif
