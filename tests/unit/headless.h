// Allegro without a display: memory bitmaps, a stand-in graphics driver so
// the game can draw to `screen`, and scripted keys.
#ifndef JUNKFALL_HEADLESS_H
#define JUNKFALL_HEADLESS_H

#include <allegro.h>

#include <functional>

// starts the library once per process with the none system, 8-bit colour
void headless_init();

// points `screen` at a fresh 800 x 600 memory bitmap cleared to colour 0 and
// `gfx_driver` at a stand-in driver whose linear flag is as given
void headless_screen(bool linear = true);

// releases the memory screen (screen becomes null)
void headless_screen_done();

// every keypressed() the code under test makes first runs `on_poll`; a key
// queued with headless_queue_key is then delivered through readkey()
void headless_set_poll(std::function<void()> on_poll);
void headless_queue_key(int scancode, int ascii = 0);
void headless_clear_keys();

// keys queued and not yet read
int headless_queued_keys();

// the last palette installed through set_palette / set_palette_range
extern PALETTE headless_palette;

// how many times the stand-in driver was asked to wait for the retrace
extern int headless_vsyncs;

// the data file, loaded once, and installed as the game's `data`; null when
// the build has not made it
DATAFILE *headless_data();

// a data file made in memory, installed as `data`: every catalogue object of
// its type, menu buttons 118 x 47 in colour 100 + index, a 301 x 90 logo in
// colour 99, silent samples, palettes with entry i = (i % 64, 3i % 64, 7i % 64)
DATAFILE *headless_stand_in_data();

// pixels that differ between two bitmaps in the given area
int headless_diff(BITMAP *a, BITMAP *b, int x = 0, int y = 0, int w = 800, int h = 600);

#endif
