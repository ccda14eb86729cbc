#include "screens.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <unordered_map>

#include "data.h"

namespace e2e {

const std::array<Slot, 4> kPlayerSlots = {{
    {42, 274, MENU_PLAYERS_1, "1 player"},
    {242, 274, MENU_PLAYERS_2, "2 players"},
    {442, 274, MENU_PLAYERS_3, "3 players"},
    {642, 274, MENU_PLAYERS_4, "4 players"},
}};
const std::array<Slot, 5> kTimeSlots = {{
    {22, 387, MENU_TIME_30, "30 s"},
    {182, 387, MENU_TIME_60, "60 s"},
    {342, 387, MENU_TIME_120, "120 s"},
    {502, 387, MENU_TIME_180, "180 s"},
    {662, 387, MENU_TIME_300, "300 s"},
}};
const Slot kPlaySlot{142, 489, MENU_PLAY, "play"};
const Slot kQuitSlot{542, 489, MENU_QUIT, "quit"};

std::vector<std::pair<int, int>> outline(const Slot &s) {
  std::vector<std::pair<int, int>> px;
  const int x1 = s.x + kButtonW - 1, y1 = s.y + kButtonH - 1;
  for (int x = s.x; x <= x1; ++x) {
    px.push_back({x, s.y});
    px.push_back({x, y1});
  }
  for (int y = s.y + 1; y < y1; ++y) {
    px.push_back({s.x, y});
    px.push_back({x1, y});
  }
  return px;
}

namespace {

// blit with clipping, colours through `pal`
void draw(Image &img, const Picture &pic, const Palette6 &pal, int x0, int y0) {
  for (int y = 0; y < pic.h; ++y)
    for (int x = 0; x < pic.w; ++x)
      if (img.inside(x0 + x, y0 + y)) img.set(x0 + x, y0 + y, pal.rgb(pic.at(x, y)));
}

bool in_any(const std::vector<Rect> &rects, int x, int y) {
  for (const Rect &r : rects)
    if (r.contains(x, y)) return true;
  return false;
}

template <size_t N>
void read_row(const Image &img, const Image &plain, const std::array<Slot, N> &row, const std::vector<Rect> &ignore,
              Rgb frame, int &chosen, std::string &problem) {
  chosen = -1;
  for (size_t i = 0; i < N; ++i) {
    bool framed = true, unframed = true;
    for (auto [x, y] : outline(row[i])) {
      if (in_any(ignore, x, y)) continue;
      framed = framed && img.rgb(x, y) == frame;
      unframed = unframed && img.rgb(x, y) == plain.rgb(x, y);
    }
    if (framed && unframed) {
      problem += std::string("cannot tell whether ") + row[i].label + " is framed; ";
    } else if (framed) {
      chosen = chosen == -1 ? static_cast<int>(i) : -2;
    } else if (!unframed) {
      problem += std::string("outline of ") + row[i].label + " is neither framed nor plain; ";
      chosen = -2;
    }
  }
}

}  // namespace

const Image &splash1_screen() {
  static const Image img = [] {
    const DataFile &d = DataFile::game();
    const Palette6 &pal = d.palette(SPLASH1_PAL);
    const Picture &pic = d.picture(SPLASH1_BMP);
    Image out(kScreenW, kScreenH, pal.rgb(0));  // cleared to colour 0
    draw(out, pic, pal, kScreenW / 2 - pic.w / 2, kScreenH / 2 - pic.h / 2);
    return out;
  }();
  return img;
}

const std::vector<Sample> &splash2_samples() {
  static const std::vector<Sample> samples = [] {
    const DataFile &d = DataFile::game();
    const Palette6 &pal = d.palette(SPLASH2_PAL);
    const Picture &pic = d.picture(SPLASH2_BMP);
    // at scale 1 the mapping is exact; otherwise a screen pixel may come
    // from a source pixel a step either side of it, more when shrinking
    const int rx = pic.w == kScreenW ? 0 : pic.w / kScreenW + 1;
    const int ry = pic.h == kScreenH ? 0 : pic.h / kScreenH + 1;
    std::vector<Sample> out;
    for (int y = 0; y < kScreenH; y += 6) {
      for (int x = 0; x < kScreenW; x += 6) {
        const int sx = static_cast<int>(static_cast<long>(x) * pic.w / kScreenW);
        const int sy = static_cast<int>(static_cast<long>(y) * pic.h / kScreenH);
        const int c = pic.at(sx, sy);
        bool uniform = true;
        for (int dy = -ry; dy <= ry && uniform; ++dy)
          for (int dx = -rx; dx <= rx && uniform; ++dx) {
            const int qx = sx + dx, qy = sy + dy;
            if (qx >= 0 && qy >= 0 && qx < pic.w && qy < pic.h) uniform = pic.at(qx, qy) == c;
          }
        if (uniform) out.push_back({x, y, pal.rgb(c)});
      }
    }
    return out;
  }();
  return samples;
}

Image menu_screen(int players, int time) {
  const DataFile &d = DataFile::game();
  const Palette6 &pal = d.palette(TITLE_PAL);
  Image out(kScreenW, kScreenH, kBlack);
  const Picture &logo = d.picture(TITLE_BMP);
  draw(out, logo, pal, kScreenW / 2 - logo.w / 2, 20);
  for (const Slot &s : kPlayerSlots) draw(out, d.picture(s.object), pal, s.x, s.y);
  for (const Slot &s : kTimeSlots) draw(out, d.picture(s.object), pal, s.x, s.y);
  draw(out, d.picture(kPlaySlot.object), pal, kPlaySlot.x, kPlaySlot.y);
  draw(out, d.picture(kQuitSlot.object), pal, kQuitSlot.x, kQuitSlot.y);
  const Rgb frame = pal.rgb(1);
  if (players >= 0)
    for (auto [x, y] : outline(kPlayerSlots[players])) out.set(x, y, frame);
  if (time >= 0)
    for (auto [x, y] : outline(kTimeSlots[time])) out.set(x, y, frame);
  return out;
}

MenuView read_menu(const Image &img, const std::vector<Rect> &ignore) {
  static const Image plain = menu_screen(-1, -1);
  // frames are read separately below; everything else must be exact
  static const std::vector<uint8_t> outlines = [] {
    std::vector<uint8_t> mask(static_cast<size_t>(kScreenW) * kScreenH, 0);
    for (const Slot &s : kPlayerSlots)
      for (auto [x, y] : outline(s)) mask[static_cast<size_t>(y) * kScreenW + x] = 1;
    for (const Slot &s : kTimeSlots)
      for (auto [x, y] : outline(s)) mask[static_cast<size_t>(y) * kScreenW + x] = 1;
    return mask;
  }();

  MenuView v;
  long wrong = 0;
  std::ostringstream first;
  for (int y = 0; y < kScreenH; ++y) {
    for (int x = 0; x < kScreenW; ++x) {
      if (outlines[static_cast<size_t>(y) * kScreenW + x] || in_any(ignore, x, y)) continue;
      if (img.rgb(x, y) != plain.rgb(x, y) && wrong++ < 5)
        first << " (" << x << "," << y << ") got " << img.rgb(x, y) << " want " << plain.rgb(x, y) << ";";
    }
  }
  if (wrong) {
    v.problem = std::to_string(wrong) + " pixels off the menu:" + first.str();
    return v;
  }
  v.shown = true;
  const Rgb frame = DataFile::game().palette(TITLE_PAL).rgb(1);
  read_row(img, plain, kPlayerSlots, ignore, frame, v.players, v.problem);
  read_row(img, plain, kTimeSlots, ignore, frame, v.time, v.problem);
  return v;
}

std::vector<Rect> pointer_areas(const XServer &x) {
  return {x.pointer_area(), {kScreenW / 2 - 8, kScreenH / 2 - 8, 18, 18}};
}

bool flat(const Image &img, const std::vector<Rect> &ignore) {
  bool have = false;
  Rgb first;
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x) {
      if (in_any(ignore, x, y)) continue;
      if (!have) {
        first = img.rgb(x, y);
        have = true;
      } else if (img.rgb(x, y) != first) {
        return false;
      }
    }
  return true;
}

long non_black_pixels(const Image &img, const std::vector<Rect> &ignore, Rect *bounds) {
  long n = 0;
  int x0 = img.w(), y0 = img.h(), x1 = -1, y1 = -1;
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x)
      if (img.rgb(x, y) != kBlack && !in_any(ignore, x, y)) {
        ++n;
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (bounds) *bounds = n ? Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1} : Rect{};
  return n;
}

// ------------------------------------------------------------------ text

namespace {

// the font's printable characters as 8x8 bit masks, row by row
const std::vector<std::pair<char, uint64_t>> &glyphs() {
  static const std::vector<std::pair<char, uint64_t>> table = [] {
    std::string all;
    for (char c = 32; c < 127; ++c) all += c;
    const Picture ink = text_ink(all);
    std::vector<std::pair<char, uint64_t>> out;
    for (size_t i = 0; i < all.size(); ++i) {
      uint64_t m = 0;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          if (ink.at(static_cast<int>(i) * 8 + x, y)) m |= uint64_t{1} << (y * 8 + x);
      out.push_back({all[i], m});
    }
    return out;
  }();
  return table;
}

}  // namespace

void draw_text(Image &img, int x0, int y0, const std::string &s, Rgb fg, Rgb bg) {
  const Picture ink = text_ink(s);
  for (int y = 0; y < ink.h; ++y)
    for (int x = 0; x < ink.w; ++x)
      if (img.inside(x0 + x, y0 + y)) img.set(x0 + x, y0 + y, ink.at(x, y) ? fg : bg);
}

std::string read_text(const Image &img, int x0, int y0, int cells, const std::function<bool(Rgb)> &ink) {
  std::string out;
  for (int i = 0; i < cells; ++i) {
    const int cx = x0 + 8 * i;
    if (!img.inside(cx, y0) || !img.inside(cx + 7, y0 + 7)) {
      out += '?';
      continue;
    }
    uint64_t m = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        if (ink(img.rgb(cx + x, y0 + y))) m |= uint64_t{1} << (y * 8 + x);
    char c = '?';
    for (const auto &[ch, g] : glyphs())
      if (g == m) {
        c = ch;
        break;
      }
    out += c;
  }
  return out;
}

Image text_screen(const std::vector<TextLine> &lines, Rgb fg) {
  Image out(kScreenW, kScreenH, kBlack);
  for (const TextLine &l : lines) draw_text(out, l.x, l.y, l.text, fg, kBlack);
  return out;
}

bool black_outside(const Image &img, Rect area, const std::vector<Rect> &ignore) {
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x)
      if (!area.contains(x, y) && img.rgb(x, y) != kBlack && !in_any(ignore, x, y)) return false;
  return true;
}

// ------------------------------------------------------------------ play

namespace {

// the two palettes of the scene, 0..63 components; entries 16 and up are
// black in both
constexpr uint8_t kGamePal[16][3] = {
    {0, 0, 0},    {63, 63, 63}, {63, 63, 0},  {63, 63, 63}, {63, 0, 0},   {31, 31, 63}, {0, 0, 63},   {60, 60, 60},
    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {61, 53, 29}, {41, 31, 21}, {31, 31, 63}, {63, 63, 63},
};
constexpr uint8_t kInsanePal[16][3] = {
    {0, 0, 0},    {63, 63, 63}, {25, 48, 34}, {57, 21, 8},  {45, 15, 57}, {24, 15, 49}, {15, 51, 27}, {49, 28, 19},
    {49, 24, 37}, {57, 12, 37}, {45, 37, 34}, {48, 35, 63}, {27, 43, 61}, {45, 37, 63}, {31, 31, 63}, {63, 63, 63},
};

int component(const uint8_t (&pal)[16][3], int index, int k) { return index < 16 ? pal[index][k] : 0; }

uint32_t key(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }

// every colour an entry 0..25 can show, as bit sets of entries
const std::unordered_map<uint32_t, uint32_t> &colour_sets() {
  static const std::unordered_map<uint32_t, uint32_t> sets = [] {
    std::unordered_map<uint32_t, uint32_t> m;
    for (int i = 0; i <= 25; ++i) {
      m[key(game_colour(i))] |= uint32_t{1} << i;
      if (i >= 2)
        for (int pos = 0; pos <= 64; ++pos) m[key(blend_colour(i, pos))] |= uint32_t{1} << i;
    }
    return m;
  }();
  return sets;
}

}  // namespace

Rgb game_colour(int index) {
  return pal_rgb(component(kGamePal, index, 0), component(kGamePal, index, 1), component(kGamePal, index, 2));
}

Rgb blend_colour(int index, int pos) {
  if (index < 2 || index > 25) return game_colour(index);
  int c[3];
  for (int k = 0; k < 3; ++k)
    c[k] = (component(kInsanePal, index, k) * (64 - pos) + component(kGamePal, index, k) * pos) / 64;
  return pal_rgb(c[0], c[1], c[2]);
}

bool shows(Rgb px, int index, int lo, int hi) {
  if (lo <= 0 && hi >= 64) {
    const auto &m = colour_sets();
    const auto it = m.find(key(px));
    return it != m.end() && (it->second >> index & 1);
  }
  if (px == game_colour(index)) return true;
  for (int pos = std::max(lo, 0); pos <= std::min(hi, 64); ++pos)
    if (px == blend_colour(index, pos)) return true;
  return false;
}

std::optional<std::pair<int, int>> blend_positions(Rgb px, int index) {
  int lo = 65, hi = -1;
  for (int pos = 0; pos <= 64; ++pos)
    if (px == blend_colour(index, pos)) {
      lo = std::min(lo, pos);
      hi = std::max(hi, pos);
    }
  if (px == game_colour(index)) {
    lo = std::min(lo, 64);
    hi = 64;
  }
  if (hi < 0) return std::nullopt;
  return std::make_pair(lo, hi);
}

int lowest_pulse(int health) {
  const int t = static_cast<int>(health / 20.0 * 64);
  const int v = 32 - t / 2;
  return 64 - 2 * v;
}

Image prompt_screen() { return text_screen({{kTextAreaX, kTextAreaY, "Press any key to start"}}, game_colour(kSpamBody)); }

int read_health(const Image &img, std::string *problem) {
  auto fail = [&](const std::string &why) {
    if (problem) *problem = why;
    return -1;
  };
  for (int y = 0; y <= 102; ++y)
    if (img.rgb(780, y) != kBlack) return fail("column 780 not black at row " + std::to_string(y));
  for (int x = 780; x < kScreenW; ++x)
    if (img.rgb(x, 102) != kBlack) return fail("row 102 not black at column " + std::to_string(x));
  int top = -1;
  for (int y = 0; y <= 101 && top < 0; ++y)
    if (shows(img.rgb(790, y), kBarColour)) top = y;
  if (top < 0) return fail("no bar in column 790");
  for (int y = 0; y <= 101; ++y)
    for (int x = 781; x < kScreenW; ++x) {
      const Rgb c = img.rgb(x, y);
      if (y < top ? c != kBlack : !shows(c, kBarColour)) {
        std::ostringstream os;
        os << "bar from row " << top << " broken at (" << x << "," << y << "): " << c;
        return fail(os.str());
      }
    }
  if ((101 - top) % 5) return fail("bar top at row " + std::to_string(top) + ", not 101 - 5 * health");
  return (101 - top) / 5;
}

std::vector<Rect> blobs(const Image &img, Rect area, const std::function<bool(Rgb)> &pred) {
  const int x0 = std::max(area.x, 0), y0 = std::max(area.y, 0);
  const int x1 = std::min(area.x + area.w, img.w()), y1 = std::min(area.y + area.h, img.h());
  if (x1 <= x0 || y1 <= y0) return {};
  const int w = x1 - x0, h = y1 - y0;
  // 0 unknown, 1 background, 2 seen
  std::vector<uint8_t> mark(static_cast<size_t>(w) * h, 0);
  Rgb last{1, 2, 3};
  bool last_hit = pred(last);
  auto hit = [&](int x, int y) {
    const Rgb c = img.rgb(x, y);
    if (c != last) {
      last = c;
      last_hit = pred(c);
    }
    return last_hit;
  };
  std::vector<Rect> out;
  std::vector<std::pair<int, int>> stack;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      uint8_t &m = mark[static_cast<size_t>(y - y0) * w + (x - x0)];
      if (m) continue;
      if (!hit(x, y)) {
        m = 1;
        continue;
      }
      m = 2;
      int bx0 = x, by0 = y, bx1 = x, by1 = y;
      stack.assign(1, {x, y});
      while (!stack.empty()) {
        const auto [px, py] = stack.back();
        stack.pop_back();
        bx0 = std::min(bx0, px);
        bx1 = std::max(bx1, px);
        by0 = std::min(by0, py);
        by1 = std::max(by1, py);
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int qx = px + dx, qy = py + dy;
            if (qx < x0 || qy < y0 || qx >= x1 || qy >= y1) continue;
            uint8_t &q = mark[static_cast<size_t>(qy - y0) * w + (qx - x0)];
            if (q) continue;
            if (!hit(qx, qy)) {
              q = 1;
              continue;
            }
            q = 2;
            stack.push_back({qx, qy});
          }
      }
      out.push_back({bx0, by0, bx1 - bx0 + 1, by1 - by0 + 1});
    }
  return out;
}

std::vector<Rect> find_spam(const Image &img) {
  return blobs(img, {0, 0, kScreenW, kScreenH}, [](Rgb c) { return shows(c, kSpamEdge); });
}

std::vector<Rect> find_bananas(const Image &img, Rect area) {
  return blobs(img, area, [](Rgb c) { return shows(c, kBananaColour); });
}

std::optional<int> read_clock(const Image &img) {
  const std::string text = read_text(img, kClockX, kClockY, 13, [](Rgb c) { return shows(c, kClockColour); });
  if (text.compare(0, 10, "Time left ") != 0) return std::nullopt;
  const std::string num = text.substr(10);
  size_t i = 0;
  while (i < num.size() && num[i] == ' ') ++i;
  if (i == num.size()) return std::nullopt;
  const bool negative = num[i] == '-';
  if (negative) ++i;
  if (i == num.size()) return std::nullopt;
  int n = 0;
  for (; i < num.size(); ++i) {
    if (num[i] < '0' || num[i] > '9') return std::nullopt;
    n = n * 10 + (num[i] - '0');
  }
  return negative ? -n : n;
}

// ----------------------------------------------------------------- turns

bool wait_for_menu(XServer &x, GameProcess &g, milliseconds timeout, std::string *why) {
  Image last;
  const bool ok = wait_until(
      x,
      [&](const Image &img) {
        x.nudge();
        return read_menu(img, pointer_areas(x)).shown;
      },
      timeout, &last, [&] { return !g.running(); });
  if (!ok && why)
    *why = "no menu: " + read_menu(last, pointer_areas(x)).problem + "\n" + save_debug_image(last, "no-menu") + "\n" +
           g.diagnostics();
  return ok;
}

bool start_game(XServer &x, GameProcess &g, int players, int time, std::string *why) {
  const auto park = [&] { x.move(kScreenW - 1, kScreenH - 1); };
  x.click(kPlayerSlots[players].cx(), kPlayerSlots[players].cy());
  x.click(kTimeSlots[time].cx(), kTimeSlots[time].cy());
  park();
  Image last;
  MenuView v;
  if (!wait_until(
          x,
          [&](const Image &img) {
            v = read_menu(img, pointer_areas(x));
            return v.shown && v.players == players && v.time == time;
          },
          5s, &last, [&] { return !g.running(); })) {
    if (why)
      *why = "menu did not take the choice: " + v.problem + "\n" + save_debug_image(last, "choice") + "\n" +
             g.diagnostics();
    return false;
  }
  x.click(kPlaySlot.cx(), kPlaySlot.cy());
  park();
  Comparison c;
  if (!wait_until(
          x,
          [&](const Image &img) {
            c = compare(img, prompt_screen(), pointer_areas(x));
            return c.ok();
          },
          5s, &last, [&] { return !g.running(); })) {
    if (why) *why = "no prompt after Play: " + c.describe() + "\n" + save_debug_image(last, "prompt") + "\n" + g.diagnostics();
    return false;
  }
  return true;
}

namespace {

// open sky well below the clouds and above the turret, away from the pointer
std::optional<Rgb> sample_sky(const Image &img, const std::vector<Rect> &ignore) {
  for (int y : {400, 300, 500})
    for (int x = 40; x < 780; x += 80) {
      if (in_any(ignore, x, y)) continue;
      const Rgb c = img.rgb(x, y);
      if (shows(c, kBananaColour) || shows(c, kSpamBody) || shows(c, kSpamEdge)) continue;
      return c;
    }
  return std::nullopt;
}

}  // namespace

TurnLog watch_turn(XServer &x, GameProcess &g, Clock::time_point key, milliseconds timeout,
                   const std::function<void(const Image &, const Reading &)> &each) {
  TurnLog log;
  log.key = key;
  const auto deadline = key + timeout;
  double prev_ta = 0;
  bool drawn = false;
  while (Clock::now() < deadline && g.running()) {
    Reading r;
    r.ta = seconds_since(key, Clock::now());
    Image img = x.grab();
    r.tb = seconds_since(key, Clock::now());
    const std::vector<Rect> ignore = pointer_areas(x);
    if (black_outside(img, kTextArea, ignore)) {
      log.ended = true;
      log.end_lo = prev_ta;
      log.end_hi = r.tb;
      log.end_screen = std::move(img);
      break;
    }
    prev_ta = r.ta;
    r.clock = read_clock(img);
    // the copy of the background comes first; the frames bring the clock
    drawn = drawn || r.clock.has_value();
    if (!drawn) continue;
    r.health = read_health(img, &r.problem);
    r.sky = sample_sky(img, ignore);
    log.readings.push_back(r);
    log.last_scene = std::move(img);
    if (each)
      each(log.last_scene, r);
    else
      sleep_for(10ms);  // leave the game most of the processor
  }
  const size_t judged = log.readings.size() - (log.ended && !log.readings.empty() ? 1 : 0);
  for (size_t i = 0; i < judged && log.problems.size() < 10; ++i)
    if (log.readings[i].health < 0)
      log.problems.push_back("at " + std::to_string(log.readings[i].tb) + " s: " + log.readings[i].problem);
  return log;
}

std::vector<std::string> clock_problems(const TurnLog &log, double turn_seconds) {
  std::vector<std::string> out;
  int prev = 1 << 30;
  int readable = 0;
  for (const Reading &r : log.readings) {
    if (!r.clock) continue;
    ++readable;
    const int n = *r.clock;
    // the stopwatch starts after the key and the frame was drawn before the
    // grab ended: at least the truncated time left at tb; at most what was
    // left at ta plus half a second of slack for the frame and the start
    const int lo = std::max(0, static_cast<int>(turn_seconds - r.tb));
    const int hi = static_cast<int>(turn_seconds - r.ta + 0.5);
    std::ostringstream os;
    if (n < lo || n > hi) os << "clock " << n << " in a grab at " << r.ta << ".." << r.tb << " s (want " << lo << ".." << hi << ")";
    else if (n > prev) os << "clock went up from " << prev << " to " << n << " at " << r.ta << " s";
    if (!os.str().empty() && out.size() < 10) out.push_back(os.str());
    prev = n;
  }
  if (readable * 2 < static_cast<int>(log.readings.size()))
    out.push_back("the clock was readable in only " + std::to_string(readable) + " of " +
                  std::to_string(log.readings.size()) + " grabs");
  return out;
}

std::vector<std::string> unshot_landing_problems(const TurnLog &log) {
  std::vector<std::string> out;
  // tick n comes between (n - 1) / 60 and n / 60 s after the turn's start,
  // which follows the key; allow 0.6 s for the start and the drawing
  auto due = [](int k) { return (30.0 * k + 309) / 60.0; };
  auto check = [&](int k, double before_ta, double after_tb, const char *what) {
    std::ostringstream os;
    if (after_tb < due(k) - 1.0 / 60 - 0.02)
      os << what << " " << k << " seen by " << after_tb << " s, due at " << due(k) << " s";
    else if (before_ta > due(k) + 0.6)
      os << what << " " << k << " still not seen at " << before_ta << " s, due at " << due(k) << " s";
    if (!os.str().empty() && out.size() < 10) out.push_back(os.str());
  };
  const Reading *prev = nullptr;
  std::optional<std::pair<double, double>> first;  // when landing 1 showed
  for (const Reading &r : log.readings) {
    if (r.health < 0) continue;
    const int lost = 20 - r.health;
    const int lost_before = prev ? 20 - prev->health : 0;
    if (lost < lost_before) out.push_back("health went up to " + std::to_string(r.health) + " at " + std::to_string(r.ta) + " s");
    for (int k = lost_before + 1; k <= lost; ++k) check(k, prev ? prev->ta : 0.0, r.tb, "landing");
    if (lost_before == 0 && lost >= 1) first = {prev ? prev->ta : 0.0, r.tb};
    // and nothing overdue while it stood still
    if (lost < 20) check(lost + 1, r.ta, 1e9, "landing");
    prev = &r;
  }
  if (log.ended) check(20, log.end_lo, log.end_hi, "end of the turn at landing");
  // The slack above is for the start of the turn; from the first landing to
  // the 20th the ticks alone count: 19 spawns of 30 ticks, 9.5 s.
  if (log.ended && first) {
    const double lo = log.end_lo - first->second, hi = log.end_hi - first->first;
    if (hi < 9.5 - 0.2 || lo > 9.5 + 0.2) {
      std::ostringstream os;
      os << "from the first landing to the end of the turn took " << lo << ".." << hi << " s, not 9.5 s";
      out.push_back(os.str());
    }
  }
  return out;
}

}  // namespace e2e
