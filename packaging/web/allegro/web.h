/* The library's browser platform: what its drivers share.
 *
 * A page runs a program only between the browser's own events, so the
 * program's every wait (rest, a wait for the retrace, a poll of the keyboard)
 * hands control back to the browser for a while (asyncify unwinds the stack
 * and winds it again). On the way out the screen goes to the canvas; on the
 * way back in, the input that arrived goes to the library, the time that
 * passed to its timers, and the sound queue is topped up.
 */
#ifndef WEB_PLATFORM_H
#define WEB_PLATFORM_H

#include "allegro.h"
#include "allegro/internal/aintern.h"

#define GFX_WEB       AL_ID('W','E','B','G')
#define DIGI_WEB      AL_ID('W','E','B','A')
#define KEYBOARD_WEB  AL_ID('W','E','B','K')
#define MOUSE_WEB     AL_ID('W','E','B','M')
#define TIMER_WEB     AL_ID('W','E','B','T')

extern GFX_DRIVER gfx_web;
extern DIGI_DRIVER digi_web;
extern KEYBOARD_DRIVER keyboard_web;
extern MOUSE_DRIVER mouse_web;
extern TIMER_DRIVER timer_web;

/* gives the browser at least ms milliseconds, or WEB_FRAME: till its next
   frame (nothing the program draws between frames is seen); then catches up
   with it. _web_waits counts them. */
#define WEB_FRAME (-1)
void _web_yield(int ms);
extern unsigned _web_waits;

/* each driver's part of a yield: nothing when the driver is not installed */
void _web_present(void);
void _web_take_input(void);
void _web_advance_timers(void);
void _web_fill_sound(void);

#endif
