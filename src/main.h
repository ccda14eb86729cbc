// Program-wide state set up by the entry function.
#ifndef JUNKFALL_MAIN_H
#define JUNKFALL_MAIN_H

#include <allegro.h>

extern DATAFILE *data;        // media/data.dat, indexed as in data.h
extern BITMAP *mouse_target;  // the crosshair pointer
extern int num_players;       // players in the coming game, 1..4; -1 after an abandoned game
extern int time_limit;        // turn-length choice 0..4

// draws the 16 x 16 crosshair: a ring and four ticks in colour 1 on colour 0
BITMAP *make_crosshair();

#endif
