// The data file's catalogue: what each index must hold, and a check of a
// file's structure before the library's loader reads it.
#include "data.h"

#include <allegro.h>

#include <cstdint>
#include <vector>

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
   return d[DATA_COUNT].type == DAT_END;
}

namespace {

const long MAX_DATA_FILE = 64L << 20;   // far beyond anything the build makes

// a bounds-checked big-endian reader over the file's contents
struct READER
{
   const unsigned char *p;
   long left;

   bool take(long n, const unsigned char **out)
   {
      if (n < 0 || n > left)
         return false;
      *out = p;
      p += n;
      left -= n;
      return true;
   }

   bool get32(long *v)
   {
      const unsigned char *b;
      if (!take(4, &b))
         return false;
      *v = static_cast<std::int32_t>((std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) |
                                     (std::uint32_t(b[2]) << 8) | std::uint32_t(b[3]));
      return true;
   }

   bool get16(int *v)
   {
      const unsigned char *b;
      if (!take(2, &b))
         return false;
      *v = static_cast<std::int16_t>((b[0] << 8) | b[1]);
      return true;
   }
};

// the file's contents after the magic, unpacked if it was packed whole
bool read_whole(const char *path, std::vector<unsigned char> *out)
{
   PACKFILE *f = pack_fopen(path, F_READ_PACKED);
   if (!f)
      return false;
   unsigned char block[16384];
   long n;
   while ((n = pack_fread(block, sizeof(block), f)) > 0) {
      out->insert(out->end(), block, block + n);
      if (static_cast<long>(out->size()) > MAX_DATA_FILE)
         break;
   }
   bool ok = !pack_ferror(f) && static_cast<long>(out->size()) <= MAX_DATA_FILE;
   pack_fclose(f);
   return ok;
}

bool bitmap_is_sound(READER body)
{
   int bits, w, h;
   return body.get16(&bits) && body.get16(&w) && body.get16(&h)
       && bits == 8 && w > 0 && h > 0 && body.left == static_cast<long>(w) * h;
}

bool sample_is_sound(READER body)
{
   int bits, freq;
   long length;
   if (!body.get16(&bits) || !body.get16(&freq) || !body.get32(&length))
      return false;
   int channels = bits < 0 ? 2 : 1;
   bits = bits < 0 ? -bits : bits;
   if ((bits != 8 && bits != 16) || freq == 0 || length <= 0)
      return false;
   return length <= body.left / (channels * bits / 8);
}

bool palette_is_sound(READER body)
{
   if (body.left != 256 * 4)
      return false;
   for (int i = 0; i < 256 * 4; i++)
      if (i % 4 != 3 && body.p[i] > 63)
         return false;
   return true;
}

bool object_is_sound(READER *r, int index)
{
   long id, size;
   const unsigned char *skip;
   for (;;) {
      if (!r->get32(&id))
         return false;
      if (id != DAT_PROPERTY)
         break;
      if (!r->get32(&id) || !r->get32(&size) || !r->take(size, &skip))
         return false;
   }
   if (id != data_expected_type(index))
      return false;

   long packed, unpacked;
   const unsigned char *contents;
   // the build never compresses single objects, so a compressed one is foreign
   if (!r->get32(&packed) || !r->get32(&unpacked) || packed != unpacked ||
       !r->take(packed, &contents))
      return false;

   READER body = { contents, packed };
   switch (id) {
      case DAT_BITMAP: return bitmap_is_sound(body);
      case DAT_SAMPLE: return sample_is_sound(body);
      default:         return palette_is_sound(body);
   }
}

} // namespace

bool data_file_is_sound(const char *path)
{
   std::vector<unsigned char> contents;
   if (!read_whole(path, &contents))
      return false;

   READER r = { contents.data(), static_cast<long>(contents.size()) };
   long magic, count;
   if (!r.get32(&magic) || magic != DAT_MAGIC || !r.get32(&count) || count != DATA_COUNT)
      return false;
   for (int i = 0; i < DATA_COUNT; i++)
      if (!object_is_sound(&r, i))
         return false;
   return r.left == 0;
}
