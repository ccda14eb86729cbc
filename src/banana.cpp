// Bananas are a singly linked list, oldest at the head, so they are moved,
// tested and drawn in the order they were fired.
#include "banana.h"

#include "data.h"
#include "dirty.h"
#include "game.h"
#include "main.h"
#include "spam.h"

#include <cstdlib>

BANANA *banana_list = nullptr;

BANANA *add_banana(int x, int y)
{
   BANANA *b = static_cast<BANANA *>(malloc(sizeof(BANANA)));
   if (!b)
      return nullptr;
   b->x = x;
   b->y = y;
   b->angle = rand() % 0xffffff;
   b->next = nullptr;

   if (!banana_list) {
      banana_list = b;
   }
   else {
      BANANA *last = banana_list;
      while (last->next)
         last = last->next;
      last->next = b;
   }
   return b;
}

BANANA *delete_banana(BANANA *b)
{
   if (b == banana_list) {
      banana_list = b->next;
   }
   else {
      BANANA *prev = banana_list;
      while (prev->next != b)
         prev = prev->next;
      prev->next = b->next;
   }
   BANANA *next = b->next;
   free(b);
   return next;
}

void clear_bananas()
{
   BANANA *b = banana_list;
   while (b)
      b = delete_banana(b);
}

void draw_bananas(BITMAP *bmp)
{
   for (BANANA *b = banana_list; b; b = b->next) {
      rotate_sprite(bmp, banana, b->x, b->y, b->angle);
      dirty_rectangle(b->x, b->y, banana->w, banana->h);
   }
}

void process_bananas()
{
   BANANA *b = banana_list;
   while (b) {
      b->y -= 6;
      b->angle = (b->angle + 0x60000) & 0xffffff;

      if (b->y < -banana->h) {
         b = delete_banana(b);
      }
      else if (spam_collide(b->x, b->y)) {
         spam_hit();
         b = delete_banana(b);
         play_sample(static_cast<SAMPLE *>(data[HIT1_SAMPLE + rand() % 3].dat), 255, 128, 1000, 0);
      }
      else {
         b = b->next;
      }
   }
}
