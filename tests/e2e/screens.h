// What the game's screens must look like, built from the data file the
// build produced, and readers that recognise them in a grab.
#ifndef JUNKFALL_E2E_SCREENS_H
#define JUNKFALL_E2E_SCREENS_H

#include <array>
#include <functional>
#include <optional>
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

// ---------------------------------------------------------------- text

// `s` in the library's 8x8 font with its top left at (x, y): ink in `fg`,
// the rest of each cell in `bg`, as textout_ex puts it on the screen.
void draw_text(Image &img, int x, int y, const std::string &s, Rgb fg, Rgb bg = kBlack);

// Reads `cells` character cells from (x, y) by matching each 8x8 cell
// against the font's printable characters; '?' where none fits.
std::string read_text(const Image &img, int x, int y, int cells, const std::function<bool(Rgb)> &ink);

struct TextLine {
  int x, y;
  std::string text;
};
// a cleared screen with these lines on it, as the prompt and score table
Image text_screen(const std::vector<TextLine> &lines, Rgb fg);

// every pixel outside `area` and `ignore` is black
bool black_outside(const Image &img, Rect area, const std::vector<Rect> &ignore);

// ---------------------------------------------------------------- play

// colour indices of the scene
enum SceneColour {
  kBananaColour = 2,
  kSpamBody = 3,
  kSpamEdge = 4,
  kTurretColour = 5,
  kSky = 6,
  kCloud = 7,
  kGround = 12,
  kSpeckle = 13,
  kBarColour = 14,
  kClockColour = 15,
};

// the scene's own palette entry, exact
Rgb game_colour(int index);
// Entry `index` while the colours swing: the game's blend from the second
// palette (position 0) toward the game palette (64), both ends exact.
Rgb blend_colour(int index, int pos);
// `px` is entry `index` at some blend position in lo..hi, or exactly the
// game colour
bool shows(Rgb px, int index, int lo = 0, int hi = 64);
// the lowest and highest blend positions at which `px` is entry `index`
// (the exact game colour counting as 64); nothing when it never is
std::optional<std::pair<int, int>> blend_positions(Rgb px, int index);
// the lowest blend position the swing reaches at this health
int lowest_pulse(int health);

// "Press any key to start", colour 3 on a cleared screen, game palette
Image prompt_screen();
constexpr int kTextAreaX = 200, kTextAreaY = 300;
// where the prompt and the score table write; nothing else is lit then
constexpr Rect kTextArea{kTextAreaX, kTextAreaY, 400, 50};

// The health shown by the bar at the top right (0..20); -1 when the box is
// not a well-formed bar, `problem` says why.
int read_health(const Image &img, std::string *problem = nullptr);

// bounding boxes of 8-connected groups of pixels in `area` for which `pred` holds
std::vector<Rect> blobs(const Image &img, Rect area, const std::function<bool(Rgb)> &pred);
// envelopes (their red edges) and bananas (yellow) anywhere on the screen
std::vector<Rect> find_spam(const Image &img);
std::vector<Rect> find_bananas(const Image &img, Rect area = {0, 0, kScreenW, kScreenH});

// "Time left %3d" at (9, 10): the number, if the text is there and whole
constexpr int kClockX = 9, kClockY = 10;
std::optional<int> read_clock(const Image &img);

// ---------------------------------------------------------------- turns

// Waits for the title menu, wiggling the pointer so the library knows where
// it is. On failure `why` holds the closest grab and the game's output.
bool wait_for_menu(XServer &x, GameProcess &g, milliseconds timeout, std::string *why);
// At the menu: picks the player and turn-length slots, presses Play and
// waits for the first prompt.
bool start_game(XServer &x, GameProcess &g, int players, int time, std::string *why);

using Seconds = std::chrono::duration<double>;
inline double seconds_since(Clock::time_point t0, Clock::time_point t) { return Seconds(t - t0).count(); }

// One grab of a turn in play, timed from the key that started the turn:
// the grab began at `ta` and ended at `tb` seconds.
struct Reading {
  double ta = 0, tb = 0;
  int health = -1;         // -1: the bar was not readable
  std::optional<int> clock;
  std::optional<Rgb> sky;  // a pixel of open sky
  std::string problem;     // why the bar was not readable
};

struct TurnLog {
  Clock::time_point key;      // the key that started the turn went out
  std::vector<Reading> readings;  // from the first drawn frame on
  // unreadable bars, leaving out the last grab before the next screen,
  // which may have caught it half drawn
  std::vector<std::string> problems;
  bool ended = false;
  double end_lo = 0, end_hi = 0;  // the next screen came between these
  Image end_screen;               // the first grab of it
  Image last_scene;               // the last grab of the turn
};

// Watches a turn from its key until the screen turns into the next prompt or
// the score table (black outside kTextArea), or `timeout` passes. `each`
// (optional) sees every grab of the scene after its reading is taken, to
// act on it (aim and fire).
TurnLog watch_turn(XServer &x, GameProcess &g, Clock::time_point key, milliseconds timeout,
                   const std::function<void(const Image &, const Reading &)> &each = {});

// readings whose clock contradicts a turn of `turn_seconds` started at the key
std::vector<std::string> clock_problems(const TurnLog &log, double turn_seconds);

// Spam spawns every 30 ticks and lands 309 ticks later: with nothing shot the
// k-th loss of health comes at tick 30k + 309. Readings that saw one early, or
// missed one long after it was due, including the end of the turn at the 20th.
std::vector<std::string> unshot_landing_problems(const TurnLog &log);

}  // namespace e2e

#endif
