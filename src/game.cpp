// One game: set-up of the scene, a turn per player with the fixed-rate tick
// loop, the frame composed in a back buffer and copied by dirty rectangles,
// the palette pulse, and the score table.
#include "game.h"

#include "banana.h"
#include "data.h"
#include "dirty.h"
#include "main.h"
#include "press.h"
#include "spam.h"
#include "window.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int cur_player = 0;
int player_score[4] = { 0, 0, 0, 0 };
int health = 0;
float time_left = 0.0f;
bool firing = false;
int turret_x = 0;
BITMAP *bg = nullptr;
BITMAP *banana = nullptr;
BITMAP *spam = nullptr;
Timer timer;

// the only state shared with the timer callback
static std::atomic<std::uint32_t> game_time{0};
// the presses counted up to the last tick
static std::uint32_t presses_seen = 0;

const PALETTE game_palette = {
   {  0,  0,  0, 0 },  // 0 transparent, text backgrounds, the bar's box
   { 63, 63, 63, 0 },  // 1 the pointer
   { 63, 63,  0, 0 },  // 2 banana
   { 63, 63, 63, 0 },  // 3 envelope body, prompt and scores
   { 63,  0,  0, 0 },  // 4 envelope outline and flap
   { 31, 31, 63, 0 },  // 5 turret
   {  0,  0, 63, 0 },  // 6 sky
   { 60, 60, 60, 0 },  // 7 clouds
   {  0,  0,  0, 0 },
   {  0,  0,  0, 0 },
   {  0,  0,  0, 0 },
   {  0,  0,  0, 0 },
   { 61, 53, 29, 0 },  // 12 ground
   { 41, 31, 21, 0 },  // 13 speckles
   { 31, 31, 63, 0 },  // 14 health bar
   { 63, 63, 63, 0 },  // 15 time left
};

const PALETTE insane_palette = {
   {  0,  0,  0, 0 },
   { 63, 63, 63, 0 },
   { 25, 48, 34, 0 },
   { 57, 21,  8, 0 },
   { 45, 15, 57, 0 },
   { 24, 15, 49, 0 },
   { 15, 51, 27, 0 },
   { 49, 28, 19, 0 },
   { 49, 24, 37, 0 },
   { 57, 12, 37, 0 },
   { 45, 37, 34, 0 },
   { 48, 35, 63, 0 },
   { 27, 43, 61, 0 },
   { 45, 37, 63, 0 },
   { 31, 31, 63, 0 },  // the bar and the clock keep their colours
   { 63, 63, 63, 0 },
};

PALETTE temp_palette;

void game_timer()
{
   game_time.fetch_add(1);
}
END_OF_FUNCTION(game_timer)

static void install_game_ticks()
{
   LOCK_VARIABLE(game_time);
   LOCK_FUNCTION(game_timer);
   // installing again only changes the speed, so there is one source of ticks
   install_int_ex(game_timer, BPS_TO_TIMER(60));
}

void (*start_game_ticks)() = install_game_ticks;

void hit_player()
{
   health--;
}

void spam_hit()
{
   player_score[cur_player]++;
}

static void draw_prompt()
{
   set_palette(game_palette);
   scare_mouse();
   clear_bitmap(screen);
   textout_ex(screen, font, "Press any key to start", 200, 300, 3, 0);
   unscare_mouse();
}

bool player_ready()
{
   clear_keybuf();
   return wait_for_key(draw_prompt);
}

int pulse_position(int health, std::uint32_t ticks)
{
   int t = static_cast<int>(health / 20.0 * 64);
   int v = 32 - t / 2;
   double s = std::sin(static_cast<double>(ticks * 5u) * 3.141592653589793 / 180.0);
   int pos = 64 - v - static_cast<int>(s * v);
   // below zero health the swing would leave the blend's range
   if (pos < 0)
      return 0;
   if (pos > 64)
      return 64;
   return pos;
}

void destroy_scene(BITMAP *buffer)
{
   destroy_bitmap(bg);
   destroy_bitmap(buffer);
   destroy_bitmap(spam);
   destroy_bitmap(banana);
}

bool make_scene(BITMAP *buffer)
{
   clear_to_color(buffer, 6);

   bg = create_bitmap(800, 600);
   spam = create_bitmap(32, 16);
   banana = create_bitmap(16, 16);
   if (!bg || !spam || !banana) {
      if (bg) destroy_bitmap(bg);
      if (spam) destroy_bitmap(spam);
      if (banana) destroy_bitmap(banana);
      bg = spam = banana = nullptr;
      return false;
   }

   clear_to_color(bg, 6);
   for (int i = 0; i < 20; i++) {
      int r1 = rand();
      int r2 = rand();
      int r3 = rand();
      int r4 = rand();
      ellipsefill(bg, r1 % 800, r2 % 200, r3 % 7 + 13, r4 % 7 + 3, 7);
   }
   rectfill(bg, 0, 590, 799, 599, 12);
   for (int i = 0; i < 1000; i++) {
      int r1 = rand();
      int r2 = rand();
      putpixel(bg, r1 % 800, r2 % 10 + 590, 13);
   }
   blit(bg, buffer, 0, 0, 0, 0, 800, 600);
   // the first frame copies the whole picture
   dirty_rectangle(0, 0, 800, 600);

   rectfill(spam, 0, 0, 31, 15, 3);
   rect(spam, 0, 0, 31, 15, 4);
   line(spam, 0, 0, 15, 8, 4);
   line(spam, 15, 8, 31, 0, 4);

   clear_bitmap(banana);
   arc(banana, 7, 9, itofix(0), itofix(129), 7, 2);
   arc(banana, 7, 15, itofix(0), itofix(129), 10, 2);
   floodfill(banana, 7, 3, 2);
   return true;
}

// the time left, formatted on the stack: the library's own formatter takes
// heap blocks at every call, and a steady frame allocates nothing
static void draw_clock(int seconds)
{
   char text[32];
   snprintf(text, sizeof(text), "Time left %3d", seconds);
   textout_ex(screen, font, text, 9, 10, 15, 0);
}

// whether entries from..to of p are the ones installed now
static bool palette_installed(const RGB *p, int from, int to)
{
   PALETTE now;
   get_palette_range(now, from, to);
   for (int i = from; i <= to; i++)
      if (now[i].r != p[i].r || now[i].g != p[i].g || now[i].b != p[i].b)
         return false;
   return true;
}

// entries from..to of out, pos/64 of the way from `from_pal` to `to_pal`.
// The library's fade_interpolate weighs by 63 - pos and pos over 64, which
// at 64 leaves every colour a step short of the scene's own and dims the
// bar and the clock, equal in both palettes, at every position
static void blend_palette(const RGB *from_pal, const RGB *to_pal, RGB *out, int pos, int from, int to)
{
   for (int i = from; i <= to; i++) {
      out[i].r = (from_pal[i].r * (64 - pos) + to_pal[i].r * pos) / 64;
      out[i].g = (from_pal[i].g * (64 - pos) + to_pal[i].g * pos) / 64;
      out[i].b = (from_pal[i].b * (64 - pos) + to_pal[i].b * pos) / 64;
   }
}

void draw_frame(BITMAP *buffer, int pulse)
{
   blend_palette(insane_palette, game_palette, temp_palette, pulse, 2, 25);
   scare_mouse();
   clear_dirty(buffer, bg);

   draw_spam(buffer);
   draw_bananas(buffer);

   int h = banana->w / 2;
   int x1 = turret_x - h - 2;
   int x2 = turret_x + h + 2;
   rectfill(buffer, x1, 580, x2, 600, 5);
   dirty_rectangle(x1, 580, x2 - x1 + 1, 20);

   // below zero the bar would be drawn downward, out of its box
   int shown = health < 0 ? 0 : health;
   rectfill(buffer, 780, 0, 800, 102, 0);
   rectfill(buffer, 781, 101 - 5 * shown, 799, 101, 14);
   dirty_rectangle(780, 0, 20, 103);

   draw_dirty(buffer);
   draw_clock(static_cast<int>(time_left - timer.GetStopwatchTimeSec()));
   unscare_mouse();
   // on X11 every install converts and sends the whole screen again, and at
   // full health the blend stands still: installing the same colours again
   // would change nothing on the screen
   if (!palette_installed(temp_palette, 2, 25))
      set_palette_range(temp_palette, 2, 25, 1);
}

int run_tick(std::uint32_t *processed)
{
   process_spam();
   process_bananas();

   turret_x = mouse_x;
   // a press counted since the last tick fires, let go or not, and tells
   // that the one before it was let go
   bool pressed = pressed_since(&presses_seen, nullptr, nullptr);
   if (pressed)
      firing = false;
   if (!firing && (pressed || (mouse_b & 1))) {
      if (add_banana(turret_x - banana->w / 2, 570))
         play_sample(static_cast<SAMPLE *>(data[FIRE_SAMPLE].dat), 255, 128, 900 + rand() % 200, 0);
      firing = true;
   }
   if (!(mouse_b & 1))
      firing = false;

   (*processed)++;
   if (*processed % 30 == 0)
      add_spam();

   return pulse_position(health, game_time.load());
}

static const char PAUSED[] = "Paused: press a key or click to go on";

// the pause's line: once the player is back, what goes on
static void say_paused(bool back)
{
   scare_mouse();
   rectfill(screen, 200, 300, 200 + 8 * (sizeof PAUSED - 1) - 1, 307, 0);
   textout_ex(screen, font, back ? PAUSED : "Paused", 200, 300, 3, 0);
   unscare_mouse();
}

// While the player is away the turn stands still: no tick runs, so nothing
// moves and no sound starts, and the stopwatch stops. Once back (a full
// screen may take a second to come back), a press or a key (a press on the
// window may be what brought it back) goes on from where it stood and fires
// nothing; Esc still abandons the game. The picture is copied whole again,
// should the screen have been lost meanwhile. False when the game was
// abandoned
static bool pause_turn(BITMAP *buffer, std::uint32_t processed)
{
   timer.PauseStopwatch();
   std::uint32_t seen = presses_now();
   int key = 0, said = -1;
   for (;;) {
      int back = !window_away;
      if (said != back) {
         said = back;
         say_paused(back);
      }
      bool typed = keypressed();
      if (close_requested)
         return false;
      if (!window_away && (pressed_since(&seen, nullptr, nullptr) || (typed && (key = readkey()))))
         break;
      rest(1);
   }
   if ((key >> 8) == KEY_ESC)
      return false;
   scare_mouse();
   blit(buffer, screen, 0, 0, 0, 0, 800, 600);
   unscare_mouse();
   presses_seen = presses_now();
   firing = firing || (mouse_b & 1);
   game_time = processed;
   timer.ResumeStopwatch();
   return true;
}

// one turn of the current player; false when Esc or the close button
// abandoned the game
static bool play_turn(BITMAP *buffer)
{
   if (!player_ready())
      return false;
   blit(bg, screen, 0, 0, 0, 0, 800, 600);
   // a press held as the turn begins, or counted before (the tap that
   // answered the prompt), fires nothing
   presses_seen = presses_now();
   firing = firing || (mouse_b & 1);

   init_spam();
   clear_bananas();
   game_time = 0;
   timer.StartStopwatch();
   health = 20;

   std::uint32_t processed = 0;
   bool running = true;
   int pulse = 64;

   while (running) {
      if (window_away && !pause_turn(buffer, processed))
         return false;
      bool ticked = false;
      while (processed < game_time.load()) {
         pulse = run_tick(&processed);
         ticked = true;
      }

      if (timer.GetStopwatchTimeSec() > time_left || health <= 0)
         running = false;

      if (ticked)
         draw_frame(buffer, pulse);
      else
         rest(1);

      if (close_requested || (keypressed() && (readkey() >> 8) == KEY_ESC))
         return false;
   }
   return true;
}

static void draw_scores()
{
   set_palette(game_palette);
   scare_mouse();
   clear_bitmap(screen);
   textout_ex(screen, font, "Player scores", 200, 300, 3, 0);
   for (int i = 0; i < num_players; i++)
      textprintf_ex(screen, font, 220, 310 + 10 * i, 3, 0, "Player %d: %d", i + 1, player_score[i]);
   unscare_mouse();
}

static void show_scores()
{
   clear_keybuf();
   scare_mouse();
   wait_for_key(draw_scores);
   unscare_mouse();
}

void play_game()
{
   static const float turn_seconds[5] = { 30.0f, 60.0f, 120.0f, 180.0f, 300.0f };

   firing = false;
   turret_x = mouse_x;
   clear_bitmap(screen);
   // every game's table starts from nothing
   for (int &score : player_score)
      score = 0;

   BITMAP *buffer = create_bitmap(800, 600);
   if (!buffer)
      return;
   if (!make_scene(buffer)) {
      destroy_bitmap(buffer);
      return;
   }

   start_game_ticks();
   time_left = turn_seconds[time_limit >= 0 && time_limit <= 4 ? time_limit : 0];

   for (cur_player = 0; cur_player < num_players; cur_player++) {
      if (!play_turn(buffer)) {
         num_players = -1;
         break;
      }
   }

   if (num_players != -1)
      show_scores();
   destroy_scene(buffer);
}
