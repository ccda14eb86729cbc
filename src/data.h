// Index names of the objects in media/data.dat. The file is addressed by
// position, so these numbers and the order the build packs the file in
// (tools/) must agree; a unit test checks the built file against them.
#ifndef JUNKFALL_DATA_H
#define JUNKFALL_DATA_H

struct DATAFILE;

#define HIT1_SAMPLE     0   // SAMPLE: spam hit sounds, one picked at random
#define HIT2_SAMPLE     1   // SAMPLE
#define HIT3_SAMPLE     2   // SAMPLE
#define SPLASH1_BMP     3   // BITMAP: first splash, centred, unscaled
#define SPLASH1_PAL     4   // PALETTE
#define SPLASH1_SAMPLE  5   // SAMPLE
#define SPLASH2_BMP     6   // BITMAP: second splash, stretched to the screen
#define SPLASH2_PAL     7   // PALETTE
#define FIRE_SAMPLE     8   // SAMPLE: a banana leaves the turret
#define TITLE_SAMPLE    9   // SAMPLE: the menu opens
#define SPLASH2_SAMPLE  10  // SAMPLE
#define MENU_TIME_60    11  // BITMAP: menu buttons, 118 x 47 each
#define MENU_PLAYERS_1  12
#define MENU_TIME_120   13
#define MENU_PLAYERS_2  14
#define MENU_TIME_30    15
#define MENU_TIME_180   16
#define MENU_PLAYERS_3  17
#define MENU_PLAYERS_4  18
#define MENU_TIME_300   19
#define TITLE_BMP       20  // BITMAP: the logo, centred, top at y 20
#define TITLE_PAL       21  // PALETTE: the menu's palette; entry 1 frames the choices
#define MENU_PLAY       22  // BITMAP
#define MENU_QUIT       23  // BITMAP

#define DATA_COUNT      24  // objects in the file

// the object type each index must hold (DAT_SAMPLE, DAT_BITMAP or DAT_PALETTE)
int data_expected_type(int index);

// checks the structure of the file at path before the library's loader,
// which crashes on truncated or corrupted files, is let at it: the header,
// the catalogue's objects with their types first (anything after them only
// of types the loader copies or this checks), every size within the file,
// objects compressed on their own unpacked whole, 8-bit bitmaps and samples
// whose data is all there, whole palettes
bool data_file_is_well_formed(const char *path);

// true when a loaded file holds the objects above first, each of its type,
// with 8-bit bitmaps; anything else is a stale or foreign file. Objects after
// them (the archiver's info object) are ignored.
bool data_matches_catalogue(const DATAFILE *d);

// the file at path loaded, if it is well formed and matches the catalogue;
// else nullptr
DATAFILE *load_data(const char *path);

#endif
