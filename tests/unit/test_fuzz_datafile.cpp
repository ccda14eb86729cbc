// Every packing the archiver offers is accepted; damaged files (truncated,
// bits flipped, sizes that lie) never crash the load path: each is either
// refused or loads as a file the game can index safely.
#include "data.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> BYTES;

BYTES read_file(const std::string &path)
{
   std::ifstream in(path, std::ios::binary);
   return BYTES(std::istreambuf_iterator<char>(in), {});
}

void write_file(const BYTES &bytes, const std::string &path)
{
   std::ofstream out(path, std::ios::binary | std::ios::trunc);
   out.write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

// the game's own load path; true when the file was accepted
bool load_like_the_game(const BYTES &bytes, const std::string &path)
{
   write_file(bytes, path);
   DATAFILE *d = load_data(path.c_str());
   if (d)
      unload_datafile(d);
   return d != nullptr;
}

// sets the big-endian 32-bit field at
void put32(BYTES *b, size_t at, long value)
{
   for (int i = 0; i < 4; i++)
      (*b)[at + i] = static_cast<unsigned char>(static_cast<unsigned long>(value) >> (24 - 8 * i));
}

class DamagedDataFile : public ::testing::Test
{
protected:
   void SetUp() override
   {
      headless_init();
      original = read_file(JUNKFALL_DATA_FILE);
      ASSERT_GT(original.size(), 1000u);
      path = ::testing::TempDir() + "fuzz_data_" + std::to_string(getpid()) + ".dat";
   }
   void TearDown() override { std::remove(path.c_str()); }

   // the built file re-saved by the archiver; forms(): plain, compressed
   // whole, objects compressed one by one
   BYTES resaved(const std::string &options)
   {
      write_file(original, path);
      EXPECT_EQ(std::system(("dat -n0 " + options + " '" + path + "' > /dev/null").c_str()), 0);
      return read_file(path);
   }
   std::vector<BYTES> forms() { return { original, resaved("-c2 -s1"), resaved("-c1 -s1") }; }

   BYTES original;
   std::string path;
};

TEST_F(DamagedDataFile, EveryPackingOfTheArchiverIsAccepted)
{
   for (const char *options : { "-c0 -s0", "-c0 -s1", "-c0 -s2", "-c1 -s0", "-c1 -s1",
                                "-c1 -s2", "-c2 -s0", "-c2 -s1", "-c2 -s2" })
      EXPECT_TRUE(load_like_the_game(resaved(options), path)) << options;
}

TEST_F(DamagedDataFile, TruncationsAreRefusedAndBitFlipsNeverCrash)
{
   std::mt19937 rng(20261206);
   for (const BYTES &form : forms()) {
      // every length inside the headers and the first object's header, every
      // 13th of the first kilobyte, its last 16 bytes, then spread over it
      std::vector<size_t> lengths;
      for (size_t n = 0; n < 1024; n += n < 80 ? 1 : 13)
         lengths.push_back(n);
      for (size_t n = 1; n <= 116; n++)
         lengths.push_back(n <= 16 ? form.size() - n : rng() % form.size());
      for (size_t n : lengths)
         EXPECT_FALSE(load_like_the_game(BYTES(form.begin(), form.begin() + n), path))
            << "truncated to " << n << " of " << form.size() << " bytes";
      // half the flips hit the headers and first objects, where most of the
      // structure lives; the rest anywhere
      int refused = 0;
      for (int i = 0; i < 100; i++) {
         BYTES bent = form;
         for (int f = 1 + rng() % 8; f > 0; f--)
            bent[rng() % (i % 2 ? bent.size() : 4096)] ^= 1u << (rng() % 8);
         refused += !load_like_the_game(bent, path);
      }
      EXPECT_GT(refused, 0) << form.size() << " bytes";
   }
}

TEST_F(DamagedDataFile, LyingSizesAndForeignFilesAreRefused)
{
   std::vector<BYTES> bad = { BYTES(), BYTES{ 'h', 'i', '\n' }, original, original, original };
   bad[2].push_back(0);
   put32(&bad[3], 8, DATA_COUNT - 1);
   put32(&bad[4], 8, DATA_COUNT + 1);   // past the catalogue, a font the loader would parse
   bad[4].insert(bad[4].end(), { 'F', 'O', 'N', 'T', 0, 0, 0, 2, 0, 0, 0, 2, 0xff, 0xff });
   // without names, the first object's packed size is at 16 and its unpacked
   // size at 20, negative when it was compressed on its own
   const BYTES packed = resaved("-c1 -s2");
   for (auto lie : { std::make_pair(16, INT_MAX), std::make_pair(20, INT_MIN) }) {
      bad.push_back(packed);
      put32(&bad.back(), lie.first, lie.second);
   }
   // well-sized objects that lie inside: a palette's red of 64, a sample of 12 bits
   const BYTES plain = resaved("-c0 -s2");
   auto get32 = [&plain](size_t at) {
      return plain[at] << 24 | plain[at + 1] << 16 | plain[at + 2] << 8 | plain[at + 3];
   };
   for (auto lie : { std::make_pair(DAT_PALETTE, 0), std::make_pair(DAT_SAMPLE, 1) }) {
      size_t at = 12;   // the first object of the type: each is its type, two sizes, its body
      while (get32(at) != lie.first)
         at += 12 + get32(at + 4);
      bad.push_back(plain);
      bad.back()[at + 12 + lie.second] = lie.first == DAT_PALETTE ? 64 : 12;
   }
   for (size_t i = 0; i < bad.size(); i++)
      EXPECT_FALSE(load_like_the_game(bad[i], path)) << "case " << i;
}

} // namespace
