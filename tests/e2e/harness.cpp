#include "harness.h"

// gtest before X11: Xlib defines macros such as None and Bool
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char **environ;

namespace e2e {

namespace fs = std::filesystem;

// --------------------------------------------------------------- colours

std::ostream &operator<<(std::ostream &os, Rgb c) {
  return os << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}
void PrintTo(Rgb c, std::ostream *os) { *os << c; }

// ---------------------------------------------------------------- images

bool Image::save_ppm(const std::string &path) const {
  std::ofstream f(path, std::ios::binary);
  if (!f) return false;
  f << "P6\n" << w_ << " " << h_ << "\n255\n";
  for (Rgb c : px_) {
    const char bytes[3] = {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)};
    f.write(bytes, 3);
  }
  return static_cast<bool>(f);
}

std::string Comparison::describe() const {
  std::ostringstream os;
  os << wrong << " of " << compared << " pixels differ";
  for (const Mismatch &m : first) os << "\n  (" << m.x << "," << m.y << ") got " << m.got << " want " << m.want;
  return os.str();
}

namespace {

bool ignored(const std::vector<Rect> &ignore, int x, int y) {
  for (const Rect &r : ignore)
    if (r.contains(x, y)) return true;
  return false;
}

void note(Comparison &c, int x, int y, Rgb got, Rgb want) {
  ++c.compared;
  if (got == want) return;
  ++c.wrong;
  if (c.first.size() < 8) c.first.push_back({x, y, got, want});
}

}  // namespace

Comparison compare(const Image &got, const Image &want, const std::vector<Rect> &ignore) {
  Comparison c;
  if (got.w() != want.w() || got.h() != want.h()) {
    c.wrong = 1;
    return c;
  }
  for (int y = 0; y < want.h(); ++y)
    for (int x = 0; x < want.w(); ++x)
      if (!ignored(ignore, x, y)) note(c, x, y, got.rgb(x, y), want.rgb(x, y));
  return c;
}

Comparison compare(const Image &got, const std::vector<Sample> &samples, const std::vector<Rect> &ignore) {
  Comparison c;
  for (const Sample &s : samples)
    if (got.inside(s.x, s.y) && !ignored(ignore, s.x, s.y)) note(c, s.x, s.y, got.rgb(s.x, s.y), s.want);
  return c;
}

// ----------------------------------------------------------------- files

namespace {

// Removes the run directory when everything passed (kept for a look
// otherwise) and stops the shared server before the process exits.
class HarnessEnvironment : public ::testing::Environment {
 public:
  void TearDown() override;
};

std::string g_run_dir;

}  // namespace

const std::string &run_dir() {
  if (g_run_dir.empty()) {
    char tmpl[] = "/tmp/junkfall-e2e.XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error(std::string("mkdtemp: ") + strerror(errno));
    g_run_dir = fs::canonical(tmpl).string();
  }
  return g_run_dir;
}

std::string make_temp_dir(const std::string &tag) {
  static int serial = 0;
  std::string path = run_dir() + "/" + tag + "-" + std::to_string(++serial);
  fs::create_directories(path);
  return fs::canonical(path).string();
}

void make_dirs(const std::string &path) { fs::create_directories(path); }

void write_file(const std::string &path, const std::string &contents, int mode) {
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + path);
    f << contents;
  }
  fs::permissions(path, static_cast<fs::perms>(mode));
}

std::string read_file(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream os;
  os << f.rdbuf();
  return os.str();
}

bool file_exists(const std::string &path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

void copy_file(const std::string &from, const std::string &to, int mode) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, static_cast<fs::perms>(mode));
}

std::string save_debug_image(const Image &img, const std::string &tag) {
  static int serial = 0;
  std::string path = run_dir() + "/" + tag + "-" + std::to_string(++serial) + ".ppm";
  if (!img.save_ppm(path)) return "(could not save " + path + ")";
  return path;
}

std::string game_binary() { return JUNKFALL_BINARY; }
std::string game_data_file() { return JUNKFALL_DATA_FILE; }

std::string install_game_copy(const std::string &dir, DataChoice data, const std::string &replacement) {
  make_dirs(dir + "/media");
  std::string exe = dir + "/junkfall";
  copy_file(game_binary(), exe, 0755);
  if (data == DataChoice::Real) copy_file(game_data_file(), dir + "/media/data.dat");
  if (data == DataChoice::Replaced) copy_file(replacement, dir + "/media/data.dat");
  return exe;
}

std::string make_long_dir(const std::string &tag) {
  std::string dir = make_temp_dir(tag);
  // three components well under the 255-byte name limit, the whole well over it
  for (char c : {'l', 'o', 'n'}) dir += "/" + std::string(100, c);
  make_dirs(dir);
  return dir;
}

// ------------------------------------------------------------- processes

namespace {

struct Spawn {
  std::vector<std::string> argv;
  std::string cwd;
  std::vector<std::string> env;  // full environment; empty keeps ours
  std::string out_path, err_path;  // empty: /dev/null
  bool search_path = false;
  int death_signal = SIGKILL;  // sent to it if the test process dies first
};

std::vector<char *> c_strings(std::vector<std::string> &v) {
  std::vector<char *> out;
  for (std::string &s : v) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

pid_t spawn(Spawn s) {
  std::vector<char *> argv = c_strings(s.argv);
  std::vector<char *> envp = s.env.empty() ? std::vector<char *>{} : c_strings(s.env);
  std::string out = s.out_path.empty() ? "/dev/null" : s.out_path;
  std::string err = s.err_path.empty() ? "/dev/null" : s.err_path;
  const pid_t parent = getpid();

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error(std::string("fork: ") + strerror(errno));
  if (pid == 0) {
    // children never outlive a crashed test process
    prctl(PR_SET_PDEATHSIG, s.death_signal);
    if (getppid() != parent) _exit(126);
    int in_fd = open("/dev/null", O_RDONLY);
    int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0) _exit(126);
    dup2(in_fd, 0);
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    close_range(3, ~0U, 0);  // our X connection and friends stay ours
    if (!s.cwd.empty() && chdir(s.cwd.c_str()) != 0) _exit(126);
    char **env = s.env.empty() ? environ : envp.data();
    if (s.search_path) {
      environ = env;
      execvp(argv[0], argv.data());
    } else {
      execve(argv[0], argv.data(), env);
    }
    _exit(127);
  }
  return pid;
}

int decode_status(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return -WTERMSIG(status);
  return INT_MIN;
}

// reaps `pid` within `timeout`; nothing if it is still running
std::optional<int> reap_within(pid_t pid, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return decode_status(status);
    if (r < 0 && errno != EINTR) return INT_MIN;  // not ours any more
    if (Clock::now() >= deadline) return std::nullopt;
    sleep_for(10ms);
  }
}

void end_process(pid_t pid) {
  ::kill(pid, SIGTERM);
  if (reap_within(pid, 3000ms)) return;
  ::kill(pid, SIGKILL);
  reap_within(pid, 5000ms);
}

}  // namespace

void sleep_for(milliseconds ms) { std::this_thread::sleep_for(ms); }

int run_command(const std::vector<std::string> &argv, const std::string &cwd, std::string *output) {
  Spawn s;
  s.argv = argv;
  s.cwd = cwd;
  s.search_path = true;
  std::string log = make_temp_dir("cmd") + "/output";
  s.out_path = log;
  s.err_path = log + ".err";
  pid_t pid = spawn(s);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (output) *output = read_file(log) + read_file(log + ".err");
  return decode_status(status);
}

// -------------------------------------------------------------- X server

namespace {

bool display_taken(int n) {
  return file_exists("/tmp/.X" + std::to_string(n) + "-lock") ||
         file_exists("/tmp/.X11-unix/X" + std::to_string(n));
}

int silent_x_error(Display *, XErrorEvent *) { return 0; }

}  // namespace

XServer &XServer::shared() {
  static XServer server;
  if (!server.running()) server.start();
  return server;
}

XServer::~XServer() { stop(); }

void XServer::start() {
  if (pid_ > 0) return;
  const std::string dir = make_temp_dir("xvfb");
  // spread the starting point so parallel test processes rarely collide
  int n = 40 + static_cast<int>(getpid() % 200);
  for (int attempt = 0; attempt < 30; ++attempt, ++n) {
    if (n > 999) n = 40;
    if (display_taken(n)) continue;
    Spawn s;
    s.argv = {"Xvfb", ":" + std::to_string(n), "-screen", "0", "800x600x24", "-nolisten", "tcp", "-br"};
    s.search_path = true;
    s.death_signal = SIGTERM;  // lets it remove its lock file and socket
    s.out_path = dir + "/xvfb-" + std::to_string(n) + ".log";
    s.err_path = s.out_path;
    const pid_t pid = spawn(s);
    const std::string name = ":" + std::to_string(n);
    const auto deadline = Clock::now() + 15s;
    Display *dpy = nullptr;
    bool died = false;
    while (!dpy && Clock::now() < deadline) {
      if (reap_within(pid, 0ms)) {
        died = true;  // most likely lost the display number to someone else
        break;
      }
      dpy = XOpenDisplay(name.c_str());
      if (!dpy) sleep_for(25ms);
    }
    if (!dpy) {
      if (!died) end_process(pid);
      continue;
    }
    int ev, err, major, minor;
    if (!XTestQueryExtension(dpy, &ev, &err, &major, &minor)) {
      XCloseDisplay(dpy);
      end_process(pid);
      throw std::runtime_error("Xvfb on " + name + " has no XTEST extension");
    }
    pid_ = pid;
    number_ = n;
    name_ = name;
    log_ = s.out_path;
    dpy_ = dpy;
    XSetErrorHandler(silent_x_error);
    move(kScreenW - 1, kScreenH - 1);
    return;
  }
  throw std::runtime_error("could not start Xvfb (logs in " + dir + ")");
}

void XServer::stop() {
  if (dpy_) {
    XCloseDisplay(dpy_);
    dpy_ = nullptr;
  }
  if (pid_ > 0) {
    end_process(pid_);
    pid_ = -1;
  }
}

void XServer::sync() {
  XFlush(dpy_);
  XSync(dpy_, False);
}

void XServer::move(int x, int y) {
  XTestFakeMotionEvent(dpy_, DefaultScreen(dpy_), x, y, CurrentTime);
  sync();
  pointer_ = {x, y};
}

void XServer::nudge() {
  const auto [px, py] = pointer_;
  move(px > 0 ? px - 1 : px + 1, py);
  move(px, py);
}

void XServer::button(bool down) {
  if (down == button_down_) return;
  XTestFakeButtonEvent(dpy_, 1, down ? True : False, CurrentTime);
  sync();
  button_down_ = down;
}

void XServer::click(int x, int y) {
  move(x, y);
  sleep_for(40ms);
  button(true);
  sleep_for(90ms);
  button(false);
  sleep_for(20ms);
}

void XServer::key(unsigned long keysym, bool down) {
  const KeyCode code = XKeysymToKeycode(dpy_, keysym);
  if (code == 0) throw std::runtime_error("no keycode for keysym " + std::to_string(keysym));
  XTestFakeKeyEvent(dpy_, code, down ? True : False, CurrentTime);
  sync();
}

void XServer::tap_key(unsigned long keysym) {
  key(keysym, true);
  sleep_for(90ms);
  key(keysym, false);
  sleep_for(20ms);
}

Rect XServer::pointer_area() const {
  // the 16x16 sprite has its hot spot at (7,7); one pixel of slack around it
  return {pointer_.first - 8, pointer_.second - 8, 18, 18};
}

namespace {

int shift_of(unsigned long mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

}  // namespace

Image XServer::grab() {
  XImage *xi = XGetImage(dpy_, DefaultRootWindow(dpy_), 0, 0, kScreenW, kScreenH, AllPlanes, ZPixmap);
  if (!xi) throw std::runtime_error("XGetImage failed");
  Image img(kScreenW, kScreenH);
  const int rs = shift_of(xi->red_mask), gs = shift_of(xi->green_mask), bs = shift_of(xi->blue_mask);
  const bool msb = xi->byte_order == MSBFirst;
  for (int y = 0; y < kScreenH; ++y) {
    const auto *row = reinterpret_cast<const unsigned char *>(xi->data) + static_cast<size_t>(y) * xi->bytes_per_line;
    for (int x = 0; x < kScreenW; ++x) {
      unsigned long p;
      if (xi->bits_per_pixel == 32 || xi->bits_per_pixel == 24) {
        const int n = xi->bits_per_pixel / 8;
        const unsigned char *q = row + static_cast<size_t>(x) * n;
        p = 0;
        for (int i = 0; i < n; ++i) p |= static_cast<unsigned long>(msb ? q[n - 1 - i] : q[i]) << (8 * i);
      } else {
        p = XGetPixel(xi, x, y);
      }
      img.set(x, y, {static_cast<uint8_t>((p & xi->red_mask) >> rs), static_cast<uint8_t>((p & xi->green_mask) >> gs),
                     static_cast<uint8_t>((p & xi->blue_mask) >> bs)});
    }
  }
  XDestroyImage(xi);
  return img;
}

bool wait_until(XServer &x, const std::function<bool(const Image &)> &pred, milliseconds timeout, Image *last,
                const std::function<bool()> &stop_early) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    const bool stopping = stop_early && stop_early();
    Image img = x.grab();
    const bool ok = pred(img);
    if (last) *last = std::move(img);
    if (ok) return true;
    if (stopping || Clock::now() >= deadline) return false;
    sleep_for(25ms);
  }
}

// ---------------------------------------------------------------- game

GameProcess::GameProcess(XServer &x, LaunchOptions opts) {
  dir_ = make_temp_dir("game");
  const std::string bin = dir_ + "/bin";
  make_dirs(bin);
  // allegro_message() runs xmessage and waits for it; this one records the
  // text (its last argument) and answers like the OK button
  write_file(bin + "/xmessage",
             "#!/bin/sh\n"
             "for text; do :; done\n"
             "printf '%s\\036' \"$text\" >> '" + dir_ + "/messages'\n"
             "printf '%s\\n' \"$*\" >> '" + dir_ + "/xmessage-calls'\n"
             "exit 101\n",
             0755);

  std::vector<std::pair<std::string, std::string>> set = {
      {"DISPLAY", x.display_name()},
      {"PATH", bin + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin")},
      {"HOME", dir_},  // no ~/.allegrorc of whoever runs the tests
  };
  for (auto &kv : opts.env) set.push_back(kv);

  Spawn s;
  s.argv = {opts.binary.empty() ? game_binary() : opts.binary};
  s.cwd = opts.cwd.empty() ? dir_ : opts.cwd;
  s.out_path = dir_ + "/stdout";
  s.err_path = dir_ + "/stderr";
  for (char **e = environ; *e; ++e) {
    std::string kv = *e;
    std::string key = kv.substr(0, kv.find('='));
    bool replaced = key == "ALLEGRO";  // only when a test asks for one
    for (auto &p : set) replaced = replaced || p.first == key;
    if (!replaced) s.env.push_back(kv);
  }
  for (auto &p : set) s.env.push_back(p.first + "=" + p.second);
  pid_ = spawn(s);
}

GameProcess::~GameProcess() { kill(); }

void GameProcess::reap(int status) {
  status_ = status;
  pid_ = -1;
}

bool GameProcess::running() {
  if (pid_ <= 0) return false;
  if (auto st = reap_within(pid_, 0ms)) reap(*st);
  return pid_ > 0;
}

std::optional<int> GameProcess::wait_exit(milliseconds timeout) {
  if (pid_ > 0) {
    if (auto st = reap_within(pid_, timeout)) reap(*st);
  }
  return status_;
}

void GameProcess::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  if (auto st = reap_within(pid_, 3000ms)) {
    reap(*st);
    return;
  }
  ::kill(pid_, SIGKILL);
  if (auto st = reap_within(pid_, 5000ms)) reap(*st);
}

std::vector<std::string> GameProcess::messages() const {
  std::vector<std::string> out;
  const std::string all = read_file(dir_ + "/messages");
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '\036') {
      out.push_back(all.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

std::string GameProcess::out() const { return read_file(dir_ + "/stdout"); }
std::string GameProcess::err() const { return read_file(dir_ + "/stderr"); }

std::string GameProcess::diagnostics() const {
  std::ostringstream os;
  os << "game dir " << dir_ << "\n--- stdout\n" << out() << "--- stderr (tail)\n";
  std::string e = err();
  if (e.size() > 2000) e = "..." + e.substr(e.size() - 2000);
  os << e << "--- messages\n";
  for (const std::string &m : messages()) os << "[" << m << "]\n";
  return os.str();
}

// ------------------------------------------------------- environment hookup

namespace {

void HarnessEnvironment::TearDown() {
  if (g_run_dir.empty()) return;
  if (::testing::UnitTest::GetInstance()->Passed()) {
    std::error_code ec;
    fs::remove_all(g_run_dir, ec);
  } else {
    std::cerr << "e2e: kept " << g_run_dir << " for a look\n";
  }
}

const bool registered = (::testing::AddGlobalTestEnvironment(new HarnessEnvironment), true);

}  // namespace

}  // namespace e2e
