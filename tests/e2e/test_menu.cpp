// The title menu: frames on the chosen slots, the hit areas, the press latch,
// the pointer, and the ways out (Esc, Quit, Play and back).
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <iostream>
#include <memory>
#include <sstream>

#include "data.h"
#include "harness.h"
#include "screens.h"

namespace e2e {
namespace {

constexpr auto kToMenu = 40s;    // splashes take about 6 s
constexpr auto kToReact = 5s;    // a click showing on screen
constexpr auto kToExit = 15s;
constexpr int kParkX = kScreenW - 1, kParkY = kScreenH - 1;  // blank corner

std::string name(int players, int time) {
  std::ostringstream os;
  os << (players >= 0 ? kPlayerSlots[players].label : players == -1 ? "no players frame" : "broken players frames")
     << " / " << (time >= 0 ? kTimeSlots[time].label : time == -1 ? "no time frame" : "broken time frames");
  return os.str();
}

class Menu : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { game_.reset(); }
  // a test that stopped half way must not leave the button held for the next
  void TearDown() override { XServer::shared().button(false); }

  // A game at its menu, shared between tests while it lives. `fresh`: the
  // menu as it first opens, nobody has clicked it yet.
  void open_menu(bool fresh) {
    XServer &x = XServer::shared();
    if (game_ && game_->running() && !(fresh && touched_)) return;
    game_.reset();
    x.move(kParkX, kParkY);
    game_ = std::make_unique<GameProcess>(x);
    touched_ = false;
    Image last;
    ASSERT_TRUE(wait_until(
        x,
        [&](const Image &img) {
          x.nudge();
          return read_menu(img, pointer_areas(x)).shown;
        },
        kToMenu, &last, [] { return !game_->running(); }))
        << "no menu: " << read_menu(last, pointer_areas(x)).problem << "\n"
        << save_debug_image(last, "no-menu") << "\n"
        << game_->diagnostics();
  }

  XServer &x() { return XServer::shared(); }
  GameProcess &game() { return *game_; }

  // click and take the pointer out of the way again
  void click_at(int px, int py) {
    touched_ = true;
    x().click(px, py);
    x().move(kParkX, kParkY);
  }
  void click(const Slot &s) { click_at(s.cx(), s.cy()); }

  // waits for the menu with these frames
  void expect_frames(int players, int time) {
    Image last;
    MenuView v;
    const bool ok = wait_until(
        x(),
        [&](const Image &img) {
          v = read_menu(img, pointer_areas(x()));
          return v.shown && v.players == players && v.time == time;
        },
        kToReact, &last, [] { return !game_->running(); });
    ASSERT_TRUE(ok) << "want " << name(players, time) << ", menu shown " << v.shown << " with "
                    << name(v.players, v.time) << "\n"
                    << v.problem << "\nsaved as " << save_debug_image(last, "frames") << "\n"
                    << game_->diagnostics();
  }

  // sets a known choice through the centres of the slots
  void choose(int players, int time) {
    click(kPlayerSlots[players]);
    click(kTimeSlots[time]);
    ASSERT_NO_FATAL_FAILURE(expect_frames(players, time));
  }

  static std::unique_ptr<GameProcess> game_;
  static bool touched_;
};

std::unique_ptr<GameProcess> Menu::game_;
bool Menu::touched_ = false;

TEST_F(Menu, OpensWithTwoPlayersAnd180SecondsFramed) {
  // the frame colour must stand out from every button's own edge, or the
  // player could not see the choice either
  const DataFile &d = DataFile::game();
  const Image plain = menu_screen(-1, -1);
  const Rgb frame = d.palette(TITLE_PAL).rgb(1);
  auto check_row = [&](const auto &row) {
    for (const Slot &s : row) {
      bool differs = false;
      for (auto [px, py] : outline(s)) differs = differs || plain.rgb(px, py) != frame;
      EXPECT_TRUE(differs) << s.label << "'s edge is all frame colour";
    }
  };
  check_row(kPlayerSlots);
  check_row(kTimeSlots);

  ASSERT_NO_FATAL_FAILURE(open_menu(true));
  ASSERT_NO_FATAL_FAILURE(expect_frames(kDefaultPlayers, kDefaultTime));
  // and the whole screen exactly: logo, buttons, frames, black elsewhere
  Image img = x().grab();
  const Comparison c = compare(img, menu_screen(kDefaultPlayers, kDefaultTime), pointer_areas(x()));
  EXPECT_TRUE(c.ok()) << c.describe() << "\nsaved as " << save_debug_image(img, "menu-defaults");
}

TEST_F(Menu, ClickingOnePlayerAnd30SecondsMovesBothFrames) {
  ASSERT_NO_FATAL_FAILURE(open_menu(true));
  ASSERT_NO_FATAL_FAILURE(expect_frames(kDefaultPlayers, kDefaultTime));
  click(kPlayerSlots[0]);
  ASSERT_NO_FATAL_FAILURE(expect_frames(0, kDefaultTime));
  click(kTimeSlots[0]);
  ASSERT_NO_FATAL_FAILURE(expect_frames(0, 0));
  // the old frames are gone without a trace
  Image img = x().grab();
  const Comparison c = compare(img, menu_screen(0, 0), pointer_areas(x()));
  EXPECT_TRUE(c.ok()) << c.describe() << "\nsaved as " << save_debug_image(img, "menu-moved");
}

// The hit area of a slot at (x0, y0) is x0 < x <= x0 + 116, y0 < y <= y0 + 45.
// Misses are proved by a later click that does land: input arrives in order,
// so once its effect shows, the misses have been seen too.
TEST_F(Menu, HitAreaStopsOnePixelInsideTheButtonEdges) {
  ASSERT_NO_FATAL_FAILURE(open_menu(false));
  ASSERT_NO_FATAL_FAILURE(choose(2, 1));

  const Slot &p = kPlayerSlots[3];
  click_at(p.x, p.cy());
  click_at(p.cx(), p.y);
  click_at(p.x + 117, p.cy());
  click_at(p.cx(), p.y + 46);
  click(kTimeSlots[2]);  // lands
  ASSERT_NO_FATAL_FAILURE(expect_frames(2, 2)) << "a click on the edge of " << p.label << " counted";

  click_at(p.x + 116, p.y + 45);
  ASSERT_NO_FATAL_FAILURE(expect_frames(3, 2)) << "the far inside corner of " << p.label << " missed";
  const Slot &q = kPlayerSlots[0];
  click_at(q.x + 1, q.y + 1);
  ASSERT_NO_FATAL_FAILURE(expect_frames(0, 2)) << "the near inside corner of " << q.label << " missed";

  const Slot &t = kTimeSlots[4];
  click_at(t.x, t.cy());
  click_at(t.cx(), t.y);
  click_at(t.x + 117, t.cy());
  click_at(t.cx(), t.y + 46);
  click(kPlayerSlots[1]);  // lands
  ASSERT_NO_FATAL_FAILURE(expect_frames(1, 2)) << "a click on the edge of " << t.label << " counted";
  click_at(t.x + 116, t.y + 45);
  ASSERT_NO_FATAL_FAILURE(expect_frames(1, 4)) << "the far inside corner of " << t.label << " missed";
  const Slot &u = kTimeSlots[0];
  click_at(u.x + 1, u.y + 1);
  ASSERT_NO_FATAL_FAILURE(expect_frames(1, 0)) << "the near inside corner of " << u.label << " missed";
}

TEST_F(Menu, APressActsOnceUntilTheButtonIsReleased) {
  ASSERT_NO_FATAL_FAILURE(open_menu(false));
  ASSERT_NO_FATAL_FAILURE(choose(0, 1));

  // press on "3 players" and keep holding while sliding over "4 players"
  // and then Quit: neither may act
  x().move(kPlayerSlots[2].cx(), kPlayerSlots[2].cy());
  sleep_for(40ms);
  x().button(true);
  ASSERT_NO_FATAL_FAILURE(expect_frames(2, 1));
  x().move(kPlayerSlots[3].cx(), kPlayerSlots[3].cy());
  const bool acted = wait_until(
      x(), [&](const Image &img) { return read_menu(img, pointer_areas(x())).players == 3; }, 400ms);
  x().move(kQuitSlot.cx(), kQuitSlot.cy());
  game().wait_exit(400ms);
  x().button(false);
  x().move(kParkX, kParkY);
  EXPECT_FALSE(acted) << "a held button selected a second slot";
  ASSERT_TRUE(game().running()) << "a held button reached Quit\n" << game().diagnostics();

  click(kTimeSlots[4]);
  ASSERT_NO_FATAL_FAILURE(expect_frames(2, 4));
}

TEST_F(Menu, PointerIsACrosshairCentredOnTheHotSpot) {
  ASSERT_NO_FATAL_FAILURE(open_menu(false));
  // a black spot between the rows
  const int mx = 400, my = 461;
  const Image plain = menu_screen(-1, -1);
  for (int y = my - 9; y <= my + 9; ++y)
    for (int xx = mx - 9; xx <= mx + 9; ++xx) ASSERT_EQ(plain.rgb(xx, y), kBlack) << xx << "," << y;

  const Rgb colour = DataFile::game().palette(TITLE_PAL).rgb(1);
  x().move(mx - 30, my);
  x().move(mx, my);
  Image last;
  // the circle of radius 6 round the hot spot, in colour 1
  const bool drawn = wait_until(
      x(),
      [&](const Image &img) {
        return img.rgb(mx + 6, my) == colour && img.rgb(mx - 6, my) == colour && img.rgb(mx, my + 6) == colour &&
               img.rgb(mx, my - 6) == colour;
      },
      kToReact, &last);
  EXPECT_TRUE(drawn) << save_debug_image(last, "pointer");
  // inside the 16x16 sprite only colour 1 and background; nothing outside
  int stray = 0;
  std::ostringstream where;
  for (int y = my - 10; y <= my + 10; ++y) {
    for (int xx = mx - 10; xx <= mx + 10; ++xx) {
      const bool in_sprite = xx >= mx - 7 && xx <= mx + 8 && y >= my - 7 && y <= my + 8;
      const Rgb c = last.rgb(xx, y);
      if (c == kBlack || (in_sprite && c == colour)) continue;
      if (stray++ < 5) where << " (" << xx << "," << y << ") " << c;
    }
  }
  EXPECT_EQ(stray, 0) << where.str() << "\nsaved as " << save_debug_image(last, "pointer");
  // moving on leaves the background as it was
  x().move(kParkX, kParkY);
  EXPECT_TRUE(wait_until(
      x(), [&](const Image &img) { return read_menu(img, pointer_areas(x())).shown; }, kToReact, &last))
      << save_debug_image(last, "pointer-trail");
}

TEST_F(Menu, EscapeLeavesWithStatusZero) {
  ASSERT_NO_FATAL_FAILURE(open_menu(false));
  x().move(kParkX, kParkY);
  x().tap_key(XK_Escape);
  EXPECT_EQ(game().wait_exit(kToExit), 0) << game().diagnostics();
  EXPECT_TRUE(game().messages().empty()) << game().diagnostics();
}

TEST_F(Menu, QuitLeavesWithStatusZero) {
  ASSERT_NO_FATAL_FAILURE(open_menu(false));
  ASSERT_NO_FATAL_FAILURE(choose(0, 0));
  // Quit's edge is not Quit
  click_at(kQuitSlot.x, kQuitSlot.cy());
  click_at(kQuitSlot.cx(), kQuitSlot.y);
  click(kPlayerSlots[3]);
  ASSERT_NO_FATAL_FAILURE(expect_frames(3, 0)) << "Quit's edge was taken for Quit";
  click_at(kQuitSlot.x + 116, kQuitSlot.y + 45);
  EXPECT_EQ(game().wait_exit(kToExit), 0) << game().diagnostics();
  EXPECT_TRUE(game().messages().empty()) << game().diagnostics();
}

// Play runs a game; getting out of it (a key at the start prompt, Esc
// while playing) returns to a menu that has forgotten the last choice.
TEST_F(Menu, PlayThenBackToAMenuShowingTheDefaultsAgain) {
  ASSERT_NO_FATAL_FAILURE(open_menu(false));
  ASSERT_NO_FATAL_FAILURE(choose(2, 1));
  click(kPlaySlot);

  enum class Kind { Menu, Prompt, Black, Other };
  // the start prompt: text near (200, 300) on black, nothing else
  auto classify = [&](const Image &img, MenuView *v) {
    const std::vector<Rect> ignore = pointer_areas(x());
    *v = read_menu(img, ignore);
    if (v->shown) return Kind::Menu;
    Rect b;
    if (non_black_pixels(img, ignore, &b) == 0) return Kind::Black;
    const Rect prompt{190, 290, 420, 40};
    if (prompt.contains(b.x, b.y) && prompt.contains(b.x + b.w - 1, b.y + b.h - 1)) return Kind::Prompt;
    return Kind::Other;
  };

  const auto deadline = Clock::now() + 40s;
  Kind kind = Kind::Other;
  auto other_since = Clock::now();
  bool was_other = false;
  int escapes = 0, keys = 0;
  MenuView v;
  Image img;
  for (;;) {
    ASSERT_TRUE(game().running()) << "left the program instead of returning to the menu\n" << game().diagnostics();
    ASSERT_LT(Clock::now(), deadline) << "stuck after Play (" << keys << " keys, " << escapes
                                      << " escapes), last screen " << save_debug_image(img, "after-play") << "\n"
                                      << "menu frames: " << name(v.players, v.time) << " " << v.problem;
    img = x().grab();
    kind = classify(img, &v);
    if (kind == Kind::Menu && v.players == kDefaultPlayers && v.time == kDefaultTime) break;
    if (kind == Kind::Prompt) {
      ++keys;
      x().tap_key(XK_space);
      wait_until(
          x(), [&](const Image &i) { return classify(i, &v) != Kind::Prompt; }, kToReact);
    } else if (kind == Kind::Other) {
      // only once it is clearly the game and not a screen on its way out
      if (!was_other) other_since = Clock::now();
      if (Clock::now() - other_since > 500ms) {
        ++escapes;
        x().tap_key(XK_Escape);
        wait_until(
            x(), [&](const Image &i) { return classify(i, &v) != Kind::Other; }, kToReact);
      }
    }
    was_other = kind == Kind::Other;
    sleep_for(25ms);
  }

  std::cout << "[   info   ] back at the menu after " << keys << " key(s) at a prompt and " << escapes
            << " escape(s)\n";
  click(kQuitSlot);
  EXPECT_EQ(game().wait_exit(kToExit), 0) << game().diagnostics();
  EXPECT_TRUE(game().messages().empty()) << game().diagnostics();
}

}  // namespace
}  // namespace e2e
