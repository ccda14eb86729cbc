// One game: a turn per player, the tick loop, the scene and its frame, the
// two palettes and the health pulse, and the score table.
#ifndef JUNKFALL_GAME_H
#define JUNKFALL_GAME_H

#include <allegro.h>

#include <cstdint>

#include "timer.h"

extern int cur_player;         // whose turn it is, 0-based
extern int player_score[4];    // points of each player in this game
extern int health;             // current player's health, 20 at a turn's start
extern float time_left;        // turn length in seconds
extern bool firing;            // set while the shot of the held button is spent
extern int turret_x;           // turret centre, the pointer's x at the last tick
extern BITMAP *bg;             // the scene without anything moving
extern BITMAP *banana;         // 16 x 16 banana sprite
extern BITMAP *spam;           // 32 x 16 envelope sprite
extern Timer timer;            // the turn's stopwatch

extern const PALETTE game_palette;    // the scene's colours
extern const PALETTE insane_palette;  // what they swing toward as health drops
extern PALETTE temp_palette;          // entries 2..25 blended for the frame

// runs one whole game for num_players players with the chosen turn length
void play_game();

// the 60 Hz timer callback: counts one tick
void game_timer();

// a spam landed: the current player loses a point of health
void hit_player();

// a banana hit a spam: the current player scores a point
void spam_hit();

// shows the turn prompt and waits for any key; false when the close button
// was pressed instead
bool player_ready();

// clears the back buffer and makes bg, banana and spam for a new game;
// false, with nothing left allocated, when a bitmap cannot be made
bool make_scene(BITMAP *buffer);

// destroys bg, the back buffer and the sprites at the end of a game
void destroy_scene(BITMAP *buffer);

// one logic tick of the current turn; counts it in *processed and returns
// the pulse position it leaves for the frame
int run_tick(std::uint32_t *processed);

// composes one frame in the back buffer and copies what changed to the
// screen, with the colours at the given pulse position
void draw_frame(BITMAP *buffer, int pulse);

// where the frame's colours sit between insane (0) and game (64) palette
int pulse_position(int health, std::uint32_t ticks);

// starts the 60 Hz source of game_timer calls; tests swap it, since the
// library's timer cannot run without a display system
extern void (*start_game_ticks)();

#endif
