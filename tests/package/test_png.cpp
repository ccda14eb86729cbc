// The icon writer's PNG and zlib framing, read back field by field.
#include "png.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::vector<uint8_t> bytes(const std::string &s) { return {s.begin(), s.end()}; }

uint32_t be32(const std::vector<uint8_t> &v, size_t at)
{
    return (uint32_t(v.at(at)) << 24) | (uint32_t(v.at(at + 1)) << 16) | (uint32_t(v.at(at + 2)) << 8) |
           v.at(at + 3);
}

// adler-32 from its definition, with wide sums reduced once at the end
uint32_t adler_reference(const std::vector<uint8_t> &d)
{
    uint64_t a = 1, b = 0;
    for (uint8_t c : d) {
        a += c;
        b += a;
    }
    return static_cast<uint32_t>(((b % 65521) << 16) | (a % 65521));
}

// unpacks a zlib stream made of stored blocks, checking every field; fails
// the test on anything else
std::vector<uint8_t> inflate_stored(const std::vector<uint8_t> &z, int *blocks = nullptr)
{
    std::vector<uint8_t> out;
    EXPECT_GE(z.size(), 2u + 5u + 4u);
    if (z.size() < 11)
        return out;
    EXPECT_EQ(z[0] & 0x0f, 8) << "compression method is not deflate";
    EXPECT_LE(z[0] >> 4, 7) << "window larger than 32K";
    EXPECT_EQ(((z[0] << 8) | z[1]) % 31, 0) << "header check bits";
    EXPECT_EQ(z[1] & 0x20, 0) << "preset dictionary";
    size_t pos = 2;
    int count = 0;
    bool last = false;
    while (!last) {
        if (pos + 5 > z.size()) {
            ADD_FAILURE() << "stream ends inside a block header";
            return out;
        }
        last = z[pos] & 1;
        EXPECT_EQ(z[pos] >> 1, 0) << "block " << count << " is not stored";
        size_t len = z[pos + 1] | (z[pos + 2] << 8);
        size_t nlen = z[pos + 3] | (z[pos + 4] << 8);
        EXPECT_EQ(len ^ 0xffff, nlen) << "block " << count << " length check";
        pos += 5;
        if (pos + len > z.size()) {
            ADD_FAILURE() << "block " << count << " runs past the stream";
            return out;
        }
        out.insert(out.end(), z.begin() + static_cast<long>(pos), z.begin() + static_cast<long>(pos + len));
        pos += len;
        count++;
    }
    EXPECT_EQ(pos + 4, z.size()) << "bytes after the checksum, or a short checksum";
    if (pos + 4 <= z.size()) {
        EXPECT_EQ(be32(z, pos), adler_reference(out));
    }
    if (blocks)
        *blocks = count;
    return out;
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> body;
};

std::vector<Chunk> chunks(const std::vector<uint8_t> &file)
{
    const std::vector<uint8_t> sig = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<Chunk> out;
    if (file.size() < 8 || !std::equal(sig.begin(), sig.end(), file.begin())) {
        ADD_FAILURE() << "no PNG signature";
        return out;
    }
    size_t pos = 8;
    while (pos < file.size()) {
        if (pos + 12 > file.size()) {
            ADD_FAILURE() << "chunk header or checksum cut short at " << pos;
            return out;
        }
        uint32_t len = be32(file, pos);
        if (pos + 12 + len > file.size()) {
            ADD_FAILURE() << "chunk at " << pos << " runs past the file";
            return out;
        }
        Chunk c;
        c.type.assign(file.begin() + static_cast<long>(pos + 4), file.begin() + static_cast<long>(pos + 8));
        c.body.assign(file.begin() + static_cast<long>(pos + 8), file.begin() + static_cast<long>(pos + 8 + len));
        EXPECT_EQ(be32(file, pos + 8 + len), png::crc32(file.data() + pos + 4, len + 4))
            << c.type << " checksum";
        out.push_back(c);
        pos += 12 + len;
    }
    return out;
}

std::vector<uint8_t> pattern(int w, int h)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); i++)
        rgba[i] = static_cast<uint8_t>((i * 7 + i / 4 * 13 + (i >> 9)) & 0xff);
    return rgba;
}

}  // namespace

TEST(Checksums, Crc32MatchesKnownValues)
{
    auto check = bytes("123456789");
    EXPECT_EQ(png::crc32(check.data(), check.size()), 0xcbf43926u);
    EXPECT_EQ(png::crc32(nullptr, 0), 0u);
    // every PNG ends in the same IEND chunk, checksum included
    auto iend = bytes("IEND");
    EXPECT_EQ(png::crc32(iend.data(), iend.size()), 0xae426082u);
}

TEST(Checksums, Crc32CanBeFedInPieces)
{
    auto d = bytes("The quick brown fox jumps over the lazy dog");
    uint32_t whole = png::crc32(d.data(), d.size());
    EXPECT_EQ(whole, 0x414fa339u);
    EXPECT_EQ(png::crc32(d.data() + 10, d.size() - 10, png::crc32(d.data(), 10)), whole);
}

TEST(Checksums, Adler32MatchesKnownValuesAndItsDefinition)
{
    auto w = bytes("Wikipedia");
    EXPECT_EQ(png::adler32(w.data(), w.size()), 0x11e60398u);
    EXPECT_EQ(png::adler32(nullptr, 0), 1u);
    // long runs of high bytes overflow the sums many times over
    std::vector<uint8_t> ff(200000, 0xff);
    EXPECT_EQ(png::adler32(ff.data(), ff.size()), adler_reference(ff));
    auto p = pattern(100, 300);
    EXPECT_EQ(png::adler32(p.data(), p.size()), adler_reference(p));
}

TEST(Zlib, StoredBlocksRoundTripAtEveryBoundary)
{
    for (size_t n : {size_t(0), size_t(1), size_t(65534), size_t(65535), size_t(65536), size_t(131070),
                     size_t(131071), size_t(200000)}) {
        SCOPED_TRACE(n);
        std::vector<uint8_t> data(n);
        for (size_t i = 0; i < n; i++)
            data[i] = static_cast<uint8_t>(i * 31 + (i >> 8));
        int blocks = 0;
        EXPECT_EQ(inflate_stored(png::zlib_stored(data), &blocks), data);
        size_t want = n == 0 ? 1 : (n + 65534) / 65535;
        EXPECT_EQ(static_cast<size_t>(blocks), want);
    }
}

TEST(Png, HeaderDataAndEndInOrder)
{
    const int w = 200, h = 100;  // more than one stored block of rows
    auto rgba = pattern(w, h);
    auto file = png::encode_rgba(w, h, rgba);
    auto cs = chunks(file);
    ASSERT_EQ(cs.size(), 3u);
    EXPECT_EQ(cs[0].type, "IHDR");
    EXPECT_EQ(cs[1].type, "IDAT");
    EXPECT_EQ(cs[2].type, "IEND");
    EXPECT_TRUE(cs[2].body.empty());

    const auto &ih = cs[0].body;
    ASSERT_EQ(ih.size(), 13u);
    EXPECT_EQ(be32(ih, 0), uint32_t(w));
    EXPECT_EQ(be32(ih, 4), uint32_t(h));
    EXPECT_EQ(ih[8], 8);   // bits per channel
    EXPECT_EQ(ih[9], 6);   // RGBA
    EXPECT_EQ(ih[10], 0);  // deflate
    EXPECT_EQ(ih[11], 0);  // filter method
    EXPECT_EQ(ih[12], 0);  // not interlaced

    int blocks = 0;
    auto raw = inflate_stored(cs[1].body, &blocks);
    EXPECT_GT(blocks, 1);
    ASSERT_EQ(raw.size(), static_cast<size_t>(h) * (1 + w * 4));
    for (int y = 0; y < h; y++) {
        const uint8_t *row = raw.data() + static_cast<size_t>(y) * (1 + w * 4);
        ASSERT_EQ(row[0], 0) << "row " << y << " filter";
        ASSERT_TRUE(std::equal(row + 1, row + 1 + w * 4, rgba.begin() + static_cast<long>(y) * w * 4))
            << "row " << y;
    }
}

TEST(Png, RefusesPixelsThatDoNotFitTheSize)
{
    EXPECT_TRUE(png::encode_rgba(4, 4, std::vector<uint8_t>(4 * 4 * 4 - 1)).empty());
    EXPECT_TRUE(png::encode_rgba(0, 4, {}).empty());
    EXPECT_TRUE(png::encode_rgba(-1, -4, std::vector<uint8_t>(16)).empty());
    EXPECT_FALSE(png::encode_rgba(1, 1, {1, 2, 3, 4}).empty());
}

TEST(Png, WritesTheEncodedBytes)
{
    char path[] = "/tmp/junkfall-png-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    auto rgba = pattern(9, 7);
    ASSERT_TRUE(png::write_rgba(path, 9, 7, rgba));
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path);
    EXPECT_EQ(got, png::encode_rgba(9, 7, rgba));
    EXPECT_FALSE(png::write_rgba("/nonexistent-dir/x.png", 9, 7, rgba));
}
