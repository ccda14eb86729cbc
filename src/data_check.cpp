// A check of a data file's structure before the library's loader reads it:
// every size and offset within the file, every object of the catalogue whole.
#include "data.h"

#include <allegro.h>
#include <allegro/lzss.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const long MAX_DATA_FILE = 64L << 20;   // far beyond anything the build makes

// the most LZSS can unpack from one byte: a flags byte and eight two-byte
// references give 8 * 18 bytes out for 17 in
const long MAX_LZSS_RATIO = 9;

// the shortest object: its type, packed and unpacked sizes
const long MIN_OBJECT = 12;

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

bool bitmap_is_whole(READER body)
{
   int bits, w, h;
   return body.get16(&bits) && body.get16(&w) && body.get16(&h)
       && bits == 8 && w > 0 && h > 0 && body.left == static_cast<long>(w) * h;
}

bool sample_is_whole(READER body)
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

bool palette_is_whole(READER body)
{
   if (body.left != 256 * 4)
      return false;
   for (int i = 0; i < 256 * 4; i++)
      if (i % 4 != 3 && body.p[i] > 63)
         return false;
   return true;
}

// a read-only packfile over bytes in memory, for the library's LZSS reader
struct MEMORY_FILE
{
   const unsigned char *p;
   long left;
};

int memory_getc(void *userdata)
{
   MEMORY_FILE *m = static_cast<MEMORY_FILE *>(userdata);
   if (m->left <= 0)
      return EOF;
   m->left--;
   return *m->p++;
}

long memory_fread(void *out, long n, void *userdata)
{
   MEMORY_FILE *m = static_cast<MEMORY_FILE *>(userdata);
   n = n < 0 ? 0 : n > m->left ? m->left : n;
   std::memcpy(out, m->p, n);
   m->p += n;
   m->left -= n;
   return n;
}

int memory_feof(void *userdata) { return static_cast<MEMORY_FILE *>(userdata)->left <= 0; }
int memory_no_error(void *) { return 0; }
int memory_ungetc(int, void *) { return EOF; }
int memory_putc(int, void *) { return EOF; }
long memory_fwrite(const void *, long, void *) { return 0; }
int memory_fseek(void *, int) { return -1; }

const PACKFILE_VTABLE memory_vtable = {
   memory_no_error, memory_getc, memory_ungetc, memory_fread,
   memory_putc, memory_fwrite, memory_fseek, memory_feof, memory_no_error
};

// unpacks an object the archiver compressed on its own, with the library's
// LZSS reader as its loader uses it. The stream must give exactly size bytes
// and use up exactly its packed bytes: the loader reads the next object from
// wherever the stream stopped.
bool unpack_object(const unsigned char *packed, long packed_size, long size,
                   std::vector<unsigned char> *out)
{
   MEMORY_FILE in = { packed, packed_size };
   PACKFILE *f = pack_fopen_vtable(&memory_vtable, &in);
   LZSS_UNPACK_DATA *lzss = create_lzss_unpack_data();
   bool ok = false;
   if (f && lzss) {
      out->resize(size);
      ok = lzss_read(f, lzss, static_cast<int>(size), out->data()) == size && in.left == 0;
   }
   if (lzss)
      free_lzss_unpack_data(lzss);
   if (f)
      pack_fclose(f);
   return ok;
}

// an object's contents: as they stand, or unpacked into *store when the
// archiver compressed the object (a negative unpacked size). The sizes are
// weighed against the packed bytes and what is left of the file's allowance
// before anything is allocated.
bool object_contents(READER *r, long *allowance, std::vector<unsigned char> *store, READER *body)
{
   long packed, size;
   const unsigned char *bytes;
   if (!r->get32(&packed) || !r->get32(&size) || !r->take(packed, &bytes))
      return false;
   if (size >= 0) {
      *body = { bytes, packed };
      return packed == size;
   }
   size = -size;
   if (size > packed * MAX_LZSS_RATIO || size > *allowance)
      return false;
   *allowance -= size;
   if (!unpack_object(bytes, packed, size, store))
      return false;
   *body = { store->data(), size };
   return true;
}

// skips the properties (name, origin, ...) ahead of an object to its type
bool object_type(READER *r, long *id)
{
   long size;
   const unsigned char *skip;
   for (;;) {
      if (!r->get32(id))
         return false;
      if (*id != DAT_PROPERTY)
         return true;
      if (!r->get32(id) || !r->get32(&size) || !r->take(size, &skip))
         return false;
   }
}

// types the library's loader parses with loaders of its own besides the
// catalogue's three; nothing here checks them, so they are refused even past
// the catalogue. An end marker would cut the loaded array short.
bool type_is_unchecked(long id)
{
   return id == DAT_FILE || id == DAT_FONT || id == DAT_MIDI || id == DAT_RLE_SPRITE ||
          id == DAT_C_SPRITE || id == DAT_XC_SPRITE || id == DAT_END;
}

// the object at index: within the catalogue it must hold its type; past it
// any type the loader checks here or only copies (the archiver's info object)
bool object_is_whole(READER *r, int index, long *allowance)
{
   long id;
   if (!object_type(r, &id))
      return false;
   if (index < DATA_COUNT ? id != data_expected_type(index) : type_is_unchecked(id))
      return false;

   std::vector<unsigned char> store;
   READER body;
   if (!object_contents(r, allowance, &store, &body))
      return false;
   switch (id) {
      case DAT_BITMAP:  return bitmap_is_whole(body);
      case DAT_SAMPLE:  return sample_is_whole(body);
      case DAT_PALETTE: return palette_is_whole(body);
      default:          return true;   // copied as it stands
   }
}

} // namespace

bool data_file_is_well_formed(const char *path)
{
   std::vector<unsigned char> contents;
   if (!read_whole(path, &contents))
      return false;

   READER r = { contents.data(), static_cast<long>(contents.size()) };
   long magic, count;
   if (!r.get32(&magic) || magic != DAT_MAGIC || !r.get32(&count) ||
       count < DATA_COUNT || count > r.left / MIN_OBJECT)
      return false;
   // what objects compressed on their own may unpack to, all together
   long allowance = MAX_DATA_FILE;
   for (int i = 0; i < count; i++)
      if (!object_is_whole(&r, i, &allowance))
         return false;
   return r.left == 0;
}
