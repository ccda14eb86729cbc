// Where the title menu's buttons stand: each is a bitmap of the data file
// whose 118 x 47 frame has its top-left corner at (x, y); a click hits the
// SLOT_W x SLOT_H pixels one inside the frame.
#ifndef JUNKFALL_TITLE_LAYOUT_H
#define JUNKFALL_TITLE_LAYOUT_H

#include "data.h"

struct SLOT
{
   int index;   // the button's bitmap in the data file
   int x, y;    // top-left corner of its frame
};

inline const SLOT player_slots[4] = {
   { MENU_PLAYERS_1, 42, 274 }, { MENU_PLAYERS_2, 242, 274 },
   { MENU_PLAYERS_3, 442, 274 }, { MENU_PLAYERS_4, 642, 274 },
};

inline const SLOT time_slots[5] = {
   { MENU_TIME_30, 22, 387 }, { MENU_TIME_60, 182, 387 }, { MENU_TIME_120, 342, 387 },
   { MENU_TIME_180, 502, 387 }, { MENU_TIME_300, 662, 387 },
};

inline constexpr int SLOT_W = 116;
inline constexpr int SLOT_H = 45;

inline const SLOT play_slot = { MENU_PLAY, 142, 489 };
inline const SLOT quit_slot = { MENU_QUIT, 542, 489 };

#endif
