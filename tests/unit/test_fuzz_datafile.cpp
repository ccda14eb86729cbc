// Damaged data files: truncated at every kind of place and with random bits
// flipped, none may crash the load path; each is either refused or loads as
// a file the game can index safely.
#include "data.h"
#include "headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> read_file(const char *path)
{
   std::ifstream in(path, std::ios::binary);
   return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::string temp_path()
{
   return ::testing::TempDir() + "fuzz_data_" + std::to_string(getpid()) + ".dat";
}

// the game's own load path; true when the file was accepted
bool load_like_the_game(const std::vector<unsigned char> &bytes, const std::string &path)
{
   {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
   }
   DATAFILE *d = data_file_is_sound(path.c_str()) ? load_datafile(path.c_str()) : nullptr;
   bool ok = data_matches_catalogue(d);
   if (d)
      unload_datafile(d);
   return ok;
}

class DamagedDataFile : public ::testing::Test
{
protected:
   void SetUp() override
   {
      headless_init();
      original = read_file(JUNKFALL_DATA_FILE);
      ASSERT_GT(original.size(), 1000u);
      path = temp_path();
   }
   void TearDown() override { std::remove(path.c_str()); }

   std::vector<unsigned char> original;
   std::string path;
};

TEST_F(DamagedDataFile, TheBuiltFileIsAccepted)
{
   EXPECT_TRUE(load_like_the_game(original, path));
}

TEST_F(DamagedDataFile, EveryTruncationIsRefused)
{
   // every length inside the headers and the first object's header, the
   // bytes around each 4-byte boundary of the first kilobyte, then lengths
   // spread over the whole file down to one byte short
   std::vector<size_t> lengths;
   for (size_t n = 0; n < 80; n++)
      lengths.push_back(n);
   for (size_t n = 80; n < 1024; n += 13)
      lengths.push_back(n);
   std::mt19937 rng(1234);
   for (int i = 0; i < 200; i++)
      lengths.push_back(rng() % original.size());
   for (size_t n = original.size() - 16; n < original.size(); n++)
      lengths.push_back(n);

   int tried = 0;
   for (size_t n : lengths) {
      std::vector<unsigned char> cut(original.begin(), original.begin() + n);
      EXPECT_FALSE(load_like_the_game(cut, path)) << "truncated to " << n << " bytes";
      tried++;
   }
   EXPECT_GE(tried, 300);
}

TEST_F(DamagedDataFile, RandomBitFlipsNeverCrash)
{
   std::mt19937 rng(20261206);
   int accepted = 0, refused = 0;
   for (int i = 0; i < 400; i++) {
      std::vector<unsigned char> bent = original;
      int flips = 1 + rng() % 8;
      // half the variants hit the headers and first objects, where most of
      // the structure lives; the rest anywhere
      size_t span = (i % 2) ? bent.size() : std::min<size_t>(bent.size(), 4096);
      for (int f = 0; f < flips; f++)
         bent[rng() % span] ^= static_cast<unsigned char>(1u << (rng() % 8));
      (load_like_the_game(bent, path) ? accepted : refused)++;
   }
   EXPECT_EQ(accepted + refused, 400);
   EXPECT_GT(refused, 0);
}

TEST_F(DamagedDataFile, TrailingBytesAndForeignFilesAreRefused)
{
   std::vector<unsigned char> longer = original;
   longer.push_back(0);
   EXPECT_FALSE(load_like_the_game(longer, path));

   std::vector<unsigned char> empty;
   EXPECT_FALSE(load_like_the_game(empty, path));

   std::vector<unsigned char> text = { 'h', 'e', 'l', 'l', 'o', '\n' };
   EXPECT_FALSE(load_like_the_game(text, path));
}

} // namespace
