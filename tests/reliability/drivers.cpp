// Long runs of the real game for the scripts beside this file, which also
// set up what each needs (valgrind, a busy core); not part of the suite.
//   Drive.Session   splashes, menu, a two-player game, an abandoned game, Quit
//   Drive.TimedTurn one 30 s turn kept alive by shooting, timed on screen
//   Drive.Soak      one 300 s turn of random input, resident memory sampled
// JUNKFALL_GAME names the program to start instead of the built game (a
// valgrind wrapper, the probed game); JUNKFALL_SLOW scales the deadlines.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "screens.h"
#include "steer.h"

namespace e2e {
namespace {

std::string env(const char *name) { return getenv(name) ? getenv(name) : ""; }

milliseconds deadline(milliseconds normal) {
  const int slow = std::max(1, std::atoi(env("JUNKFALL_SLOW").c_str()));
  return normal * slow;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::unique_ptr<GameProcess> start_at_menu(XServer &x) {
  x.move(kScreenW - 1, kScreenH - 1);
  auto g = std::make_unique<GameProcess>(x, LaunchOptions{env("JUNKFALL_GAME"), "", {}});
  EXPECT_TRUE(wait_until(
      x,
      [&](const Image &img) {
        x.nudge();
        return classify(img, x) == Screen::Menu;
      },
      deadline(40s), nullptr, [&] { return !g->running(); }))
      << g->diagnostics();
  return g;
}

// from a prompt into play
void begin_turn(XServer &x, GameProcess &g) {
  ASSERT_TRUE(wait_screen(x, g, [](Screen s) { return s == Screen::Prompt; }, deadline(20s))) << g.diagnostics();
  x.tap_key(XK_space);
  ASSERT_TRUE(wait_screen(x, g, [](Screen s) { return s == Screen::Play; }, deadline(20s))) << g.diagnostics();
}

// waits for the turn in play to end by itself
Screen turn_over(XServer &x, GameProcess &g, milliseconds timeout) {
  Screen s;
  EXPECT_TRUE(wait_screen(x, g, [](Screen now) { return now == Screen::Prompt || now == Screen::Scores; }, timeout, &s))
      << "turn did not end, last screen " << screen_name(s) << "\n"
      << g.diagnostics();
  return s;
}

TEST(Drive, Session) {
  XServer &x = XServer::shared();
  std::mt19937 rng(7);
  const auto t0 = Clock::now();
  auto g = start_at_menu(x);
  ASSERT_TRUE(g->running());
  std::cout << "menu after " << seconds(Clock::now() - t0) << " s" << std::endl;

  // two players, 30 s turns: the first shoots for a while, then lets the
  // rest land; the second only watches them land until health is gone
  ASSERT_TRUE(start_game(x, *g, 1, 0, deadline(30s))) << g->diagnostics();
  ASSERT_NO_FATAL_FAILURE(begin_turn(x, *g));
  auto turn = Clock::now();
  const int shots = shoot(x, *g, rng, 150ms, turn + 12s);
  EXPECT_EQ(turn_over(x, *g, deadline(60s)), Screen::Prompt);
  std::cout << "turn 1: " << shots << " shots, over after " << seconds(Clock::now() - turn) << " s" << std::endl;
  ASSERT_NO_FATAL_FAILURE(begin_turn(x, *g));
  turn = Clock::now();
  EXPECT_EQ(turn_over(x, *g, deadline(60s)), Screen::Scores);
  std::cout << "turn 2: no shots, over after " << seconds(Clock::now() - turn) << " s" << std::endl;
  ASSERT_TRUE(back_to_menu(x, *g, deadline(30s))) << g->diagnostics();

  // one player, abandoned with Esc in play
  ASSERT_TRUE(start_game(x, *g, 0, 0, deadline(30s))) << g->diagnostics();
  ASSERT_NO_FATAL_FAILURE(begin_turn(x, *g));
  shoot(x, *g, rng, 150ms, Clock::now() + 4s);
  x.tap_key(XK_Escape);
  ASSERT_TRUE(wait_screen(x, *g, [](Screen s) { return s == Screen::Menu; }, deadline(20s))) << g->diagnostics();

  // valgrind's leak check runs after the game ends, which takes a while
  EXPECT_TRUE(quit(x, *g, deadline(30s) + 300s)) << g->diagnostics();
  std::cout << "session over after " << seconds(Clock::now() - t0) << " s" << std::endl;
}

// What the turn probe of the probed game reported, or nothing.
struct ProbeReport {
  unsigned ticks = 0;
  double seconds = 0;
  int health = 0;
};
std::optional<ProbeReport> probe_report(const std::string &err) {
  std::istringstream in(err);
  std::string line;
  while (std::getline(in, line)) {
    ProbeReport r;
    if (std::sscanf(line.c_str(), "turn-probe: ticks %u seconds %lf health %d", &r.ticks, &r.seconds, &r.health) == 3)
      return r;
  }
  return std::nullopt;
}

TEST(Drive, TimedTurn) {
  XServer &x = XServer::shared();
  std::mt19937 rng(11);
  auto g = start_at_menu(x);
  ASSERT_TRUE(start_game(x, *g, 0, 0, 30s)) << g->diagnostics();
  ASSERT_TRUE(wait_screen(x, *g, [](Screen s) { return s == Screen::Prompt; }, 10s));

  // the turn starts when the key is read; the first grab without the prompt
  // bounds it from above, the key press from below
  x.key(XK_space, true);
  const auto pressed = Clock::now();
  Image img;
  while (classify(img = x.grab(), x) == Screen::Prompt && Clock::now() - pressed < 5s) {
  }
  const auto started = Clock::now();
  x.key(XK_space, false);
  ASSERT_LT(started - pressed, 5s) << "the prompt stayed";

  const int shots = shoot(x, *g, rng, 25ms, started + 29s);
  // stop shooting shortly before the end and watch for the score table as
  // closely as grabs allow; the last grab still in play bounds the end
  auto before = Clock::now();
  Screen s = Screen::Play;
  while (Clock::now() - started < 40s) {
    const auto t = Clock::now();
    s = classify(x.grab(), x);
    if (s == Screen::Play) before = t;
    if (s != Screen::Play && s != Screen::Other) break;
  }
  const auto ended = Clock::now();
  ASSERT_EQ(s, Screen::Scores) << "the turn did not end by time after " << shots << " shots\n" << g->diagnostics();
  EXPECT_TRUE(quit(x, *g, 30s)) << g->diagnostics();

  // it began between the key and the first grab without the prompt, and
  // ended between the last grab in play and the score table's
  const double lo = seconds(before - started), hi = seconds(ended - pressed);
  std::cout << "on screen: turn lasted " << lo << " .. " << hi << " s (" << shots << " shots)" << std::endl;
  const auto r = probe_report(g->err());
  if (!r) {
    std::cout << "no turn probe in this game's output" << std::endl;
    return;
  }
  std::cout << "turn probe: " << r->ticks << " ticks, stopwatch " << r->seconds << " s, health " << r->health
            << std::endl;
  EXPECT_GT(r->health, 0) << "the turn ended by health, not by time";
  EXPECT_NEAR(r->ticks, 1800, 2);
  EXPECT_NEAR(r->seconds, 30.0, 0.05);
  EXPECT_LT(lo, 30.05);
  EXPECT_GT(hi, 29.95);
}

long resident_kib(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  long kib = -1;
  while (in >> key)
    if (key == "VmRSS:" && in >> kib) break;
  return kib;
}

TEST(Drive, Soak) {
  XServer &x = XServer::shared();
  std::mt19937 rng(13);
  auto g = start_at_menu(x);
  ASSERT_TRUE(start_game(x, *g, 0, 4, 30s)) << g->diagnostics();
  ASSERT_NO_FATAL_FAILURE(begin_turn(x, *g));
  const auto started = Clock::now();
  const pid_t pid = g->pid();

  // shots with random jitter and button timing, and now and then a key the
  // game must swallow, but none near the end, where it would dismiss the
  // score table; resident memory every 5 s
  const unsigned long keys[] = {XK_a, XK_z, XK_space, XK_Return, XK_Left, XK_Right, XK_1, XK_Tab};
  std::uniform_int_distribution<int> hold(30, 60), key(0, 7);
  std::vector<std::pair<double, long>> samples;
  Screen s = Screen::Play;
  int shots = 0, keys_sent = 0;
  for (auto next = started; s == Screen::Play && Clock::now() - started < 330s; next += 5s) {
    samples.push_back({seconds(Clock::now() - started), resident_kib(pid)});
    while (Clock::now() < next + 5s && s == Screen::Play) {
      shots += shoot(x, *g, rng, milliseconds(hold(rng)), Clock::now() + 1s);
      s = classify(x.grab(), x);
      if (s == Screen::Other) s = Screen::Play;  // a frame caught half drawn
      if (s == Screen::Play && Clock::now() - started < 295s) {
        x.tap_key(keys[key(rng)]);
        ++keys_sent;
      }
    }
  }
  const double lasted = seconds(Clock::now() - started);
  std::cout << "turn over after " << lasted << " s: " << shots << " shots, " << keys_sent << " keys" << std::endl;
  samples.push_back({lasted, resident_kib(pid)});
  EXPECT_EQ(s, Screen::Scores) << "last screen " << screen_name(s);
  EXPECT_GT(lasted, 299.0) << "the turn ended early: health ran out";

  long lo = -1, hi = -1;
  std::cout << "seconds  VmRSS/KiB" << std::endl;
  for (auto [t, kib] : samples) {
    std::printf("%7.1f  %ld\n", t, kib);
    if (t >= 60.0) {
      lo = lo < 0 ? kib : std::min(lo, kib);
      hi = std::max(hi, kib);
    }
  }
  std::cout << "after the first minute: " << lo << " .. " << hi << " KiB, spread " << hi - lo << " KiB" << std::endl;
  // flat: nothing that grows with play; a few pages of slack for the
  // allocator and the X connection's buffers
  EXPECT_LE(hi - lo, 256);
  EXPECT_TRUE(quit(x, *g, 30s)) << g->diagnostics();
}

}  // namespace
}  // namespace e2e
