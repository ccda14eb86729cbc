// What the game's screens must look like, built from the data file the
// build produced, and readers that recognise them in a grab.
#ifndef JUNKFALL_E2E_SCREENS_H
#define JUNKFALL_E2E_SCREENS_H

#include <array>
#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

// a menu button: blitted with its top left at (x, y)
struct Slot {
  int x, y;
  int object;  // data file index of its picture
  const char *label;
  // centre of the hit area x < mx <= x + 116, y < my <= y + 45
  int cx() const { return x + 58; }
  int cy() const { return y + 23; }
};

constexpr int kButtonW = 118;
constexpr int kButtonH = 47;

extern const std::array<Slot, 4> kPlayerSlots;  // 1..4 players
extern const std::array<Slot, 5> kTimeSlots;    // 30, 60, 120, 180, 300 s
extern const Slot kPlaySlot;
extern const Slot kQuitSlot;
constexpr int kDefaultPlayers = 1;  // "2 players"
constexpr int kDefaultTime = 3;     // "180 s"

// one-pixel outline from (x, y) to (x + 117, y + 46)
std::vector<std::pair<int, int>> outline(const Slot &s);

// The whole screen once splash 1 has faded in: cleared, the picture
// centred, everything through the splash palette.
const Image &splash1_screen();

// Points of the stretched splash 2 whose source neighbourhood is uniform,
// so any reasonable stretch rounding gives the same colour.
const std::vector<Sample> &splash2_samples();

// The menu with frames on the given slots (-1: no frame in that row).
Image menu_screen(int players, int time);

struct MenuView {
  bool shown = false;  // logo, buttons and background all right
  int players = -1;    // framed slot; -1 none, -2 several or a broken outline
  int time = -1;
  std::string problem;  // why it is not the menu, or what is off
};
// `ignore`: areas to leave out (the pointer)
MenuView read_menu(const Image &img, const std::vector<Rect> &ignore);

// Where the pointer sprite may be: at the last position we moved it to,
// and at the screen centre, where the library keeps it until it sees motion.
std::vector<Rect> pointer_areas(const XServer &x);

// pixels that are not black, outside `ignore`
long non_black_pixels(const Image &img, const std::vector<Rect> &ignore, Rect *bounds = nullptr);

// true when every pixel outside `ignore` has the colour of the first one
bool flat(const Image &img, const std::vector<Rect> &ignore);

}  // namespace e2e

#endif
