// An input storm: about a minute of random pointer moves, clicks and keys
// (Esc among them) across the menu and the game, from a fixed seed. The game
// must neither crash nor hang: it keeps answering, and afterwards it can be
// steered back to the menu and quits with status 0.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <iostream>
#include <map>
#include <random>

#include "screens.h"
#include "steer.h"

namespace e2e {
namespace {

constexpr auto kStorm = 50s;
constexpr auto kToMenu = 40s;
constexpr auto kToChange = 10s;  // a key that must change the screen
constexpr auto kToExit = 15s;

// Quit's hit area, with a margin. The storm never puts the pointer there:
// a click on it would end the run early, and Quit is tested on its own.
const Rect kQuitArea{kQuitSlot.x - 4, kQuitSlot.y - 4, kButtonW + 8, kButtonH + 8};

const unsigned long kKeys[] = {XK_a, XK_q, XK_z, XK_p, XK_1, XK_9, XK_space, XK_Return,
                               XK_BackSpace, XK_Tab, XK_Left, XK_Up, XK_F1, XK_minus};

TEST(Storm, RandomInputAcrossMenuAndGameNeitherCrashesNorHangs) {
  XServer &x = XServer::shared();
  x.move(kScreenW - 1, kScreenH - 1);
  GameProcess g(x);
  ASSERT_TRUE(wait_until(
      x,
      [&](const Image &img) {
        x.nudge();
        return classify(img, x) == Screen::Menu;
      },
      kToMenu, nullptr, [&] { return !g.running(); }))
      << g.diagnostics();

  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> px(0, kScreenW - 1), py(0, kScreenH - 1), pct(0, 99), pause(0, 6),
      key(0, std::size(kKeys) - 1);
  std::map<Screen, int> visits;
  int moves = 0, clicks = 0, keys = 0, escapes = 0;
  const auto end = Clock::now() + kStorm;
  while (Clock::now() < end) {
    ASSERT_TRUE(g.running()) << "the game ended during the storm\n" << g.diagnostics();
    // the library draws the pointer a moment after the last move; until
    // then a screen can look like none of the known ones
    Screen s;
    wait_screen(x, g, [](Screen now) { return now != Screen::Other; }, 500ms, &s);
    ++visits[s];
    // A burst of moves and clicks, closed by at most one key. Keys may
    // lead to the menu, where Esc quits, so Esc is only sent where the
    // screen says it cannot reach the menu, and a key that changes the
    // screen ends the burst until the change shows.
    for (int i = 0; i < 12; ++i) {
      int mx, my;
      do {
        mx = px(rng);
        my = py(rng);
      } while (kQuitArea.contains(mx, my));
      x.move(mx, my);
      ++moves;
      if (pct(rng) < 30) {
        x.button(true);
        sleep_for(milliseconds(pause(rng) * 5));
        x.button(false);
        ++clicks;
      }
      sleep_for(milliseconds(pause(rng)));
    }
    if (pct(rng) < 40) {
      // Esc rarely, so that some turns run until health is gone and the
      // score table shows up too
      unsigned long k = pct(rng) < 4 ? XK_Escape : kKeys[key(rng)];
      const bool leaves = s == Screen::Prompt || s == Screen::Scores || (s == Screen::Play && k == XK_Escape);
      if (k == XK_Escape && s != Screen::Play && s != Screen::Prompt && s != Screen::Scores) k = XK_space;
      x.key(k, true);
      x.key(k, false);
      ++keys;
      escapes += k == XK_Escape;
      if (leaves) {
        ASSERT_TRUE(wait_screen(x, g, [s](Screen now) { return now != s; }, kToChange))
            << "a key at the " << screen_name(s) << " changed nothing\n"
            << save_debug_image(x.grab(), "storm-stuck") << "\n"
            << g.diagnostics();
      }
    }
  }
  std::cout << "[   info   ] storm: " << moves << " moves, " << clicks << " clicks, " << keys << " keys (" << escapes
            << " Esc); bursts at menu " << visits[Screen::Menu] << ", prompt " << visits[Screen::Prompt]
            << ", play " << visits[Screen::Play] << ", scores " << visits[Screen::Scores] << ", other "
            << visits[Screen::Other] << "\n";
  EXPECT_GT(visits[Screen::Menu], 0);
  EXPECT_GT(visits[Screen::Play], 0) << "the storm never got into a game";

  x.button(false);
  x.move(kScreenW - 1, kScreenH - 1);
  ASSERT_TRUE(back_to_menu(x, g, kToMenu)) << save_debug_image(x.grab(), "storm-end") << "\n" << g.diagnostics();
  EXPECT_TRUE(quit(x, g, kToExit)) << "exit status " << (g.exit_status() ? *g.exit_status() : 999) << "\n"
                                   << g.diagnostics();
  EXPECT_TRUE(g.messages().empty()) << g.diagnostics();
}

}  // namespace
}  // namespace e2e
