/* The browser's keyboard and mouse drivers. The page's events are queued as
 * they come and handed to the library at the next yield, each on its own:
 * keys by the library's scancodes, and the primary pointer (a mouse, a pen
 * or the first finger down) as the library's mouse, its position in the
 * canvas's own pixels however the page scales it. A touch or a pen on the
 * canvas also types a space, so that a tap answers a wait for any key on a
 * device without a keyboard. The page's own buttons keep their presses, and
 * once the game has ended the page has its keys and its pointer back
 * (Module.inputOff).
 */
#include "web.h"

#include <emscripten.h>

enum { KEY_DOWN_EVENT = 1, KEY_UP_EVENT, MOUSE_EVENT };
#define MOST_EVENTS 64

/* Listens on the page; each event is four numbers: kind and three values.
 * Keys the game reads are kept from the page (no scrolling by space), and
 * so are presses on the canvas (no selection, no scrolling, no zoom).
 */
EM_JS(void, web_listen, (void), {
   if (Module.webInput)
      return;
   var q = Module.webInput = [];
   var named = { Escape: 59, Backquote: 60, Minus: 61, Equal: 62, Backspace: 63, Tab: 64, BracketLeft: 65,
                 BracketRight: 66, Enter: 67, Semicolon: 68, Quote: 69, Backslash: 70, IntlBackslash: 71,
                 Comma: 72, Period: 73, Slash: 74, Space: 75, Insert: 76, Delete: 77, Home: 78, End: 79,
                 PageUp: 80, PageDown: 81, ArrowLeft: 82, ArrowRight: 83, ArrowUp: 84, ArrowDown: 85,
                 NumpadDivide: 86, NumpadMultiply: 87, NumpadSubtract: 88, NumpadAdd: 89, NumpadDecimal: 90,
                 NumpadEnter: 91, PrintScreen: 92, Pause: 93, ShiftLeft: 115, ShiftRight: 116,
                 ControlLeft: 117, ControlRight: 118, AltLeft: 119, AltRight: 120, MetaLeft: 121,
                 MetaRight: 122, ContextMenu: 123, ScrollLock: 124, NumLock: 125, CapsLock: 126 };
   var scancode = function(code) {
      var m;
      if ((m = /^Key([A-Z])$/.exec(code))) return m[1].charCodeAt(0) - 64;
      if ((m = /^Digit([0-9])$/.exec(code))) return 27 + +m[1];
      if ((m = /^Numpad([0-9])$/.exec(code))) return 37 + +m[1];
      if ((m = /^F([0-9]+)$/.exec(code)) && +m[1] <= 12) return 46 + +m[1];
      return named[code] || 0;
   };
   var ascii = { Escape: 27, Enter: 13, NumpadEnter: 13, Backspace: 8, Tab: 9 };
   var key = function(down) {
      return function(e) {
         var s = scancode(e.code);
         if (!s || Module.inputOff) return;
         var c = e.key.length == 1 ? e.key.charCodeAt(0) : ascii[e.code] || 0;
         q.push(down ? 1 : 2, s, c, 0);
         if (s < 47 || s > 58) e.preventDefault();   /* the function keys stay the browser's */
      };
   };
   window.addEventListener("keydown", key(true));
   window.addEventListener("keyup", key(false));
   var held = 0;   /* buttons pressed over the canvas: a press elsewhere is the page's */
   var pointer = function(e) {
      if (!e.isPrimary || Module.inputOff) return;   /* a second finger leaves the first alone */
      if (!held && e.target.closest && e.target.closest("button")) return;   /* the page's own buttons */
      var c = Module.canvas, r = c.getBoundingClientRect(), down = e.type == "pointerdown" && e.target == c;
      held = down ? 7 : e.type == "pointercancel" ? 0 : held & e.buttons;
      var x = Math.floor((e.clientX - r.left) * c.width / r.width);
      var y = Math.floor((e.clientY - r.top) * c.height / r.height);
      x = Math.max(0, Math.min(c.width - 1, x));
      q.push(3, x, Math.max(0, Math.min(c.height - 1, y)), e.buttons & held);
      if (down && e.pointerType != "mouse")
         q.push(1, 75, 32, 0, 2, 75, 0, 0);
      if (down)
         e.preventDefault();
   };
   ["pointermove", "pointerdown", "pointerup", "pointercancel"].forEach(function(name) {
      window.addEventListener(name, pointer);
   });
   Module.canvas.addEventListener("contextmenu", function(e) { e.preventDefault(); });
});

EM_JS(int, web_take_events, (int *out, int most), {
   var q = Module.webInput || [];
   var n = Math.min(q.length >> 2, most);
   for (var i = 0; i < 4 * n; i++)
      HEAP32[(out >> 2) + i] = q[i];
   q.splice(0, 4 * n);
   return n;
});

static int keyboard_on, mouse_on;
static int range_x1, range_y1, range_x2 = 799, range_y2 = 599;

static void mouse_to(int x, int y, int b)
{
   _mouse_x = MID(range_x1, x, range_x2);
   _mouse_y = MID(range_y1, y, range_y2);
   _mouse_b = b;
   _handle_mouse_input();
}

void _web_take_input(void)
{
   int ev[4 * MOST_EVENTS];
   int n, i;

   do {
      n = web_take_events(ev, MOST_EVENTS);
      for (i = 0; i < n; i++) {
         int *e = ev + 4 * i;
         /* as on the desktop: a modifier alone goes to key[] only, and
            with Alt held a key gives its scancode alone */
         if (e[0] == KEY_DOWN_EVENT && keyboard_on)
            _handle_key_press(e[1] >= KEY_MODIFIERS ? -1 : (_key_shifts & KB_ALT_FLAG) ? 0 : e[2], e[1]);
         else if (e[0] == KEY_UP_EVENT && keyboard_on)
            _handle_key_release(e[1]);
         else if (e[0] == MOUSE_EVENT && mouse_on)
            mouse_to(e[1], e[2], e[3]);
      }
   } while (n == MOST_EVENTS);
}

static int web_keyboard_init(void)
{
   web_listen();
   keyboard_on = TRUE;
   return 0;
}

static void web_keyboard_exit(void)
{
   keyboard_on = FALSE;
}

/* the program polls the keyboard in its busy loops: a poll with no wait
   since the one before waits for the browser's next frame */
static void web_keyboard_poll(void)
{
   static unsigned seen;

   if (_web_waits == seen)
      _web_yield(WEB_FRAME);
   seen = _web_waits;
}

KEYBOARD_DRIVER keyboard_web = {
   KEYBOARD_WEB,
   empty_string,
   empty_string,
   "Page keyboard",
   TRUE,   /* the browser repeats held keys */
   web_keyboard_init,
   web_keyboard_exit,
   web_keyboard_poll,
   NULL, NULL, NULL, NULL, NULL, NULL
};

static int web_mouse_init(void)
{
   web_listen();
   mouse_on = TRUE;
   /* the pointer starts at the centre, until the page sees it move */
   _mouse_x = (range_x1 + range_x2 + 1) / 2;
   _mouse_y = (range_y1 + range_y2 + 1) / 2;
   return 3;
}

static void web_mouse_exit(void)
{
   mouse_on = FALSE;
}

/* the library redraws its pointer from a timer when the driver polls there */
static void web_mouse_timer_poll(void)
{
}

static void web_mouse_position(int x, int y)
{
   mouse_to(x, y, _mouse_b);
}

static void web_mouse_set_range(int x1, int y1, int x2, int y2)
{
   range_x1 = x1;
   range_y1 = y1;
   range_x2 = x2;
   range_y2 = y2;
   mouse_to(_mouse_x, _mouse_y, _mouse_b);
}

MOUSE_DRIVER mouse_web = {
   MOUSE_WEB,
   empty_string,
   empty_string,
   "Page pointer",
   web_mouse_init,
   web_mouse_exit,
   NULL,   /* poll */
   web_mouse_timer_poll,
   web_mouse_position,
   web_mouse_set_range,
   NULL, NULL, NULL, NULL, NULL
};
