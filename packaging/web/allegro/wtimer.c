/* The browser's timer driver: the library's own timer queue, given the
 * time that passed on the page's monotonic clock at every yield, and
 * rest() as a series of waits for the browser's next frame.
 * Ticks are counted from the clock, not from the yields, so none is lost
 * however the browser spaces them; only a page hidden for over a second
 * (whose timers the browser slows) loses time, and its game pauses.
 */
#include "web.h"

#include <emscripten.h>

/* the most time given to the timers at once */
#define MOST_UNITS TIMERS_PER_SECOND

static int installed;
static double last_ms;
static double carry;   /* part of a timer unit, kept for the next yield */

void _web_advance_timers(void)
{
   double now, units;
   long whole;

   if (!installed)
      return;
   now = emscripten_get_now();
   units = (now - last_ms) * TIMERS_PER_SECOND / 1000.0 + carry;
   last_ms = now;
   if (units > MOST_UNITS)
      units = MOST_UNITS;
   whole = (long)units;
   carry = units - whole;
   if (whole > 0)
      _handle_timer_tick((int)whole);
}

static int web_timer_init(void)
{
   last_ms = emscripten_get_now();
   carry = 0;
   installed = TRUE;
   return 0;
}

static void web_timer_exit(void)
{
   installed = FALSE;
}

/* a rest lasts at least till the browser's next frame: what a loop of short
   rests waits for is what its timers count, which the clock keeps whatever
   the waits, and a page woken more often keeps the browser busy */
static void web_rest(unsigned int time, AL_METHOD(void, callback, (void)))
{
   double end = emscripten_get_now() + time;

   do {
      if (callback)
         callback();
      _web_yield(WEB_FRAME);
   } while (emscripten_get_now() < end);
}

TIMER_DRIVER timer_web = {
   TIMER_WEB,
   empty_string,
   empty_string,
   "Browser clock",
   web_timer_init,
   web_timer_exit,
   NULL, NULL,   /* install_int, remove_int: the library's queue */
   NULL, NULL,   /* install_param_int, remove_param_int */
   NULL, NULL,   /* can_simulate_retrace, simulate_retrace */
   web_rest
};
