/* The browser's timer driver: the library's own timer queue, given the
 * time that passed on the page's monotonic clock at every yield, and
 * rest() as a series of yields, a short one stretched to the next timer.
 * Ticks are counted from the clock, not from the yields, so none is lost
 * however the browser spaces them; only a page hidden for over a second
 * (whose timers the browser slows) loses time, and its game pauses.
 */
#include "web.h"

#include <emscripten.h>

/* the longest slice of a rest: the screen, the pointer and the sound keep up */
#define REST_SLICE_MS 10
/* the most time given to the timers at once */
#define MOST_UNITS TIMERS_PER_SECOND

static int installed;
static double last_ms;
static double carry;   /* part of a timer unit, kept for the next yield */
static double next_ms; /* when the next of the program's timers is due */

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
      next_ms = now + _handle_timer_tick((int)whole) * 1000.0 / TIMERS_PER_SECOND;
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

static void web_rest(unsigned int time, AL_METHOD(void, callback, (void)))
{
   double now = emscripten_get_now(), end = now + time;
   double left;

   /* a rest shorter than the wait for the program's next timer lasts till it
      (at most a slice): what a loop of short rests waits for is what its
      timers count, and a page woken every millisecond keeps the browser busy */
   if (installed && end < next_ms)
      end = next_ms < now + REST_SLICE_MS ? next_ms : now + REST_SLICE_MS;

   do {
      if (callback)
         callback();
      left = end - emscripten_get_now();
      _web_yield(left > REST_SLICE_MS ? REST_SLICE_MS : (int)left);
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
