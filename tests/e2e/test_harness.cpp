// The harness itself against a client of our own, so a failing game test
// points at the game and not at the plumbing.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>

#include "harness.h"

namespace e2e {
namespace {

class OwnWindow {
 public:
  OwnWindow(const std::string &display, Rect r, unsigned long pixel) {
    dpy_ = XOpenDisplay(display.c_str());
    if (!dpy_) return;
    XSetWindowAttributes a{};
    a.background_pixel = pixel;
    a.override_redirect = True;
    a.event_mask = KeyPressMask | ButtonPressMask | ExposureMask;
    win_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), r.x, r.y, r.w, r.h, 0, CopyFromParent, InputOutput,
                         CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &a);
    XMapWindow(dpy_, win_);
    XSync(dpy_, False);
  }
  ~OwnWindow() {
    if (dpy_) XCloseDisplay(dpy_);
  }
  bool ok() const { return dpy_ != nullptr; }

  // the next event of `type`, within the deadline
  bool next(int type, XEvent *out, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      while (XPending(dpy_)) {
        XNextEvent(dpy_, out);
        if (out->type == type) return true;
      }
      sleep_for(10ms);
    }
    return false;
  }
  Display *dpy() const { return dpy_; }

 private:
  Display *dpy_ = nullptr;
  Window win_ = 0;
};

TEST(Harness, RootStartsBlackAtGameSize) {
  XServer &x = XServer::shared();
  Image img = x.grab();
  ASSERT_EQ(img.w(), kScreenW);
  ASSERT_EQ(img.h(), kScreenH);
  EXPECT_EQ(img.rgb(0, 0), kBlack);
  EXPECT_EQ(img.rgb(kScreenW - 1, kScreenH - 1), kBlack);
}

TEST(Harness, ReadsPixelsAndDeliversInput) {
  XServer &x = XServer::shared();
  const Rect r{100, 50, 200, 100};
  OwnWindow w(x.display_name(), r, 0x336699);
  ASSERT_TRUE(w.ok());
  const Rgb colour{0x33, 0x66, 0x99};
  Image last;
  ASSERT_TRUE(wait_until(
      x, [&](const Image &img) { return img.rgb(r.x, r.y) == colour && img.rgb(r.x + r.w - 1, r.y + r.h - 1) == colour; },
      5s, &last))
      << save_debug_image(last, "own-window");
  EXPECT_EQ(last.rgb(r.x - 1, r.y), kBlack);
  EXPECT_EQ(last.rgb(r.x + r.w, r.y + r.h - 1), kBlack);
  EXPECT_EQ(last.rgb(r.x, r.y + r.h), kBlack);

  XEvent ev;
  x.click(r.x + 20, r.y + 10);
  ASSERT_TRUE(w.next(ButtonPress, &ev, 2s));
  EXPECT_EQ(ev.xbutton.button, 1u);
  EXPECT_EQ(ev.xbutton.x, 20);
  EXPECT_EQ(ev.xbutton.y, 10);

  x.tap_key(XK_Escape);  // focus follows the pointer, still over the window
  ASSERT_TRUE(w.next(KeyPress, &ev, 2s));
  EXPECT_EQ(XLookupKeysym(&ev.xkey, 0), static_cast<KeySym>(XK_Escape));
  x.move(kScreenW - 1, kScreenH - 1);
}

TEST(Harness, ProcessSeesItsSettingsAndMessagesAreRecordedExactly) {
  XServer &x = XServer::shared();
  const std::string dir = make_temp_dir("script");
  const std::string script = dir + "/fake-game";
  write_file(script,
             "#!/bin/sh\n"
             "nl='\n'\n"
             "printf '%s|%s|%s' \"$PWD\" \"$ALLEGRO\" \"$DISPLAY\" > seen\n"
             "xmessage -buttons OK:101 -default OK -center \"first${nl}\"\n"
             "[ $? -eq 101 ] || exit 9\n"
             "xmessage \"second line${nl}and more${nl}\"\n"
             "[ $? -eq 101 ] || exit 9\n"
             "exit 3\n",
             0755);
  GameProcess p(x, {script, dir, {{"ALLEGRO", "/somewhere"}}});
  EXPECT_EQ(p.wait_exit(10s), 3) << p.diagnostics();
  EXPECT_EQ(read_file(dir + "/seen"), dir + "|/somewhere|" + x.display_name());
  EXPECT_EQ(p.messages(), (std::vector<std::string>{"first\n", "second line\nand more\n"}));
}

TEST(Harness, KillEndsAProcessThatHangs) {
  XServer &x = XServer::shared();
  const std::string dir = make_temp_dir("script");
  write_file(dir + "/hang", "#!/bin/sh\nexec sleep 60\n", 0755);
  GameProcess p(x, {dir + "/hang", dir, {}});
  EXPECT_FALSE(p.wait_exit(200ms).has_value());
  p.kill();
  EXPECT_EQ(p.exit_status(), -SIGTERM);
  EXPECT_FALSE(p.running());
}

TEST(Harness, WrittenDataFilesLoadWithTheirObjects) {
  const std::string path = make_temp_dir("dat") + "/three.dat";
  DatWriter w;
  w.add_bitmap(5, 3, 7, "PIC");
  w.add_palette("PAL");
  w.add_sample("SND");
  w.add_data("hello", "TXT");
  w.save(path);
  DataFile d(path);
  ASSERT_TRUE(d.loaded());
  ASSERT_EQ(d.count(), 4);
  EXPECT_EQ(d.type(0), kDatBitmap);
  EXPECT_EQ(d.type(1), kDatPalette);
  EXPECT_EQ(d.type(2), kDatSample);
  EXPECT_EQ(d.type(3), kDatData);
  EXPECT_EQ(d.picture(0).w, 5);
  EXPECT_EQ(d.picture(0).h, 3);
  EXPECT_EQ(d.picture(0).at(4, 2), 7);
  EXPECT_EQ(d.palette(1).rgb(63), pal_rgb(63, 63, 63));
}

}  // namespace
}  // namespace e2e
