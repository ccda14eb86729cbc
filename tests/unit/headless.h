// Allegro without a display: memory bitmaps, a stand-in graphics driver so
// the game can draw to `screen`, and keys fed through the keyboard hooks.
#ifndef JUNKFALL_HEADLESS_H
#define JUNKFALL_HEADLESS_H

#include <allegro.h>

#include <cstdint>
#include <functional>

// starts the library once per process with the none system, 8-bit colour
void headless_init();

// points `screen` at a fresh 800 x 600 memory bitmap cleared to colour 0 and
// `gfx_driver` at a stand-in driver whose linear flag is as given
void headless_screen(bool linear = true);
void headless_screen_done();

// the built data file, loaded once and installed as the game's `data`
DATAFILE *headless_data();

// every keypressed() of the code under test first runs `on_poll` (null:
// nothing); queued keys are then delivered through readkey()
void headless_set_poll(std::function<void()> on_poll);
void headless_queue_key(int scancode);
int headless_queued_keys();

// the palette the stand-in driver holds, and how often one was installed
extern PALETTE headless_palette;
extern int headless_installs;

// pixels that differ between two bitmaps in the given area
int headless_diff(BITMAP *a, BITMAP *b, int x = 0, int y = 0, int w = 800, int h = 600);

// the counter the stopwatch reads in tests (play.cpp): counts per second and now
extern std::int64_t fake_clock_frequency;
extern std::int64_t fake_clock_now;

#endif
