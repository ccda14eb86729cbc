// The least a program of the game's shape costs on X11: the library's
// driver at 800 x 600 x 8, keyboard and mouse with the pointer shown, a
// 60 Hz timer callback, and a loop that only sleeps a millisecond at a time.
// measure_process.sh runs it beside the game; Esc or a signal ends it.
#include <allegro.h>

#include <atomic>
#include <cstdint>

static std::atomic<std::uint32_t> ticks{0};

static void count_tick()
{
   ticks.fetch_add(1);
}
END_OF_STATIC_FUNCTION(count_tick)

int main()
{
   if (allegro_init() != 0)
      return 1;
   install_keyboard();
   install_timer();
   install_mouse();
   if (set_gfx_mode(GFX_AUTODETECT, 800, 600, 0, 0) != 0) {
      allegro_message("no 800x600x8 display: %s\n", allegro_error);
      return 1;
   }
   clear_bitmap(screen);
   show_mouse(screen);

   LOCK_VARIABLE(ticks);
   LOCK_FUNCTION(count_tick);
   install_int_ex(count_tick, BPS_TO_TIMER(60));

   while (!key[KEY_ESC])
      rest(1);

   show_mouse(nullptr);
   set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
   allegro_exit();
   return 0;
}
END_OF_MAIN()
