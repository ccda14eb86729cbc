// Entry function: sets up the library and devices, loads the data file from
// beside the executable, shows the two intro splashes, then runs the title
// menu and a game in turn until the menu says leave.
#include "main.h"

#include "data.h"
#include "game.h"
#include "press.h"
#include "timer.h"
#include "title.h"
#include "usage.h"
#include "window.h"
#include "window_system.h"

#include <climits>
#include <cstdlib>
#include <ctime>

DATAFILE *data = nullptr;
BITMAP *mouse_target = nullptr;
int num_players = 0;
int time_limit = 0;

// room for any path the system allows, plus the file name appended to it
static const int PATH_SIZE = PATH_MAX + 64;

BITMAP *make_crosshair()
{
   BITMAP *bmp = create_bitmap(16, 16);
   if (!bmp)
      return nullptr;
   clear_bitmap(bmp);
   circle(bmp, 7, 7, 6, 1);
   hline(bmp, 0, 7, 2, 1);
   hline(bmp, 12, 7, 14, 1);
   vline(bmp, 7, 0, 2, 1);
   vline(bmp, 7, 12, 14, 1);
   return bmp;
}

static void play_once(int index)
{
   play_sample(static_cast<SAMPLE *>(data[index].dat), 255, 128, 1000, 0);
}

// the first splash centred and unscaled, the second stretched to the screen
static void draw_splash(int index)
{
   BITMAP *pic = static_cast<BITMAP *>(data[index].dat);
   scare_mouse();
   if (index == SPLASH1_BMP)
      blit(pic, screen, 0, 0, 400 - pic->w / 2, 300 - pic->h / 2, pic->w, pic->h);
   else
      stretch_blit(pic, screen, 0, 0, pic->w, pic->h, 0, 0, 800, 600);
   unscare_mouse();
}

// fades a splash in with its sound, holds it (drawn again if the player
// comes back to a cleared full screen), and fades it out
static void show_splash(int index, int palette, int sample, int ms)
{
   int returns = window_returns;
   clear_bitmap(screen);
   draw_splash(index);
   fade_in(static_cast<RGB *>(data[palette].dat), 3);
   play_once(sample);
   Timer hold;
   for (hold.StartStopwatch(); hold.GetStopwatchTimeSec() * 1000 < ms; rest(5)) {
      if (returned_since(&returns)) {
         set_palette(static_cast<RGB *>(data[palette].dat));
         draw_splash(index);
      }
   }
   fade_out(3);
   clear_bitmap(screen);
}

static void show_splashes()
{
   set_palette(black_palette);
   show_splash(SPLASH1_BMP, SPLASH1_PAL, SPLASH1_SAMPLE, 1200);
   if (!close_requested)
      show_splash(SPLASH2_BMP, SPLASH2_PAL, SPLASH2_SAMPLE, 1600);
}

int main(int argc, char **argv)
{
   static char exe_path[PATH_SIZE];
   static char data_path[PATH_SIZE];

   int answered = answer_command_line(argc, argv);
   if (answered >= 0)
      return answered;

   Timer::Intialize();
   set_uformat(U_ASCII_CP);
   srand(time(nullptr));

   name_window();
   if (allegro_init() != 0)
      return 1;
   watch_close_button();

   install_keyboard();
   watch_game_keys();
   install_timer();
   install_mouse();
   watch_presses();

   prefer_prompt_sound();
   if (install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, nullptr) != 0) {
      allegro_message("Error setting up the sound!\n%s\n", allegro_error);
      install_sound(DIGI_NONE, MIDI_NONE, nullptr);
   }

   // a window the game can make full screen, else any display the library has
   bool full_screen = full_screen_asked(argc, argv);
   if (set_gfx_mode(display_driver(full_screen), 800, 600, 0, 0) != 0
       && set_gfx_mode(GFX_AUTODETECT, 800, 600, 0, 0) != 0) {
      set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
      allegro_message("Error setting up a 800x600x8 display\n%s\n", allegro_error);
      return 1;
   }
   watch_focus();
   if (full_screen)
      switch_full_screen();

   get_executable_name(exe_path, PATH_SIZE);
   replace_filename(data_path, exe_path, "media/data.dat", PATH_SIZE);
   set_color_conversion(COLORCONV_NONE);
   data = load_data(data_path);
   if (!data) {
      set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
      allegro_message("Error loading %s\n", data_path);
      exit(1);
   }

   mouse_target = make_crosshair();
   set_mouse_sprite(mouse_target);
   set_mouse_sprite_focus(7, 7);
   show_mouse(screen);

   default_palette[1].r = 63;
   default_palette[1].g = 63;
   default_palette[1].b = 63;

   rest(500);
   show_splashes();

   // the close button leaves the way Quit does
   while (!close_requested && title_screen())
      play_game();

   // the pointer must stop drawing from the crosshair before it goes
   show_mouse(nullptr);
   set_mouse_sprite(nullptr);
   destroy_bitmap(mouse_target);
   unload_datafile(data);
   set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
   allegro_exit();
   return 0;
}
END_OF_MAIN()
