#include "png.h"

#include <algorithm>
#include <cstdio>

namespace png {

namespace {

void put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &body)
{
    put32(out, static_cast<uint32_t>(body.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    // the checksum covers the type and the body, not the length
    put32(out, crc32(out.data() + start, out.size() - start));
}

}  // namespace

uint32_t crc32(const uint8_t *data, size_t n, uint32_t crc)
{
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; i++)
        crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

uint32_t adler32(const uint8_t *data, size_t n, uint32_t adler)
{
    const uint32_t mod = 65521;
    uint32_t a = adler & 0xffff, b = adler >> 16;
    for (size_t i = 0; i < n; i++) {
        a = (a + data[i]) % mod;
        b = (b + a) % mod;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> zlib_stored(const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> out;
    // deflate, 32K window, no preset dictionary; 0x7801 is a multiple of 31
    out.push_back(0x78);
    out.push_back(0x01);
    size_t pos = 0;
    do {
        // a stored block holds at most 65535 bytes; an empty input still
        // needs one (final) block
        size_t len = std::min<size_t>(data.size() - pos, 65535);
        bool last = pos + len == data.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(len));
        out.push_back(static_cast<uint8_t>(len >> 8));
        out.push_back(static_cast<uint8_t>(~len));
        out.push_back(static_cast<uint8_t>(~len >> 8));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                   data.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
    } while (pos < data.size());
    put32(out, adler32(data.data(), data.size()));
    return out;
}

std::vector<uint8_t> encode_rgba(int w, int h, const std::vector<uint8_t> &rgba)
{
    if (w <= 0 || h <= 0 || rgba.size() != static_cast<size_t>(w) * h * 4)
        return {};
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

    std::vector<uint8_t> ihdr;
    put32(ihdr, static_cast<uint32_t>(w));
    put32(ihdr, static_cast<uint32_t>(h));
    ihdr.push_back(8);  // bits per channel
    ihdr.push_back(6);  // colour type: RGBA
    ihdr.push_back(0);  // deflate
    ihdr.push_back(0);  // adaptive filtering, of which we use "none"
    ihdr.push_back(0);  // not interlaced
    chunk(out, "IHDR", ihdr);

    // every row starts with its filter type
    size_t row = static_cast<size_t>(w) * 4;
    std::vector<uint8_t> raw;
    raw.reserve((row + 1) * h);
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        auto first = rgba.begin() + static_cast<std::ptrdiff_t>(row * y);
        raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(row));
    }
    chunk(out, "IDAT", zlib_stored(raw));
    chunk(out, "IEND", {});
    return out;
}

bool write_rgba(const std::string &path, int w, int h, const std::vector<uint8_t> &rgba)
{
    std::vector<uint8_t> bytes = encode_rgba(w, h, rgba);
    if (bytes.empty())
        return false;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace png
