// Two players, 30 seconds, nobody shooting: each turn ends when the 20th
// envelope lands, the colours swing as health drops and are whole again at
// the next prompt, the table lists both players. Then a game abandoned with
// Esc. The tests follow one run of the game in order.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>

#include "harness.h"
#include "screens.h"

namespace e2e {
namespace {

constexpr auto kToMenu = 40s;
constexpr auto kToReact = 5s;
constexpr auto kTurnDeadline = 40s;
constexpr double kTurn = 30.0;
constexpr double kTwentiethLanding = 909 / 60.0;  // processed tick 909
constexpr int kPointerY = 470;

enum class Stage { None, FirstPrompt, SecondPrompt, Table, Menu };

std::string joined(const std::vector<std::string> &v) {
  std::string s;
  for (const std::string &p : v) s += "\n  " + p;
  return s;
}

std::set<uint32_t> sky_colours(const TurnLog &log, int health) {
  std::set<uint32_t> out;
  for (const Reading &r : log.readings)
    if (r.health == health && r.sky) out.insert(uint32_t{r.sky->r} << 16 | uint32_t{r.sky->g} << 8 | r.sky->b);
  return out;
}

class TwoPlayerGame : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { game_.reset(); }

  XServer &x() { return XServer::shared(); }
  GameProcess &game() { return *game_; }

  // a key at the prompt, then the turn watched to the next screen
  TurnLog play_unshot_turn() {
    x().move(400, kPointerY);
    const auto key = Clock::now();
    x().tap_key(XK_space);
    return watch_turn(x(), game(), key, kTurnDeadline);
  }

  // The checks both unshot turns share: the bar loses 5 rows per landing
  // on time, the clock counts down, the 20th landing ends the turn.
  void check_unshot_turn(const TurnLog &log, const char *which) {
    SCOPED_TRACE(which);
    ASSERT_TRUE(log.ended) << "still playing after " << kTurnDeadline.count() << " s\n"
                           << save_debug_image(log.last_scene, "no-end") << "\n" << game().diagnostics();
    std::cout << "[   info   ] " << which << " over between " << log.end_lo << " and " << log.end_hi << " s after the key, "
              << log.readings.size() << " grabs\n";
    EXPECT_TRUE(log.problems.empty()) << "health bar:" << joined(log.problems);
    std::vector<int> seen;
    for (const Reading &r : log.readings)
      if (r.health >= 0 && (seen.empty() || seen.back() != r.health)) seen.push_back(r.health);
    std::ostringstream steps;
    for (int h : seen) steps << " " << h;
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 20) << "health seen:" << steps.str();
    EXPECT_LE(seen.back(), 1) << "health seen:" << steps.str();
    // grabs come much faster than landings (one per 0.5 s): every step
    // shows, each one point (5 rows of the bar)
    bool ones = true;
    for (size_t i = 1; i < seen.size(); ++i) ones = ones && seen[i - 1] - seen[i] == 1;
    EXPECT_TRUE(ones) << "health seen:" << steps.str();
    const std::vector<std::string> landings = unshot_landing_problems(log);
    EXPECT_TRUE(landings.empty()) << joined(landings) << "\nhealth seen:" << steps.str();
    const std::vector<std::string> clock = clock_problems(log, kTurn);
    EXPECT_TRUE(clock.empty()) << joined(clock);
    EXPECT_GE(log.end_hi, kTwentiethLanding - 0.05);
    EXPECT_LE(log.end_lo, kTwentiethLanding + 0.5);
  }

  static std::unique_ptr<GameProcess> game_;
  static Stage stage_;
  static TurnLog first_, second_;
};

std::unique_ptr<GameProcess> TwoPlayerGame::game_;
Stage TwoPlayerGame::stage_ = Stage::None;
TurnLog TwoPlayerGame::first_;
TurnLog TwoPlayerGame::second_;

#define NEED(stage) ASSERT_EQ(stage_, stage) << "an earlier test did not get the game this far"

TEST_F(TwoPlayerGame, UnshotSpamEndsTheFirstTurnAtTheTwentiethLanding) {
  x().move(kScreenW - 1, kScreenH - 1);
  game_ = std::make_unique<GameProcess>(x());
  std::string why;
  ASSERT_TRUE(wait_for_menu(x(), game(), kToMenu, &why)) << why;
  ASSERT_TRUE(start_game(x(), game(), 1, 0, &why)) << why;
  stage_ = Stage::FirstPrompt;
  first_ = play_unshot_turn();
  ASSERT_NO_FATAL_FAILURE(check_unshot_turn(first_, "first turn"));
  stage_ = Stage::SecondPrompt;
}

TEST_F(TwoPlayerGame, ColoursSwingWiderAsHealthDrops) {
  ASSERT_FALSE(first_.readings.empty());
  // every sky pixel must be a blend the swing can reach at the health the
  // bar shows (or one more: the palette is installed after the bar is drawn)
  std::vector<std::string> wrong;
  int lo10 = 64, hi10 = 0;
  std::set<uint32_t> low_health;
  double low_from = -1, low_to = -1;
  for (const Reading &r : first_.readings) {
    if (r.health < 0 || !r.sky) continue;
    const auto pos = blend_positions(*r.sky, kSky);
    const int lowest = lowest_pulse(r.health);
    if (!pos || pos->second < lowest) {
      std::ostringstream os;
      os << "at " << r.ta << " s, health " << r.health << ": sky " << *r.sky;
      if (pos) os << " is the blend at " << pos->first << ".." << pos->second << ", below " << lowest;
      else os << " is no blend of the sky's entries";
      if (wrong.size() < 8) wrong.push_back(os.str());
      continue;
    }
    if (r.health <= 10) {
      lo10 = std::min(lo10, pos->first);
      hi10 = std::max(hi10, pos->second);
      low_health.insert(uint32_t{r.sky->r} << 16 | uint32_t{r.sky->g} << 8 | r.sky->b);
      if (low_from < 0) low_from = r.ta;
      low_to = r.tb;
    }
  }
  // at full health that leaves no swing at all: position 64 throughout
  EXPECT_TRUE(wrong.empty()) << joined(wrong);
  EXPECT_FALSE(sky_colours(first_, 20).empty());
  // from the 10th landing on (at least 1.5 s of it) the swing spans 32..64
  ASSERT_GT(low_to - low_from, 1.5) << "too little of the turn seen at health 10 or less";
  EXPECT_GE(low_health.size(), 4u) << "the sky hardly changed at low health";
  EXPECT_LE(lo10, 44) << "the swing never went deep at health 10 or less";
  EXPECT_GE(hi10, 60) << "the swing never came back at health 10 or less";
}

TEST_F(TwoPlayerGame, SecondPromptIsInTheGamePaletteAgain) {
  NEED(Stage::SecondPrompt);
  // the first turn ended with the colours swinging; the prompt's colour 3
  // must be white again
  const Comparison c = compare(first_.end_screen, prompt_screen(), pointer_areas(x()));
  EXPECT_TRUE(c.ok()) << c.describe() << "\n" << save_debug_image(first_.end_screen, "second-prompt");
}

TEST_F(TwoPlayerGame, SecondTurnStartsWholeAgainAndAlsoEndsAtTheTwentiethLanding) {
  NEED(Stage::SecondPrompt);
  second_ = play_unshot_turn();
  ASSERT_NO_FATAL_FAILURE(check_unshot_turn(second_, "second turn"));
  stage_ = Stage::Table;
  // it begins at full health, with the swing at rest: nothing left over
  // from the deep swing the first turn ended in
  ASSERT_FALSE(second_.readings.empty());
  EXPECT_EQ(second_.readings.front().clock, 29);
  EXPECT_EQ(second_.readings.front().health, 20);
  const std::set<uint32_t> still = sky_colours(second_, 20);
  EXPECT_FALSE(still.empty());
  std::ostringstream off;
  for (uint32_t c : still) {
    const Rgb rgb{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
    if (rgb != game_colour(kSky) && rgb != blend_colour(kSky, 64)) off << " " << rgb;
  }
  EXPECT_TRUE(off.str().empty()) << "sky at full health:" << off.str();
}

TEST_F(TwoPlayerGame, ScoreTableListsBothPlayersWithNoPoints) {
  NEED(Stage::Table);
  const Image want = text_screen({{200, 300, "Player scores"}, {220, 310, "Player 1: 0"}, {220, 320, "Player 2: 0"}},
                                 game_colour(kSpamBody));
  const Comparison c = compare(second_.end_screen, want, pointer_areas(x()));
  EXPECT_TRUE(c.ok()) << c.describe() << "\n" << save_debug_image(second_.end_screen, "two-player-table");
  x().move(kScreenW - 1, kScreenH - 1);
  x().tap_key(XK_Return);
  std::string why;
  ASSERT_TRUE(wait_for_menu(x(), game(), kToReact, &why)) << why;
  stage_ = Stage::Menu;
}

TEST_F(TwoPlayerGame, EscapeDuringPlayAbandonsTheGameWithoutScores) {
  NEED(Stage::Menu);
  std::string why;
  ASSERT_TRUE(start_game(x(), game(), 0, 0, &why)) << why;
  x().move(400, kPointerY);
  x().tap_key(XK_space);
  Image img;
  ASSERT_TRUE(wait_until(
      x(), [](const Image &i) { return read_clock(i).has_value(); }, kToReact, &img, [&] { return !game().running(); }))
      << "the turn did not start\n" << save_debug_image(img, "no-turn");
  sleep_for(500ms);
  x().move(kScreenW - 1, kScreenH - 1);
  x().tap_key(XK_Escape);
  // straight back to the menu: no score table, no further prompt
  bool text_screen_seen = false;
  Image text;
  const bool back = wait_until(
      x(),
      [&](const Image &i) {
        if (black_outside(i, kTextArea, pointer_areas(x())) && non_black_pixels(i, pointer_areas(x())) > 0 &&
            !text_screen_seen) {
          text_screen_seen = true;
          text = i;
        }
        return read_menu(i, pointer_areas(x())).shown;
      },
      kToReact, &img, [&] { return !game().running(); });
  EXPECT_FALSE(text_screen_seen) << "a prompt or a table on the way out\n" << save_debug_image(text, "after-escape");
  ASSERT_TRUE(back) << "no menu after Esc\n" << save_debug_image(img, "after-escape") << "\n" << game().diagnostics();

  // and the program is still well: Quit ends it cleanly
  x().click(kQuitSlot.cx(), kQuitSlot.cy());
  EXPECT_EQ(game().wait_exit(kToReact), 0) << game().diagnostics();
}

}  // namespace
}  // namespace e2e
