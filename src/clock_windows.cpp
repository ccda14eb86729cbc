// The counter on Windows: the system's own performance counter, passed on.
#include "clock.h"

#include <windows.h>

bool QueryPerformanceFrequency(std::int64_t *frequency)
{
   LARGE_INTEGER f;
   bool ok = ::QueryPerformanceFrequency(&f);
   *frequency = ok ? f.QuadPart : 0;
   return ok;
}

bool QueryPerformanceCounter(std::int64_t *count)
{
   LARGE_INTEGER c;
   bool ok = ::QueryPerformanceCounter(&c);
   *count = ok ? c.QuadPart : 0;
   return ok;
}
