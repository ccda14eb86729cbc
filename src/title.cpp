// The title menu. It polls the mouse continuously and redraws only after a
// choice changes; each press of the left button acts once, however short.
#include "title.h"

#include "data.h"
#include "main.h"
#include "press.h"
#include "title_layout.h"
#include "window.h"

#include <allegro.h>

namespace {

// the hit area lies one pixel inside the frame on every side
bool slot_hit(const SLOT &s, int mx, int my)
{
   return s.x < mx && mx <= s.x + SLOT_W && s.y < my && my <= s.y + SLOT_H;
}

void draw_frame(BITMAP *bmp, const SLOT &s)
{
   rect(bmp, s.x, s.y, s.x + SLOT_W + 1, s.y + SLOT_H + 1, 1);
}

void blit_whole(BITMAP *src, BITMAP *dest, int x, int y)
{
   blit(src, dest, 0, 0, x, y, src->w, src->h);
}

void blit_slot(BITMAP *dest, const SLOT &s)
{
   blit_whole(static_cast<BITMAP *>(data[s.index].dat), dest, s.x, s.y);
}

BITMAP *compose_menu()
{
   BITMAP *menu = create_bitmap(800, 600);
   if (!menu)
      return nullptr;
   clear_bitmap(menu);

   BITMAP *logo = static_cast<BITMAP *>(data[TITLE_BMP].dat);
   blit_whole(logo, menu, 400 - logo->w / 2, 20);
   for (const SLOT &s : player_slots)
      blit_slot(menu, s);
   for (const SLOT &s : time_slots)
      blit_slot(menu, s);
   blit_slot(menu, play_slot);
   blit_slot(menu, quit_slot);
   return menu;
}

void close_menu(BITMAP *work, BITMAP *menu)
{
   destroy_bitmap(work);
   destroy_bitmap(menu);
}

} // namespace

bool title_screen()
{
   // a press held as the menu opens, or counted before, was meant for what
   // came before: it is spent
   bool latch = mouse_b & 1;
   std::uint32_t seen = presses_now();
   clear_keybuf();
   set_palette(static_cast<RGB *>(data[TITLE_PAL].dat));

   BITMAP *menu = compose_menu();
   if (!menu)
      return false;   // without its picture there is no menu to choose from

   play_sample(static_cast<SAMPLE *>(data[TITLE_SAMPLE].dat), 255, 128, 1000, 0);
   num_players = 2;
   time_limit = 3;

   BITMAP *work = create_bitmap(800, 600);
   if (!work) {
      destroy_bitmap(menu);
      return false;
   }

   bool redraw = true;
   int returns = window_returns;

   for (;;) {
      if (returned_since(&returns)) {
         set_palette(static_cast<RGB *>(data[TITLE_PAL].dat));
         redraw = true;
      }
      if (close_requested || (keypressed() && (readkey() >> 8) == KEY_ESC)) {
         close_menu(work, menu);
         return false;
      }

      // a press counted since the last pass acts where it was, let go or
      // not, and tells that the one before it was let go
      int mx = mouse_x;
      int my = mouse_y;
      bool pressed = pressed_since(&seen, &mx, &my);
      if (pressed)
         latch = false;
      if ((pressed || (mouse_b & 1)) && !latch) {
         latch = true;
         if (player_slots[0].y < my && my <= player_slots[0].y + SLOT_H) {
            for (int i = 0; i < 4; i++) {
               if (slot_hit(player_slots[i], mx, my)) {
                  num_players = i + 1;
                  redraw = true;
               }
            }
         }
         if (time_slots[0].y < my && my <= time_slots[0].y + SLOT_H) {
            for (int i = 0; i < 5; i++) {
               if (slot_hit(time_slots[i], mx, my)) {
                  time_limit = i;
                  redraw = true;
               }
            }
         }
         if (slot_hit(play_slot, mx, my)) {
            close_menu(work, menu);
            return true;
         }
         if (slot_hit(quit_slot, mx, my)) {
            close_menu(work, menu);
            return false;
         }
      }

      if (latch && !(mouse_b & 1))
         latch = false;

      if (redraw) {
         blit(menu, work, 0, 0, 0, 0, 800, 600);
         if (num_players >= 1 && num_players <= 4)
            draw_frame(work, player_slots[num_players - 1]);
         if (time_limit >= 0 && time_limit <= 4)
            draw_frame(work, time_slots[time_limit]);
         scare_mouse();
         blit(work, screen, 0, 0, 0, 0, 800, 600);
         unscare_mouse();
         redraw = false;
      }
   }
}
