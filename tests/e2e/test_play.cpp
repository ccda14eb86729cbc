// One player, 30 seconds, watched from Play to the score table: the prompt,
// Esc starting the turn, the scene, the turret, a held button, shooting spam
// down, the end of the turn and the table. The tests follow one game in
// order; each needs the one before it to have got the game that far.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "harness.h"
#include "screens.h"

namespace e2e {
namespace {

constexpr auto kToMenu = 40s;
constexpr auto kToReact = 5s;
constexpr double kTurn = 30.0;
// the turret follows x only; this y keeps the pointer's sprite off the
// ground, the turret and the health bar
constexpr int kPointerY = 470;

enum class Stage { None, Prompt, Playing, Table, Menu };

// Envelopes as boxes. The clock's text and the pointer can cut one into
// pieces; spam fall in step, 60 rows apart, so pieces this close are one.
std::vector<Rect> envelopes(const Image &img) {
  std::vector<Rect> boxes = find_spam(img);
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < boxes.size() && !merged; ++i)
      for (size_t j = i + 1; j < boxes.size() && !merged; ++j) {
        const Rect &a = boxes[i], &b = boxes[j];
        if (a.x - 8 <= b.x + b.w && b.x - 8 <= a.x + a.w && a.y - 8 <= b.y + b.h && b.y - 8 <= a.y + a.h) {
          const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
          const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
          boxes[i] = {x0, y0, x1 - x0, y1 - y0};
          boxes.erase(boxes.begin() + static_cast<long>(j));
          merged = true;
        }
      }
  }
  return boxes;
}

// What rows 580..599 must show with the turret centred on `tx`: the block,
// 21 columns wide, over sky and then ground.
std::vector<std::string> band_problems(const Image &img, int tx, const std::vector<Rect> &ignore) {
  std::vector<std::string> out;
  long wrong = 0;
  for (int y = 580; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      bool skip = false;
      for (const Rect &r : ignore) skip = skip || r.contains(x, y);
      if (skip) continue;
      const Rgb c = img.rgb(x, y);
      const bool turret = x >= tx - 10 && x <= tx + 10;
      const bool ok = turret ? shows(c, kTurretColour)
                             : y < 590 ? shows(c, kSky) : shows(c, kGround) || shows(c, kSpeckle);
      if (!ok && wrong++ < 6) {
        std::ostringstream os;
        os << "(" << x << "," << y << ") " << c << (turret ? " in the turret" : y < 590 ? " in the sky" : " in the ground");
        out.push_back(os.str());
      }
    }
  if (wrong > 6) out.push_back("... " + std::to_string(wrong) + " pixels in all");
  return out;
}

std::string joined(const std::vector<std::string> &v) {
  std::string s;
  for (const std::string &p : v) s += "\n  " + p;
  return s;
}

class OnePlayerGame : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { game_.reset(); }
  // a test that stopped half way must not leave the button held
  void TearDown() override { XServer::shared().button(false); }

  XServer &x() { return XServer::shared(); }
  GameProcess &game() { return *game_; }

  static std::unique_ptr<GameProcess> game_;
  static Stage stage_;
  static Clock::time_point key_;  // the key that started the turn
  static Image full_health_;      // early in the turn, before any loss
  static int shots_;
  static TurnLog turn_;
};

std::unique_ptr<GameProcess> OnePlayerGame::game_;
Stage OnePlayerGame::stage_ = Stage::None;
Clock::time_point OnePlayerGame::key_;
Image OnePlayerGame::full_health_;
int OnePlayerGame::shots_ = 0;
TurnLog OnePlayerGame::turn_;

#define NEED(stage) ASSERT_EQ(stage_, stage) << "an earlier test did not get the game this far"

TEST_F(OnePlayerGame, PlayShowsThePromptOnACleanScreen) {
  x().move(kScreenW - 1, kScreenH - 1);
  game_ = std::make_unique<GameProcess>(x());
  std::string why;
  ASSERT_TRUE(wait_for_menu(x(), game(), kToMenu, &why)) << why;
  // start_game waits for the whole screen: black, and the prompt's pixels
  // in colour 3 of the game palette at (200, 300)
  ASSERT_TRUE(start_game(x(), game(), 0, 0, &why)) << why;
  stage_ = Stage::Prompt;
}

TEST_F(OnePlayerGame, EscapeAtThePromptStartsTheTurnShowing29LeftAndAFullBar) {
  NEED(Stage::Prompt);
  x().move(400, kPointerY);
  key_ = Clock::now();
  x().tap_key(XK_Escape);
  Image img;
  ASSERT_TRUE(wait_until(
      x(), [](const Image &i) { return read_clock(i).has_value(); }, kToReact, &img, [&] { return !game().running(); }))
      << "no clock after Esc at the prompt: " << save_debug_image(img, "no-turn") << "\n"
      << game().diagnostics();
  const double t = seconds_since(key_, Clock::now());
  stage_ = Stage::Playing;
  // a 30 s turn shows 29 from its first frame: the time left truncated
  EXPECT_EQ(read_clock(img), 29) << "first clock after " << t << " s\n" << save_debug_image(img, "first-clock");
  std::string why;
  EXPECT_EQ(read_health(img, &why), 20) << why << "\n" << save_debug_image(img, "first-bar");
}

TEST_F(OnePlayerGame, SceneIsSkyCloudsGroundTurretBarAndWholeEnvelopes) {
  NEED(Stage::Playing);
  // an envelope fully in view below the clock: the first comes at 0.5 s
  Image img;
  std::vector<Rect> spam;
  ASSERT_TRUE(wait_until(
      x(),
      [&](const Image &i) {
        spam = envelopes(i);
        return std::any_of(spam.begin(), spam.end(),
                           [](const Rect &r) { return r.w == 32 && r.h == 16 && r.y >= 20 && r.x + 32 <= 780; });
      },
      kToReact, &img))
      << "no whole envelope in view: " << spam.size() << " pieces\n" << save_debug_image(img, "no-spam");
  full_health_ = img;
  const std::vector<Rect> ignore = pointer_areas(x());
  const std::string saved = save_debug_image(img, "scene");

  // each envelope in full view is the sprite: body 3, outline and flap 4
  const Picture sprite = envelope_picture();
  int whole = 0;
  for (const Rect &r : spam) {
    if (r.w != 32 || r.h != 16 || r.y < 20 || r.x + 32 > 780) continue;
    ++whole;
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
      for (int xx = 0; xx < 32; ++xx) {
        bool skip = false;
        for (const Rect &p : ignore) skip = skip || p.contains(r.x + xx, r.y + y);
        if (!skip && !shows(img.rgb(r.x + xx, r.y + y), sprite.at(xx, y))) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << "envelope at (" << r.x << "," << r.y << ") differs from the sprite in " << wrong
                        << " pixels\n" << saved;
  }
  EXPECT_GE(whole, 1);

  // Everything else, by region. Clouds reach row 208 at most; below that,
  // down to the turret's rows, only sky and the falling objects.
  auto in_object = [&](int px, int py) {
    for (const Rect &r : spam)
      if (r.contains(px, py)) return true;
    for (const Rect &r : ignore)
      if (r.contains(px, py)) return true;
    return false;
  };
  const Rect clock{kClockX, kClockY, 13 * 8, 8}, bar{780, 0, 20, 103};
  std::map<std::string, long> wrong;
  std::map<std::string, std::string> first;
  long clouds = 0, speckles = 0, ground = 0;
  auto bad = [&](const std::string &where, int px, int py) {
    if (wrong[where]++ == 0) {
      std::ostringstream os;
      os << "(" << px << "," << py << ") " << img.rgb(px, py);
      first[where] = os.str();
    }
  };
  for (int py = 0; py < 580; ++py)
    for (int px = 0; px < kScreenW; ++px) {
      if (in_object(px, py) || clock.contains(px, py) || bar.contains(px, py)) continue;
      const Rgb c = img.rgb(px, py);
      if (py <= 208) {
        if (shows(c, kCloud))
          ++clouds;
        else if (!shows(c, kSky))
          bad("sky and clouds", px, py);
      } else if (!shows(c, kSky)) {
        bad("open sky", px, py);
      }
    }
  for (int py = 590; py < kScreenH; ++py)
    for (int px = 0; px < kScreenW; ++px) {
      if (px >= 390 && px <= 410) continue;  // the turret, checked below
      const Rgb c = img.rgb(px, py);
      if (shows(c, kSpeckle))
        ++speckles;
      else if (shows(c, kGround))
        ++ground;
      else
        bad("ground", px, py);
    }
  for (const auto &[where, n] : wrong) ADD_FAILURE() << n << " wrong pixels in the " << where << ", first " << first[where] << "\n" << saved;
  EXPECT_GT(clouds, 0) << "no clouds\n" << saved;
  // 1000 speckles at random over 10 rows: about 940 distinct pixels
  EXPECT_TRUE(speckles > 800 && speckles <= 1000) << speckles << " speckles, " << ground << " ground\n" << saved;

  const std::vector<std::string> band = band_problems(img, 400, ignore);
  EXPECT_TRUE(band.empty()) << "turret at 400:" << joined(band) << "\n" << saved;
  std::string why;
  EXPECT_EQ(read_health(img, &why), 20) << why << "\n" << saved;
  EXPECT_TRUE(read_clock(img).has_value()) << "no clock text\n" << saved;
}

TEST_F(OnePlayerGame, TurretFollowsThePointerToBothEdgesWithoutATrace) {
  NEED(Stage::Playing);
  for (int tx : {0, kScreenW - 1, 250}) {
    x().move(tx, kPointerY);
    std::vector<std::string> problems;
    Image img;
    const bool ok = wait_until(
        x(),
        [&](const Image &i) {
          problems = band_problems(i, tx, pointer_areas(x()));
          return problems.empty();
        },
        3s, &img);
    EXPECT_TRUE(ok) << "turret at " << tx << ":" << joined(problems) << "\n" << save_debug_image(img, "turret");
  }
}

TEST_F(OnePlayerGame, HoldingTheButtonFiresExactlyOneBanana) {
  NEED(Stage::Playing);
  // a column no envelope in view is falling through
  Image img = x().grab();
  int tx = 400;
  int best = -1;
  for (int cx = 60; cx <= 720; cx += 20) {
    int nearest = 1 << 20;
    for (const Rect &r : envelopes(img)) nearest = std::min(nearest, std::abs(r.x + r.w / 2 - cx));
    if (nearest > best) best = nearest, tx = cx;
  }
  x().move(tx, kPointerY);
  ASSERT_TRUE(wait_until(
      x(), [&](const Image &i) { return band_problems(i, tx, pointer_areas(x())).empty(); }, 3s, &img))
      << "turret did not come to " << tx << "\n" << save_debug_image(img, "aim");

  // the banana leaves from (tx - 8, 570) and rises 6 rows a tick; held, the
  // button must not fire again, so the yellow in the turret's column stays
  // within one 16x16 box
  const Rect column{tx - 40, 0, 81, kScreenH};
  x().button(true);
  const auto pressed = Clock::now();
  int seen = 0, max_rows = 0, lowest_top = -1, highest_top = 1 << 20;
  std::string first_bad;
  Image bad;
  while (Clock::now() - pressed < 1000ms) {
    img = x().grab();
    const std::vector<Rect> yellow = find_bananas(img, column);
    if (yellow.empty()) continue;
    ++seen;
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
    for (const Rect &r : yellow) {
      x0 = std::min(x0, r.x);
      y0 = std::min(y0, r.y);
      x1 = std::max(x1, r.x + r.w - 1);
      y1 = std::max(y1, r.y + r.h - 1);
    }
    max_rows = std::max(max_rows, y1 - y0 + 1);
    if (lowest_top < 0) lowest_top = y0;
    highest_top = std::min(highest_top, y0);
    if (first_bad.empty() && (y1 - y0 + 1 > 16 || x0 < tx - 8 || x1 > tx + 7)) {
      std::ostringstream os;
      os << "yellow over columns " << x0 << ".." << x1 << ", rows " << y0 << ".." << y1 << " with the turret at " << tx;
      first_bad = os.str();
      bad = img;
    }
  }
  x().button(false);
  shots_ += 1;
  EXPECT_GT(seen, 0) << "no banana while the button was held";
  EXPECT_TRUE(first_bad.empty()) << first_bad << "\n" << save_debug_image(bad, "held-button");
  EXPECT_GT(lowest_top - highest_top, 150) << "the banana did not rise: top row " << lowest_top << " then " << highest_top;

  // released and pressed again: a second one leaves the turret
  sleep_for(100ms);
  x().button(true);
  sleep_for(100ms);
  x().button(false);
  shots_ += 1;
  EXPECT_TRUE(wait_until(
      x(),
      [&](const Image &i) {
        for (const Rect &r : find_bananas(i, column))
          if (r.y + r.h > 520) return true;
        return false;
      },
      2s, &img))
      << "a new press after the release fired nothing\n" << save_debug_image(img, "second-banana");
}

TEST_F(OnePlayerGame, ShootingSpamDownKeepsTheTurnGoingTo30Seconds) {
  NEED(Stage::Playing);
  // Aim at the lowest envelope that can still be reached and has no banana
  // on its way, fire, and carry on until the turn is over.
  std::map<int, Clock::time_point> pending;  // envelope column -> banana due by
  auto aim_and_fire = [&](const Image &img, const Reading &) {
    const auto now = Clock::now();
    for (auto it = pending.begin(); it != pending.end();) it = it->second < now ? pending.erase(it) : std::next(it);
    const Rect *target = nullptr;
    const auto boxes = envelopes(img);  // target points into it
    for (const Rect &r : boxes) {
      if (r.y > 530) continue;  // too low to catch in time
      bool taken = false;
      for (const auto &p : pending) taken = taken || std::abs(p.first - r.x) < 24;
      if (!taken && (!target || r.y > target->y)) target = &r;
    }
    if (!target) {
      sleep_for(10ms);
      return;
    }
    const Rect r = *target;
    x().move(r.x + r.w / 2, kPointerY);
    sleep_for(30ms);
    x().button(true);
    sleep_for(60ms);
    x().button(false);
    sleep_for(50ms);
    ++shots_;
    // the banana closes 8 rows a tick on the envelope
    const double ticks = std::max(0, 554 - r.y) / 8.0;
    pending[r.x] = Clock::now() + milliseconds(static_cast<int>(ticks * 1000 / 60) + 400);
  };
  turn_ = watch_turn(x(), game(), key_, 45s, aim_and_fire);
  x().button(false);
  x().move(400, kPointerY);
  ASSERT_TRUE(turn_.ended) << "the turn did not end within 45 s\n"
                           << save_debug_image(turn_.last_scene, "no-end") << "\n" << game().diagnostics();

  int last_health = -1;
  for (const Reading &r : turn_.readings)
    if (r.health >= 0) last_health = r.health;
  const std::vector<Rect> left = envelopes(turn_.last_scene);
  std::cout << "[   info   ] turn over between " << turn_.end_lo << " and " << turn_.end_hi << " s; " << shots_
            << " shots, last health " << last_health << ", " << left.size() << " envelopes in the last frame, "
            << turn_.readings.size() << " grabs\n";
  stage_ = Stage::Table;

  EXPECT_TRUE(turn_.problems.empty()) << "health bar:" << joined(turn_.problems);
  const std::vector<std::string> clock = clock_problems(turn_, kTurn);
  EXPECT_TRUE(clock.empty()) << joined(clock);
  int prev = 20;
  for (const Reading &r : turn_.readings) {
    if (r.health < 0) continue;
    EXPECT_LE(r.health, prev) << "health rose at " << r.ta << " s";
    prev = r.health;
  }

  // Whichever way it went, the end must match it: time runs out between
  // 30.0 and 31.0 s after the key; an empty bar ends it sooner.
  if (turn_.end_hi < kTurn) {
    EXPECT_LE(last_health, 1) << "the turn ended after " << turn_.end_lo << ".." << turn_.end_hi
                              << " s with health " << last_health << " left";
  } else {
    EXPECT_GE(turn_.end_hi, kTurn) << "ended before its time";
    EXPECT_LE(turn_.end_lo, kTurn + 1.0) << "ran on after its time";
    EXPECT_GE(last_health, 1);
  }
}

TEST_F(OnePlayerGame, ScoreTableShowsPlayerOneWithTheSpamShotDown) {
  NEED(Stage::Table);
  const Image &img = turn_.end_screen;
  const Rgb white = game_colour(kSpamBody);
  auto ink = [&](Rgb c) { return c == white; };
  const std::string title = read_text(img, 200, 300, 13, ink);
  std::string row = read_text(img, 220, 310, 16, ink);
  row.erase(row.find_last_not_of(' ') + 1);
  EXPECT_EQ(title, "Player scores");
  const std::string prefix = "Player 1: ";
  ASSERT_EQ(row.compare(0, prefix.size(), prefix), 0) << "row 1 reads \"" << row << "\"\n" << save_debug_image(img, "table");
  const std::string digits = row.substr(prefix.size());
  ASSERT_TRUE(!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos)
      << "row 1 reads \"" << row << "\"";
  const int score = std::stoi(digits);
  // and nothing else on the screen
  const Comparison c = compare(img, text_screen({{200, 300, "Player scores"}, {220, 310, row}}, white), pointer_areas(x()));
  EXPECT_TRUE(c.ok()) << c.describe() << "\n" << save_debug_image(img, "table");

  std::cout << "[   info   ] " << row << " after " << shots_ << " shots\n";
  EXPECT_GE(score, 1) << "no hit scored";
  EXPECT_LE(score, shots_) << "more points than bananas fired";
  // Every envelope spawned (one per 30 ticks) was shot, landed or is still
  // falling; the count is rough at the edges (the last grab, the hidden
  // ones above the screen and under the bar).
  int last_health = 20;
  for (const Reading &r : turn_.readings)
    if (r.health >= 0) last_health = r.health;
  const int spawned = static_cast<int>(std::min(turn_.end_hi, kTurn) * 2);
  const int falling = static_cast<int>(envelopes(turn_.last_scene).size());
  EXPECT_NEAR(score, spawned - (20 - last_health) - falling, 3)
      << spawned << " spawned, " << 20 - last_health << " landed, " << falling << " still falling";

  // a key takes the table away and the menu comes back with its defaults
  x().move(kScreenW - 1, kScreenH - 1);
  x().tap_key(XK_space);
  Image last;
  MenuView v;
  EXPECT_TRUE(wait_until(
      x(),
      [&](const Image &i) {
        v = read_menu(i, pointer_areas(x()));
        return v.shown;
      },
      kToReact, &last, [&] { return !game().running(); }))
      << v.problem << "\n" << save_debug_image(last, "after-table") << "\n" << game().diagnostics();
  EXPECT_EQ(v.players, kDefaultPlayers);
  EXPECT_EQ(v.time, kDefaultTime);
  stage_ = Stage::Menu;
}

// At full health the swing stands still at the game palette: the scene's
// colours are exactly its entries.
TEST_F(OnePlayerGame, FullHealthSceneIsInExactlyTheGamePalette) {
  ASSERT_FALSE(full_health_.empty()) << "no grab from early in the turn";
  const Image &img = full_health_;
  struct Spot {
    const char *what;
    int index;
    Rect area;
  };
  const Spot spots[] = {
      {"sky", kSky, {0, 300, kScreenW, 200}},
      {"ground", kGround, {0, 590, kScreenW, 10}},
      {"speckles", kSpeckle, {0, 590, kScreenW, 10}},
      {"turret", kTurretColour, {0, 580, kScreenW, 10}},
      {"health bar", kBarColour, {781, 1, 19, 101}},
      {"clock text", kClockColour, {kClockX, kClockY, 13 * 8, 8}},
      {"envelope body", kSpamBody, {0, 20, 780, 560}},
      {"envelope edge", kSpamEdge, {0, 20, 780, 560}},
  };
  std::ostringstream off;
  for (const Spot &s : spots) {
    std::set<std::tuple<int, int, int>> seen;
    for (int y = s.area.y; y < s.area.y + s.area.h; ++y)
      for (int xx = s.area.x; xx < s.area.x + s.area.w; ++xx) {
        const Rgb c = img.rgb(xx, y);
        if (shows(c, s.index)) seen.insert({c.r, c.g, c.b});
      }
    for (const auto &[r, g, b] : seen)
      if (Rgb{uint8_t(r), uint8_t(g), uint8_t(b)} != game_colour(s.index))
        off << "\n  " << s.what << " (entry " << s.index << ") shows " << Rgb{uint8_t(r), uint8_t(g), uint8_t(b)}
            << ", the game palette has " << game_colour(s.index);
    if (seen.empty()) off << "\n  no " << s.what << " found";
  }
  EXPECT_TRUE(off.str().empty()) << "colours off at full health:"
                                 << off.str() << "\n" << save_debug_image(img, "full-health");
}

}  // namespace
}  // namespace e2e
