#include "steer.h"

#include <X11/keysym.h>

#include <map>

#include "screens.h"

namespace e2e {

namespace {

// the two texts on black: the turn prompt and the score table
const Rect kTextsOnBlack{190, 290, 420, 70};

// the health bar's box starts here and covers whatever falls behind it
constexpr int kEnvelopeRight = 780;

uint32_t packed(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }

bool ignored(const std::vector<Rect> &ignore, int x, int y) {
  for (const Rect &r : ignore)
    if (r.contains(x, y)) return true;
  return false;
}

// The health bar's box, drawn over everything in every frame: its left
// column and bottom row black, and the bar's own bottom row lit at any
// health. The bar colour is the same in both palettes, so only the blend's
// rounding can move it.
bool in_play(const Image &img, const std::vector<Rect> &ignore) {
  const Rgb bar = pal_rgb(31, 31, 63), blended = pal_rgb(30, 30, 62);
  int lit = 0;
  for (int x = 782; x < kScreenW; x += 4) {
    if (ignored(ignore, x, 101) || ignored(ignore, x, 102)) continue;
    const Rgb c = img.rgb(x, 101);
    if ((c != bar && c != blended) || img.rgb(x, 102) != kBlack) return false;
    ++lit;
  }
  for (int y = 0; y <= 102; y += 6)
    if (!ignored(ignore, 780, y) && img.rgb(780, y) != kBlack) return false;
  return lit > 0;
}

}  // namespace

std::optional<int> lowest_envelope(const Image &img) {
  // the sky's colour of the moment: the commonest of a few samples
  std::map<uint32_t, int> votes;
  for (int y : {230, 400, 550})
    for (int x = 3; x < kEnvelopeRight; x += 7) ++votes[packed(img.rgb(x, y))];
  uint32_t sky = 0;
  int most = 0;
  for (auto [c, n] : votes)
    if (n > most) most = n, sky = c;
  // Between the clouds and the turret an envelope is the only thing with
  // rows of 26 or more pixels off the sky: a turned banana spans at most
  // 23, the pointer 15. The health bar's box hides the right end of the
  // screen, so an envelope running into it may show less.
  for (int y = 562; y >= 212; y -= 2) {
    int run = 0;
    for (int x = 0; x < kEnvelopeRight; ++x) {
      run = packed(img.rgb(x, y)) == sky ? 0 : run + 1;
      if (run >= 26 || (x == kEnvelopeRight - 1 && run >= 12)) return x - run + 1 + 16;
    }
  }
  return std::nullopt;
}

void press(XServer &x, int px, int py, milliseconds hold) {
  x.move(px, py);
  sleep_for(40ms);
  x.button(true);
  sleep_for(hold);
  x.button(false);
  sleep_for(20ms);
}

const char *screen_name(Screen s) {
  switch (s) {
    case Screen::Menu: return "menu";
    case Screen::Prompt: return "prompt";
    case Screen::Scores: return "scores";
    case Screen::Play: return "play";
    default: return "other";
  }
}

Screen classify(const Image &img, const XServer &x) {
  const std::vector<Rect> ignore = pointer_areas(x);
  if (in_play(img, ignore)) return Screen::Play;
  Rect b;
  if (non_black_pixels(img, ignore, &b) > 0 && kTextsOnBlack.contains(b.x, b.y) &&
      kTextsOnBlack.contains(b.x + b.w - 1, b.y + b.h - 1)) {
    // the prompt is one line, 22 characters wide; the table has rows under
    // a shorter heading
    if (b.y + b.h > 310) return Screen::Scores;
    if (b.w > 22 * 8 - 4) return Screen::Prompt;
    return Screen::Other;
  }
  if (read_menu(img, ignore).shown) return Screen::Menu;
  return Screen::Other;
}

bool wait_screen(XServer &x, GameProcess &g, const std::function<bool(Screen)> &want, milliseconds timeout,
                 Screen *seen) {
  Screen s = Screen::Other;
  const bool ok = wait_until(
      x,
      [&](const Image &img) {
        s = classify(img, x);
        return want(s);
      },
      timeout, nullptr, [&] { return !g.running(); });
  if (seen) *seen = s;
  return ok;
}

bool back_to_menu(XServer &x, GameProcess &g, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline && g.running()) {
    const Screen s = classify(x.grab(), x);
    if (s == Screen::Menu) return true;
    if (s == Screen::Other) {
      sleep_for(25ms);
      continue;
    }
    // Esc only where it cannot reach the menu, which it would quit
    x.tap_key(s == Screen::Play ? XK_Escape : XK_space);
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    wait_screen(x, g, [s](Screen now) { return now != s; }, std::max(left, 0ms));
  }
  return false;
}

bool start_game(XServer &x, GameProcess &g, int players, int time, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  // a slow game can miss a click, so each step is repeated until it shows
  while (Clock::now() < deadline && g.running()) {
    press(x, kPlayerSlots[players].cx(), kPlayerSlots[players].cy(), 100ms);
    press(x, kTimeSlots[time].cx(), kTimeSlots[time].cy(), 100ms);
    x.move(kScreenW - 1, kScreenH - 1);
    MenuView v;
    const bool chosen = wait_until(
        x,
        [&](const Image &img) {
          v = read_menu(img, pointer_areas(x));
          return v.shown && v.players == players && v.time == time;
        },
        5s, nullptr, [&] { return !g.running(); });
    if (chosen) break;
  }
  while (Clock::now() < deadline && g.running()) {
    press(x, kPlaySlot.cx(), kPlaySlot.cy(), 100ms);
    x.move(kScreenW - 1, kScreenH - 1);
    if (wait_screen(x, g, [](Screen s) { return s == Screen::Prompt; }, 5s)) return true;
  }
  return false;
}

bool quit(XServer &x, GameProcess &g, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  if (!back_to_menu(x, g, timeout)) return false;
  // the menu samples the button, so a slow game can miss a click: again,
  // while the menu still shows
  do {
    press(x, kQuitSlot.cx(), kQuitSlot.cy(), 200ms);
    x.move(kScreenW - 1, kScreenH - 1);
  } while (!g.wait_exit(3s) && Clock::now() < deadline && classify(x.grab(), x) == Screen::Menu);
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
  return g.wait_exit(std::max(left, 0ms)) == 0;
}

int shoot(XServer &x, GameProcess &g, std::mt19937 &rng, milliseconds hold, Clock::time_point until) {
  std::uniform_int_distribution<int> jitter(-6, 6), column(0, kScreenW - 1), row(566, kScreenH - 1);
  int shots = 0, away = 0;
  // two grabs in a row, so a frame caught half drawn does not end it
  while (Clock::now() < until && g.running() && away < 2) {
    const Image img = x.grab();
    if (classify(img, x) != Screen::Play) {
      ++away;
      continue;
    }
    away = 0;
    // the pointer stays below the envelopes' band, out of the way of the search
    const std::optional<int> target = lowest_envelope(img);
    x.move(target ? *target + jitter(rng) : column(rng), row(rng));
    x.button(true);
    sleep_for(hold);
    x.button(false);
    sleep_for(hold);
    ++shots;
  }
  return shots;
}

}  // namespace e2e
