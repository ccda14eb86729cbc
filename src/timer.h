// A stopwatch over the high-resolution counter. Intialize must run once
// before any seconds are asked for; the game times each turn with it.
#ifndef JUNKFALL_TIMER_H
#define JUNKFALL_TIMER_H

class Timer
{
public:
   static void Intialize();                  // reads the counter's rate
   static long long GetTickCount();           // the counter now
   static long long GetPrecision();           // counts per second
   static long long GetElapsedTimeMsec(long long start);   // counts since start
   static double GetElapsedTimeSeconds(long long start);   // seconds since start

   void StartStopwatch();                     // (re)starts this stopwatch
   long long GetStopwatchTimeMsec();          // counts since the start
   double GetStopwatchTimeSec();              // seconds since the start
   void PauseStopwatch();                     // stands still from now on, till
   void ResumeStopwatch();                    // it goes on from where it stood

private:
   long long startTime;                       // counter at the last start
   long long pausedAt = -1;                   // counter at the pause; -1: running
   static long long frequency;
   static long long currentTime;
};

#endif
