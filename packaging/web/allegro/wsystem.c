/* The browser's system driver: the page as the program's window, its
 * messages shown on the page, and the lists of the platform's drivers.
 */
#include "web.h"

#include <emscripten.h>

/* the page shows a message beside the game and logs it */
EM_JS(void, web_show_message, (const char *text), {
   var msg = UTF8ToString(text);
   console.log("allegro_message: " + JSON.stringify(msg));
   if (Module.showMessage)
      Module.showMessage(msg);
});

EM_JS(void, web_set_title, (const char *text), {
   document.title = UTF8ToString(text);
});

static _DRIVER_INFO gfx_list[] = {
   { GFX_WEB, &gfx_web, TRUE },
   { 0, NULL, 0 }
};

static _DRIVER_INFO digi_list[] = {
   { DIGI_WEB, &digi_web, TRUE },
   { 0, NULL, 0 }
};

static _DRIVER_INFO midi_list[] = {
   { MIDI_NONE, &_midi_none, TRUE },
   { 0, NULL, 0 }
};

static _DRIVER_INFO keyboard_list[] = {
   { KEYBOARD_WEB, &keyboard_web, TRUE },
   { 0, NULL, 0 }
};

static _DRIVER_INFO mouse_list[] = {
   { MOUSE_WEB, &mouse_web, TRUE },
   { 0, NULL, 0 }
};

static _DRIVER_INFO timer_list[] = {
   { TIMER_WEB, &timer_web, TRUE },
   { 0, NULL, 0 }
};

static _DRIVER_INFO *gfx_drivers(void) { return gfx_list; }
static _DRIVER_INFO *digi_drivers(void) { return digi_list; }
static _DRIVER_INFO *midi_drivers(void) { return midi_list; }
static _DRIVER_INFO *keyboard_drivers(void) { return keyboard_list; }
static _DRIVER_INFO *mouse_drivers(void) { return mouse_list; }
static _DRIVER_INFO *timer_drivers(void) { return timer_list; }

unsigned _web_waits;

/* till the browser's next frame, or at most most_ms on a hidden page, which
   gets no frames; woken as emscripten_sleep wakes, so that a program that
   ends after it exits the page's way */
EM_JS(void, web_next_frame, (int most_ms), {
   Asyncify.handleSleep(function (wakeUp) {
      var late, frame, wake = function () {
         clearTimeout(late);
         cancelAnimationFrame(frame);
         runtimeKeepalivePop();
         callUserCallback(wakeUp);
      };
      runtimeKeepalivePush();
      late = setTimeout(wake, most_ms);
      frame = requestAnimationFrame(wake);
   });
});

/* whether the player is away from the page: it is hidden (another tab, a
   minimised window), or its window has lost the focus to another */
EM_JS(int, web_page_away, (void), {
   if (Module.away === undefined) {
      Module.away = false;
      addEventListener("blur", function () { Module.away = true; });
      addEventListener("focus", function () { Module.away = false; });
   }
   return document.hidden || Module.away;
});

/* a page runs in the background, as the game asks: the display switch
   callbacks only learn that the player left it or came back */
static int web_display_switch_mode(int mode)
{
   return mode == SWITCH_BACKGROUND || mode == SWITCH_NONE ? 0 : -1;
}

static void web_follow_focus(void)
{
   static int away;
   if (web_page_away() != away) {
      away = !away;
      if (away)
         _switch_out();
      else
         _switch_in();
   }
}

void _web_yield(int ms)
{
   _web_present();
   if (ms == WEB_FRAME)
      web_next_frame(100);
   else
      emscripten_sleep(ms);
   web_follow_focus();
   _web_take_input();
   _web_advance_timers();
   _web_fill_sound();
   _web_waits++;
}

static int web_init(void)
{
   os_type = OSTYPE_UNIX;
   return 0;
}

static void web_exit(void)
{
}

/* the page puts the program's files at the root of its file system */
static void web_get_executable_name(char *output, int size)
{
   do_uconvert("/junkfall", U_ASCII, output, U_CURRENT, size);
}

static void web_set_window_title(AL_CONST char *name)
{
   char text[256];
   web_set_title(uconvert(name, U_CURRENT, text, U_UTF8, sizeof(text)));
}

static void web_message(AL_CONST char *msg)
{
   char text[4096];
   web_show_message(uconvert(msg, U_CURRENT, text, U_UTF8, sizeof(text)));
}

/* one thread: the timers run inside the yields, never beside the program */
static int one_thread;

static void *web_create_mutex(void)
{
   return &one_thread;
}

static void web_no_mutex(void *handle)
{
   (void)handle;
}

static int web_desktop_color_depth(void)
{
   return 32;
}

static void web_yield_timeslice(void)
{
   _web_yield(0);
}

SYSTEM_DRIVER system_web = {
   AL_ID('W','E','B',' '),
   empty_string,
   empty_string,
   "Web browser",
   web_init,
   web_exit,
   web_get_executable_name,
   NULL,   /* find_resource */
   web_set_window_title,
   NULL,   /* set_close_button_callback: a page is closed with its tab */
   web_message,
   NULL,   /* assert */
   NULL,   /* save_console_state */
   NULL,   /* restore_console_state */
   NULL,   /* create_bitmap */
   NULL,   /* created_bitmap */
   NULL,   /* create_sub_bitmap */
   NULL,   /* created_sub_bitmap */
   NULL,   /* destroy_bitmap */
   NULL,   /* read_hardware_palette */
   NULL,   /* set_palette_range */
   NULL,   /* get_vtable */
   web_display_switch_mode,
   NULL,   /* display_switch_lock */
   web_desktop_color_depth,
   NULL,   /* get_desktop_resolution */
   NULL,   /* get_gfx_safe_mode */
   web_yield_timeslice,
   web_create_mutex,
   web_no_mutex,
   web_no_mutex,
   web_no_mutex,
   gfx_drivers,
   digi_drivers,
   midi_drivers,
   keyboard_drivers,
   mouse_drivers,
   NULL,   /* joystick_drivers: the library's own none */
   timer_drivers
};
