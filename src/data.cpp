// The data file's catalogue: what each index must hold, and the one way the
// file is loaded.
#include "data.h"

#include <allegro.h>

int data_expected_type(int index)
{
   switch (index) {
      case HIT1_SAMPLE: case HIT2_SAMPLE: case HIT3_SAMPLE:
      case SPLASH1_SAMPLE: case SPLASH2_SAMPLE:
      case FIRE_SAMPLE: case TITLE_SAMPLE:
         return DAT_SAMPLE;
      case SPLASH1_PAL: case SPLASH2_PAL: case TITLE_PAL:
         return DAT_PALETTE;
      default:
         return DAT_BITMAP;
   }
}

bool data_matches_catalogue(const DATAFILE *d)
{
   if (!d)
      return false;
   for (int i = 0; i < DATA_COUNT; i++) {
      if (d[i].type == DAT_END || d[i].type != data_expected_type(i) || !d[i].dat)
         return false;
      if (d[i].type == DAT_BITMAP && bitmap_color_depth(static_cast<BITMAP *>(d[i].dat)) != 8)
         return false;
   }
   // anything after the catalogue (the archiver's info object) is ignored
   return true;
}

DATAFILE *load_data(const char *path)
{
   // the library's loader crashes on a damaged file, so it only sees well-formed ones
   DATAFILE *d = data_file_is_well_formed(path) ? load_datafile(path) : nullptr;
   if (d && !data_matches_catalogue(d)) {
      // a stale or foreign file would be indexed out of bounds later on
      unload_datafile(d);
      d = nullptr;
   }
   return d;
}
