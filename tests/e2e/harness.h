// End-to-end harness: a private Xvfb server, the game as a child process,
// XTest input and screen reads from the root window. X11 and Allegro headers
// clash, so neither leaks out of this header.
#ifndef JUNKFALL_E2E_HARNESS_H
#define JUNKFALL_E2E_HARNESS_H

#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct _XDisplay;

namespace e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using namespace std::chrono_literals;

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;

// ---------------------------------------------------------------- colours

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
  friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};
std::ostream &operator<<(std::ostream &os, Rgb c);
void PrintTo(Rgb c, std::ostream *os);

// a 0..63 palette component as the 24-bit server shows it (63 -> 255)
constexpr uint8_t pal_component(int c) { return static_cast<uint8_t>((c << 2) | (c >> 4)); }
constexpr Rgb pal_rgb(int r, int g, int b) { return {pal_component(r), pal_component(g), pal_component(b)}; }

constexpr Rgb kBlack{0, 0, 0};

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// ---------------------------------------------------------------- images

class Image {
 public:
  Image() = default;
  Image(int w, int h, Rgb fill = kBlack) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}
  int w() const { return w_; }
  int h() const { return h_; }
  bool empty() const { return px_.empty(); }
  Rgb rgb(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
  void set(int x, int y, Rgb c) { px_[static_cast<size_t>(y) * w_ + x] = c; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  // binary PPM; returns false when the file cannot be written
  bool save_ppm(const std::string &path) const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgb> px_;
};

// Pixels compared against an expectation. `want` pixels inside any of
// `ignore` are skipped (the pointer, parts the caller checks elsewhere).
struct Mismatch {
  int x, y;
  Rgb got, want;
};
struct Comparison {
  long compared = 0;
  long wrong = 0;
  std::vector<Mismatch> first;  // a few, for the failure message
  bool ok() const { return compared > 0 && wrong == 0; }
  std::string describe() const;
};
Comparison compare(const Image &got, const Image &want, const std::vector<Rect> &ignore = {});

struct Sample {
  int x, y;
  Rgb want;
};
Comparison compare(const Image &got, const std::vector<Sample> &samples,
                   const std::vector<Rect> &ignore = {});

// ---------------------------------------------------------------- files

// A directory for this test process, removed at exit when every test passed.
const std::string &run_dir();
// a fresh directory under run_dir(), with symlinks resolved
std::string make_temp_dir(const std::string &tag);
void write_file(const std::string &path, const std::string &contents, int mode = 0644);
std::string read_file(const std::string &path);
bool file_exists(const std::string &path);
void copy_file(const std::string &from, const std::string &to, int mode = 0644);
void make_dirs(const std::string &path);
// Saves an image to the test's run directory and returns the path, for
// failure messages.
std::string save_debug_image(const Image &img, const std::string &tag);

// where the build put the game and its data
std::string game_binary();
std::string game_data_file();

enum class DataChoice { Real, Missing, Replaced };
// Copies the game into `dir` (created as needed) the way a user would
// install it: `dir`/junkfall plus `dir`/media/data.dat, the latter absent or
// taken from `replacement` as asked. Returns the executable's path.
std::string install_game_copy(const std::string &dir, DataChoice data = DataChoice::Real,
                              const std::string &replacement = "");
// a directory whose path is longer than 255 characters
std::string make_long_dir(const std::string &tag);

// Runs a program to completion (no X, no stand-ins); exit status or -signal.
int run_command(const std::vector<std::string> &argv, const std::string &cwd,
                std::string *output = nullptr);

// ---------------------------------------------------------------- X server

class XServer {
 public:
  // the test process's server, started on first use and stopped at exit
  static XServer &shared();

  XServer() = default;
  ~XServer();
  XServer(const XServer &) = delete;
  XServer &operator=(const XServer &) = delete;

  void start();
  void stop();
  bool running() const { return pid_ > 0; }
  const std::string &display_name() const { return name_; }
  pid_t pid() const { return pid_; }

  // XTest input; each call is flushed and synced before it returns
  void move(int x, int y);
  void button(bool down);  // the left one; repeats of the current state are dropped
  void click(int x, int y);  // move, press, short settle, release
  void key(unsigned long keysym, bool down);
  void tap_key(unsigned long keysym);  // press, short settle, release
  // A one-pixel wiggle that ends where it started. The library only learns
  // where the pointer is from motion, and until then draws it wherever it
  // guessed; wiggling while waiting for a window keeps the sprite in
  // pointer_area().
  void nudge();
  std::pair<int, int> last_pointer() const { return pointer_; }
  // where the pointer sprite can be, to leave out of comparisons
  Rect pointer_area() const;

  // the root window, kScreenW x kScreenH
  Image grab();

 private:
  void sync();
  pid_t pid_ = -1;
  int number_ = -1;
  std::string name_;
  std::string log_;
  _XDisplay *dpy_ = nullptr;
  std::pair<int, int> pointer_{0, 0};
  bool button_down_ = false;
};

// Polls fresh grabs until `pred` holds or `timeout` passes; `last` receives
// the final grab either way. `stop_early` (optional) ends the wait with false,
// e.g. when the watched process has exited.
bool wait_until(XServer &x, const std::function<bool(const Image &)> &pred, milliseconds timeout,
                Image *last = nullptr, const std::function<bool()> &stop_early = {});

void sleep_for(milliseconds ms);

// ---------------------------------------------------------------- the game

struct LaunchOptions {
  std::string binary;  // empty: the built game
  std::string cwd;     // empty: the game's own temp dir
  std::vector<std::pair<std::string, std::string>> env;  // added or replaced
};

class GameProcess {
 public:
  explicit GameProcess(XServer &x, LaunchOptions opts = {});
  ~GameProcess();
  GameProcess(const GameProcess &) = delete;
  GameProcess &operator=(const GameProcess &) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // exit code, -signal when killed by one, nothing on timeout
  std::optional<int> wait_exit(milliseconds timeout);
  std::optional<int> exit_status() const { return status_; }
  // SIGTERM, then SIGKILL if it lingers
  void kill();

  // every allegro_message text, in order, as the stand-in got it
  std::vector<std::string> messages() const;
  std::string out() const;
  std::string err() const;
  const std::string &dir() const { return dir_; }
  // stdout, stderr and messages, for failure output
  std::string diagnostics() const;

 private:
  void reap(int status);
  std::string dir_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// ---------------------------------------------------------------- game data

// an 8-bit picture as colour indices
struct Picture {
  int w = 0, h = 0;
  std::vector<uint8_t> px;
  int at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

struct Palette6 {
  std::array<std::array<uint8_t, 3>, 256> c{};
  // an entry as the 24-bit server shows it
  Rgb rgb(int i) const { return pal_rgb(c[i][0], c[i][1], c[i][2]); }
};

// A data file as the library loads it, read in this process with the
// library's headless system.
class DataFile {
 public:
  // the build's media/data.dat, loaded once
  static const DataFile &game();

  explicit DataFile(const std::string &path);
  bool loaded() const { return loaded_; }
  int count() const { return static_cast<int>(types_.size()); }
  uint32_t type(int i) const { return types_.at(i); }
  const Picture &picture(int i) const;
  const Palette6 &palette(int i) const;

 private:
  bool loaded_ = false;
  std::vector<uint32_t> types_;
  std::vector<Picture> pictures_;  // by index, empty when not a bitmap
  std::vector<Palette6> palettes_;
};

// The library's 8x8 font: `s` as textout_ex draws it, 8 pixels a character;
// 1 where ink, 0 elsewhere.
Picture text_ink(const std::string &s);

// The 32 x 16 spam envelope the game draws at start-up, in colour indices:
// body 3, outline and flap 4.
Picture envelope_picture();

constexpr uint32_t dat_id(char a, char b, char c, char d) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) | static_cast<uint8_t>(d);
}
constexpr uint32_t kDatBitmap = dat_id('B', 'M', 'P', ' ');
constexpr uint32_t kDatPalette = dat_id('P', 'A', 'L', ' ');
constexpr uint32_t kDatSample = dat_id('S', 'A', 'M', 'P');
constexpr uint32_t kDatData = dat_id('D', 'A', 'T', 'A');

// Writes uncompressed datafiles object by object, to build files the game
// must refuse.
class DatWriter {
 public:
  void add_raw(uint32_t type, const std::vector<uint8_t> &body, const std::string &name);
  void add_data(const std::string &text, const std::string &name);
  void add_bitmap(int w, int h, uint8_t fill, const std::string &name);
  void add_palette(const std::string &name);
  void add_sample(const std::string &name);
  // one small object of the given type
  void add_of_type(uint32_t type, const std::string &name);
  void save(const std::string &path) const;

 private:
  std::vector<uint8_t> objects_;
  int count_ = 0;
};

}  // namespace e2e

#endif
