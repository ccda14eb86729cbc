#include "screens.h"

#include <algorithm>
#include <sstream>

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

}  // namespace e2e
