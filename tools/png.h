// A small PNG writer: 8-bit RGBA, no filtering, the image data in zlib
// "stored" blocks. The icons are tiny, so compression would buy nothing
// worth a library dependency.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace png {

// the checksums PNG and zlib use, as they define them
uint32_t crc32(const uint8_t *data, size_t n, uint32_t crc = 0);
uint32_t adler32(const uint8_t *data, size_t n, uint32_t adler = 1);

// a zlib stream holding data uncompressed
std::vector<uint8_t> zlib_stored(const std::vector<uint8_t> &data);

// a whole PNG file of w x h pixels, rgba row by row from the top, four bytes
// a pixel; empty when the sizes do not match
std::vector<uint8_t> encode_rgba(int w, int h, const std::vector<uint8_t> &rgba);

bool write_rgba(const std::string &path, int w, int h, const std::vector<uint8_t> &rgba);

}  // namespace png
