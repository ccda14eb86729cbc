#include "headless.h"
#include "timer.h"

#include <gtest/gtest.h>

// every reading is taken after the counter moved, so a reading that is not
// taken afresh shows
TEST(Timer, EveryCallReadsTheCounterAfresh)
{
   fake_clock_frequency = 1000000;
   fake_clock_now = 7000;
   Timer::Intialize();
   fake_clock_frequency = 3;   // the rate is read once, at Intialize

   static Timer never_started;
   fake_clock_now = 2500000;
   EXPECT_DOUBLE_EQ(never_started.GetStopwatchTimeSec(), 2.5);

   Timer t;
   fake_clock_now = 10000000;
   t.StartStopwatch();
   fake_clock_now += 1500000;
   EXPECT_DOUBLE_EQ(t.GetStopwatchTimeSec(), 1.5);
   fake_clock_now += 25;
   EXPECT_EQ(t.GetStopwatchTimeMsec(), 1500025);

   fake_clock_now += 75;
   long long start = Timer::GetTickCount();
   EXPECT_EQ(start, 11500100);
   fake_clock_now += 250000;
   EXPECT_EQ(Timer::GetElapsedTimeMsec(start), 250000);
   fake_clock_now += 250000;
   EXPECT_DOUBLE_EQ(Timer::GetElapsedTimeSeconds(start), 0.5);
   EXPECT_EQ(Timer::GetPrecision(), 1000000);
   // reading the stopwatch never restarted it
   EXPECT_DOUBLE_EQ(t.GetStopwatchTimeSec(), 2.0001);
   fake_clock_frequency = 1000000;
}
