#include "headless.h"
#include "timer.h"

#include <gtest/gtest.h>

// every reading comes after the counter moved, so one not taken afresh shows
TEST(Timer, EveryCallReadsTheCounterAfresh)
{
   Timer::Intialize();
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
   EXPECT_DOUBLE_EQ(t.GetStopwatchTimeSec(), 2.0001);   // reading never restarted it
}
