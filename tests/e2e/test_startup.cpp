// Start-up: the splashes in order, the menu, and the ways start-up must fail
// (bad data, no sound) or still work (other cwd, long install path).
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>

#include "data.h"
#include "harness.h"
#include "screens.h"

namespace e2e {
namespace {

// generous deadlines: the splashes normally reach the menu in about 6 s,
// but sanitizer builds on a busy machine are slower
constexpr auto kToSplash = 15s;
constexpr auto kToMenu = 40s;
constexpr auto kToExit = 15s;

// the best effort so far at matching a screen, for failure messages
struct Closest {
  long wrong = -1;
  Image img;
  std::string what;
  void offer(const Comparison &c, const Image &i) {
    if (wrong < 0 || c.wrong < wrong) {
      wrong = c.wrong;
      img = i;
      what = c.describe();
    }
  }
  std::string report(const std::string &tag) const {
    if (wrong < 0) return "no screen was grabbed";
    return "closest grab: " + what + "\nsaved as " + save_debug_image(img, tag);
  }
};

bool reaches_splash1(XServer &x, GameProcess &g, std::string *why) {
  Closest closest;
  const bool ok = wait_until(
      x,
      [&](const Image &img) {
        x.nudge();
        const Comparison c = compare(img, splash1_screen(), pointer_areas(x));
        closest.offer(c, img);
        return c.ok();
      },
      kToSplash, nullptr, [&] { return !g.running(); });
  if (!ok && why) *why = closest.report("splash1") + "\n" + g.diagnostics();
  return ok;
}

// Part way through a fade from black: somewhere lit, nowhere brighter than
// the final colours, not yet all there. Fading truncates towards black, so
// every step stays at or below its target.
bool dimmed(const Image &img, const Image &want, Rect area, const std::vector<Rect> &ignore) {
  bool lit = false, short_of = false;
  for (int y = area.y; y < area.y + area.h; y += 2)
    for (int x = area.x; x < area.x + area.w; x += 2) {
      bool skip = false;
      for (const Rect &r : ignore) skip = skip || r.contains(x, y);
      if (skip) continue;
      const Rgb g = img.rgb(x, y), w = want.rgb(x, y);
      if (g.r > w.r || g.g > w.g || g.b > w.b) return false;
      lit = lit || g != kBlack;
      short_of = short_of || g != w;
    }
  return lit && short_of;
}

Rect splash1_area() {
  const Picture &p = DataFile::game().picture(SPLASH1_BMP);
  return {kScreenW / 2 - p.w / 2, kScreenH / 2 - p.h / 2, p.w, p.h};
}

// ------------------------------------------------------------------------
// One start watched from launch to the menu; the checks below read what it
// saw, the last one ends it.

class StartupSequence : public ::testing::Test {
 protected:
  struct Seen {
    std::optional<milliseconds> splash1, splash2, menu;
    std::optional<milliseconds> splash1_dim;  // first grab of it fading in
    Closest closest1, closest2;
    Image last;
  };

  static void SetUpTestSuite() {
    XServer &x = XServer::shared();
    x.move(kScreenW - 1, kScreenH - 1);
    seen_ = std::make_unique<Seen>();
    game_ = std::make_unique<GameProcess>(x);
    const auto t0 = Clock::now();
    wait_until(
        x,
        [&](const Image &img) {
          const auto t = std::chrono::duration_cast<milliseconds>(Clock::now() - t0);
          x.nudge();
          const std::vector<Rect> ignore = pointer_areas(x);
          Seen &s = *seen_;
          if (!s.splash1) {
            const Comparison c = compare(img, splash1_screen(), ignore);
            s.closest1.offer(c, img);
            if (c.ok()) s.splash1 = t;
            if (!s.splash1_dim && dimmed(img, splash1_screen(), splash1_area(), ignore)) s.splash1_dim = t;
          }
          if (!s.splash2) {
            const Comparison c = compare(img, splash2_samples(), ignore);
            s.closest2.offer(c, img);
            if (c.ok()) s.splash2 = t;
          }
          if (!s.menu && read_menu(img, ignore).shown) s.menu = t;
          return s.menu.has_value();
        },
        kToMenu, &seen_->last, [] { return !game_->running(); });
  }

  static void TearDownTestSuite() {
    game_.reset();
    seen_.reset();
  }

  void SetUp() override { ASSERT_TRUE(game_ && seen_) << "the game was not started"; }

  static std::string context() {
    return "last grab saved as " + save_debug_image(seen_->last, "startup-last") + "\n" + game_->diagnostics();
  }

  static std::unique_ptr<GameProcess> game_;
  static std::unique_ptr<Seen> seen_;
};

std::unique_ptr<GameProcess> StartupSequence::game_;
std::unique_ptr<StartupSequence::Seen> StartupSequence::seen_;

TEST_F(StartupSequence, FirstSplashIsCentredInItsOwnPalette) {
  EXPECT_TRUE(seen_->splash1.has_value()) << seen_->closest1.report("splash1") << "\n" << game_->diagnostics();
}

TEST_F(StartupSequence, FirstSplashFadesInFromBlack) {
  ASSERT_TRUE(seen_->splash1.has_value());
  ASSERT_TRUE(seen_->splash1_dim.has_value()) << "it was never seen part way in";
  EXPECT_LT(*seen_->splash1_dim, *seen_->splash1);
}

TEST_F(StartupSequence, SecondSplashIsStretchedOverTheScreenAfterTheFirst) {
  // enough points to mean something, whatever the picture looks like
  ASSERT_GE(splash2_samples().size(), 200u);
  ASSERT_TRUE(seen_->splash2.has_value()) << seen_->closest2.report("splash2") << "\n" << game_->diagnostics();
  ASSERT_TRUE(seen_->splash1.has_value());
  EXPECT_LT(*seen_->splash1, *seen_->splash2);
}

TEST_F(StartupSequence, MenuFollowsTheSplashes) {
  ASSERT_TRUE(seen_->menu.has_value()) << read_menu(seen_->last, {}).problem << "\n" << context();
  ASSERT_TRUE(seen_->splash2.has_value());
  EXPECT_LT(*seen_->splash2, *seen_->menu);
  std::cout << "[   info   ] full colours of splash 1 at " << seen_->splash1.value_or(0ms).count()
            << " ms, splash 2 at " << seen_->splash2->count() << " ms, menu at " << seen_->menu->count() << " ms\n";
}

TEST_F(StartupSequence, EscapeAtTheMenuExitsWithStatusZeroAndNoMessage) {
  ASSERT_TRUE(game_->running()) << context();
  ASSERT_TRUE(seen_->menu.has_value()) << context();
  XServer &x = XServer::shared();
  x.move(kScreenW - 1, kScreenH - 1);  // keyboard focus follows the pointer
  x.tap_key(XK_Escape);
  EXPECT_EQ(game_->wait_exit(kToExit), 0) << game_->diagnostics();
  EXPECT_TRUE(game_->messages().empty()) << game_->diagnostics();
}

// ------------------------------------------------------------------------
// Where the game finds its data

TEST(Startup, FindsItsDataBesideTheExecutableNotInTheWorkingDirectory) {
  XServer &x = XServer::shared();
  x.move(kScreenW - 1, kScreenH - 1);
  // a decoy: a game that looked in the working directory would load this
  // and refuse it
  const std::string cwd = make_temp_dir("elsewhere");
  make_dirs(cwd + "/media");
  write_file(cwd + "/media/data.dat", "not the game's data\n");
  GameProcess g(x, {"", cwd, {}});
  std::string why;
  EXPECT_TRUE(reaches_splash1(x, g, &why)) << why;
  EXPECT_TRUE(g.messages().empty()) << g.diagnostics();
}

TEST(Startup, RunsFromADirectoryWhosePathIsLongerThan255Characters) {
  XServer &x = XServer::shared();
  x.move(kScreenW - 1, kScreenH - 1);
  const std::string dir = make_long_dir("long");
  ASSERT_GT(dir.size(), 255u);
  const std::string exe = install_game_copy(dir);
  GameProcess g(x, {exe, "", {}});
  std::string why;
  EXPECT_TRUE(reaches_splash1(x, g, &why)) << why;
  EXPECT_TRUE(g.messages().empty()) << g.diagnostics();
}

// ------------------------------------------------------------------------
// Bad data: one message naming the file, status 1, nothing drawn

void expect_refused(const std::string &exe, const std::string &data_path) {
  XServer &x = XServer::shared();
  x.move(kScreenW - 1, kScreenH - 1);
  GameProcess g(x, {exe, "", {}});
  // watch every frame until it exits: no splash, not even a fading one, so
  // the screen stays one flat colour (the library's blank window is not
  // always black)
  bool drawn = false;
  Image drawn_img;
  wait_until(
      x,
      [&](const Image &img) {
        if (!drawn && !flat(img, pointer_areas(x))) {
          drawn = true;
          drawn_img = img;
        }
        return false;
      },
      kToExit, nullptr, [&] { return !g.running(); });
  EXPECT_EQ(g.wait_exit(1s), 1) << g.diagnostics();
  EXPECT_EQ(g.messages(), std::vector<std::string>{"Error loading " + data_path + "\n"}) << g.diagnostics();
  EXPECT_FALSE(drawn) << "drawn before exiting: " << save_debug_image(drawn_img, "refused");
}

TEST(Startup, MissingDataFileIsReportedWithItsFullPath) {
  const std::string dir = make_temp_dir("nodata");
  expect_refused(install_game_copy(dir, DataChoice::Missing), dir + "/media/data.dat");
}

TEST(Startup, MissingDataFileUnderALongPathIsReportedWithTheWholePath) {
  const std::string dir = make_long_dir("nodata-long");
  expect_refused(install_game_copy(dir, DataChoice::Missing), dir + "/media/data.dat");
}

struct Foreign {
  const char *name;
  std::function<void(const std::string &path)> build;
};

void PrintTo(const Foreign &f, std::ostream *os) { *os << f.name; }

// the types the real file holds, in order
std::vector<uint32_t> real_types() {
  std::vector<uint32_t> t;
  for (int i = 0; i < DataFile::game().count(); ++i) t.push_back(DataFile::game().type(i));
  return t;
}

void write_with_types(const std::string &path, const std::vector<uint32_t> &types) {
  DatWriter w;
  for (size_t i = 0; i < types.size(); ++i) w.add_of_type(types[i], "OBJ" + std::to_string(i));
  w.save(path);
}

const Foreign kForeign[] = {
    {"BuiltWithDat",
     [](const std::string &path) {
       const std::string dir = make_temp_dir("datsrc");
       write_file(dir + "/notes.txt", "some other program's data\n");
       std::string out;
       ASSERT_EQ(run_command({"dat", "-a", "-t", "DATA", path, "notes.txt"}, dir, &out), 0) << out;
     }},
    {"TwentyFourDataObjects",
     [](const std::string &path) {
       DatWriter w;
       for (int i = 0; i < DATA_COUNT; ++i) w.add_data("x", "D" + std::to_string(i));
       w.save(path);
     }},
    {"CatalogueMissingItsLastObject",
     [](const std::string &path) {
       std::vector<uint32_t> t = real_types();
       t.pop_back();
       write_with_types(path, t);
     }},
    {"CatalogueWithAnExtraObject",
     [](const std::string &path) {
       std::vector<uint32_t> t = real_types();
       t.push_back(kDatData);
       write_with_types(path, t);
     }},
    {"PictureAndPaletteSwapped",
     [](const std::string &path) {
       std::vector<uint32_t> t = real_types();
       std::swap(t[SPLASH1_BMP], t[SPLASH1_PAL]);
       write_with_types(path, t);
     }},
    {"SoundWhereAPictureBelongs",
     [](const std::string &path) {
       std::vector<uint32_t> t = real_types();
       t[MENU_QUIT] = kDatSample;
       write_with_types(path, t);
     }},
    {"NotADataFile", [](const std::string &path) { write_file(path, "this is not a data file\n"); }},
    {"EmptyFile", [](const std::string &path) { write_file(path, ""); }},
};

class ForeignData : public ::testing::TestWithParam<Foreign> {};

TEST_P(ForeignData, IsRefusedLikeAMissingOne) {
  ASSERT_EQ(DataFile::game().count(), DATA_COUNT) << "the build's own data file is not as expected";
  const std::string dir = make_temp_dir(std::string("foreign-") + GetParam().name);
  const std::string file = dir + "/foreign.dat";
  GetParam().build(file);
  ASSERT_TRUE(file_exists(file));
  expect_refused(install_game_copy(dir, DataChoice::Replaced, file), dir + "/media/data.dat");
}

INSTANTIATE_TEST_SUITE_P(Startup, ForeignData, ::testing::ValuesIn(kForeign),
                         [](const ::testing::TestParamInfo<Foreign> &i) { return std::string(i.param.name); });

// The same writer with the catalogue's own types must be accepted, or the
// refusals above would prove nothing.
TEST(Startup, StandInDataWithTheCatalogueTypesIsAccepted) {
  XServer &x = XServer::shared();
  x.move(kScreenW - 1, kScreenH - 1);
  const std::string dir = make_temp_dir("standin");
  DatWriter w;
  std::vector<uint32_t> t = real_types();
  for (size_t i = 0; i < t.size(); ++i) {
    // a 100x100 first splash in colour 9; palette entry 9 is grey 9
    if (static_cast<int>(i) == SPLASH1_BMP)
      w.add_bitmap(100, 100, 9, "SPLASH1");
    else
      w.add_of_type(t[i], "OBJ" + std::to_string(i));
  }
  w.save(dir + "/standin.dat");
  ASSERT_EQ(t[SPLASH1_PAL], kDatPalette);
  GameProcess g(x, {install_game_copy(dir, DataChoice::Replaced, dir + "/standin.dat"), "", {}});
  Image last;
  const bool shown = wait_until(
      x,
      [&](const Image &img) {
        x.nudge();
        return img.rgb(420, 320) == pal_rgb(9, 9, 9) && img.rgb(349, 249) == kBlack;
      },
      kToSplash, &last, [&] { return !g.running(); });
  EXPECT_TRUE(shown) << save_debug_image(last, "standin") << "\n" << g.diagnostics();
  EXPECT_TRUE(g.messages().empty()) << g.diagnostics();
}

// ------------------------------------------------------------------------
// No sound: one message, then the game carries on silently

TEST(Startup, SoundThatCannotBeSetUpIsReportedOnceAndTheGameCarriesOn) {
  XServer &x = XServer::shared();
  x.move(kScreenW - 1, kScreenH - 1);
  // a config asking for a card this machine does not have; kept away from
  // the real binary, which would otherwise pick it up for every run
  const std::string cfg = make_temp_dir("nosound");
  write_file(cfg + "/allegro.cfg", "[sound]\ndigi_card = ALSA\n");
  // In sanitizer builds: the library's ALSA driver leaves ALSA's parsed
  // configuration behind when it fails, from a module it then unloads.
  // Nothing the game could free; the leak report would only slow the exit
  // down and turn its status into a failure.
  std::string asan = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
  asan += std::string(asan.empty() ? "" : ":") + "detect_leaks=0";
  GameProcess g(x, {"", "", {{"ALLEGRO", cfg}, {"ASAN_OPTIONS", asan}}});

  std::string why;
  EXPECT_TRUE(reaches_splash1(x, g, &why)) << why;
  Image last;
  ASSERT_TRUE(wait_until(
      x,
      [&](const Image &img) {
        x.nudge();
        return read_menu(img, pointer_areas(x)).shown;
      },
      kToMenu, &last, [&] { return !g.running(); }))
      << save_debug_image(last, "nosound") << "\n"
      << g.diagnostics();
  x.tap_key(XK_Escape);
  EXPECT_EQ(g.wait_exit(kToExit), 0) << g.diagnostics();

  const std::vector<std::string> msgs = g.messages();
  if (!msgs.empty()) std::cout << "[   info   ] message: [" << msgs[0] << "]\n";
  ASSERT_EQ(msgs.size(), 1u) << g.diagnostics();
  const std::string head = "Error setting up the sound!\n";
  ASSERT_EQ(msgs[0].substr(0, head.size()), head);
  // the library's reason follows on its own line
  const std::string reason = msgs[0].substr(head.size());
  EXPECT_GT(reason.size(), 1u) << "no reason given: [" << msgs[0] << "]";
  EXPECT_EQ(reason.back(), '\n') << "[" << msgs[0] << "]";
}

}  // namespace
}  // namespace e2e
