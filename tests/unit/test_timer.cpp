#include "fake_clock.h"
#include "timer.h"

#include <gtest/gtest.h>

class TimerTest : public ::testing::Test
{
protected:
   void SetUp() override
   {
      fake_clock_frequency = 1000000;
      fake_clock_now = 7000;
      Timer::Intialize();
   }
};

TEST_F(TimerTest, StopwatchCountsFromItsStartWithoutRestarting)
{
   Timer t;
   t.StartStopwatch();
   fake_clock_now += 1500000;
   EXPECT_DOUBLE_EQ(t.GetStopwatchTimeSec(), 1.5);
   EXPECT_EQ(t.GetStopwatchTimeMsec(), 1500000);
   fake_clock_now += 25;
   EXPECT_EQ(t.GetStopwatchTimeMsec(), 1500025);
   EXPECT_DOUBLE_EQ(t.GetStopwatchTimeSec(), 1.500025);
   t.StartStopwatch();
   EXPECT_EQ(t.GetStopwatchTimeMsec(), 0);
}

TEST_F(TimerTest, ElapsedTimeFromATickCount)
{
   long long start = Timer::GetTickCount();
   EXPECT_EQ(start, 7000);
   fake_clock_now += 250000;
   EXPECT_EQ(Timer::GetElapsedTimeMsec(start), 250000);
   EXPECT_DOUBLE_EQ(Timer::GetElapsedTimeSeconds(start), 0.25);
   EXPECT_EQ(Timer::GetPrecision(), 1000000);
   fake_clock_frequency = 3;   // read once, at Intialize
   EXPECT_EQ(Timer::GetPrecision(), 1000000);
}

TEST_F(TimerTest, NeverStartedStopwatchMeasuresFromZero)
{
   static Timer fresh;
   fake_clock_now = 2500000;
   EXPECT_DOUBLE_EQ(fresh.GetStopwatchTimeSec(), 2.5);
   EXPECT_EQ(fresh.GetStopwatchTimeMsec(), 2500000);
}
