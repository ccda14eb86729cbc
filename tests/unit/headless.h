// Allegro without a display: memory bitmaps, a stand-in graphics driver so
// the game can draw to `screen`, and keys fed through the keyboard hooks.
#ifndef JUNKFALL_HEADLESS_H
#define JUNKFALL_HEADLESS_H

#include <allegro.h>

#include <functional>

// starts the library once per process: the none system, 8-bit colour
void headless_init();
// `screen` becomes a fresh black 800 x 600 memory bitmap, `gfx_driver` a
// stand-in with the given linear flag
void headless_screen(bool linear = true);
// the built data file, loaded once, installed as the game's `data`
DATAFILE *headless_data();

// every keypressed() of the code under test first runs `on_poll`; queued
// keys are then read through readkey(). Null ends polling and drops the keys
void headless_set_poll(std::function<void()> on_poll);
void headless_queue_key(int scancode);
int headless_queued_keys();

extern PALETTE headless_palette;   // what the stand-in driver holds
extern int headless_installs;      // palettes installed so far

// pixels that differ between two 800 x 600 bitmaps
int headless_diff(BITMAP *a, BITMAP *b);

#endif
