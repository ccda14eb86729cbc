#include "data.h"
#include "headless.h"
#include "main.h"
#include "usage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// the built file holds what the game indexes; anything else at an index is
// refused, and what follows the catalogue (the archiver's info object) is not
TEST(DataCatalogue, TheBuiltFileMatchesAndADamagedCopyIsRefused)
{
   DATAFILE *built = headless_data();
   EXPECT_TRUE(data_matches_catalogue(built));
   EXPECT_FALSE(data_matches_catalogue(nullptr));

   const struct { int index, type; bool ok; } damage[] = {
      { FIRE_SAMPLE, DAT_BITMAP, false }, { TITLE_PAL, DAT_BITMAP, false },
      { MENU_QUIT, DAT_END, false }, { DATA_COUNT, DAT_BITMAP, true } };
   for (const auto &d : damage) {
      DATAFILE copy[DATA_COUNT + 2];
      std::copy(built, built + DATA_COUNT + 1, copy);
      copy[DATA_COUNT + 1] = copy[DATA_COUNT];
      copy[d.index] = { built[MENU_PLAY].dat, d.type, 0, nullptr };
      EXPECT_EQ(data_matches_catalogue(copy), d.ok) << d.index;
   }
}

// --help and --version answer without starting anything; every other command
// line starts the game
TEST(CommandLine, HelpAndVersionAloneAreAnswered)
{
   const struct { std::vector<const char *> args; int status; const char *out; } rows[] = {
      { { "junkfall", "--version" }, 0, "junkfall 1.0.0\n" },
      { { "junkfall", "--help" }, 0, "Usage: junkfall [--fullscreen | --window | --help | --version]\n" },
      { { "junkfall" }, -1, "" }, { { "junkfall", "-v" }, -1, "" },
      { { "junkfall", "--help", "--version" }, -1, "" } };
   for (const auto &r : rows) {
      testing::internal::CaptureStdout();
      int status = answer_command_line(static_cast<int>(r.args.size()), const_cast<char **>(r.args.data()));
      std::string out = testing::internal::GetCapturedStdout();
      EXPECT_EQ(status, r.status) << r.args.size();
      EXPECT_EQ(out.substr(0, std::strlen(r.out)), r.out);
      EXPECT_EQ(out.empty(), !*r.out);
   }
}

// full screen unless the last of --window and --fullscreen is --window
TEST(CommandLine, WindowOrFullScreenTheLastSays)
{
   const struct { std::vector<const char *> args; bool full; } rows[] = {
      { { "junkfall" }, true }, { { "junkfall", "--window" }, false },
      { { "junkfall", "--window", "--fullscreen" }, true },
      { { "junkfall", "--fullscreen", "--window" }, false }, { { "junkfall", "--windowed" }, true } };
   for (const auto &r : rows) {
      int argc = static_cast<int>(r.args.size());
      EXPECT_EQ(full_screen_asked(argc, const_cast<char **>(r.args.data())), r.full) << argc;
   }
}
