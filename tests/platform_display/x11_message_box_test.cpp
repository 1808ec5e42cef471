// The x11 driver's message box, worked from outside like a user would: found by its title,
// looked at, and dismissed with a click on OK or with Return.
// GoogleTest before Xlib, whose None and Bool macros would rename GoogleTest's own.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/linux/display/x11/x11_driver.h"
#include "tests/platform_display/private_xvfb.h"

namespace linux_display {
namespace {

// The top-level window titled `title`, or 0.
Window FindByTitle(Display* display, const std::string& title) {
  Window root, parent, *children = nullptr, found = 0;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name && title == name) found = children[i];
    XFree(name);
  }
  XFree(children);
  return found;
}

template <typename Condition>
bool Within(Condition condition) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    usleep(10000);
  }
  return true;
}

struct Dismissal {
  const char* caption;
  const char* text;
  bool click;  // on OK; else Return
};
const Dismissal kBoxes[] = {{"First box", "The first box's text", true},
                            {"Second box", "Two lines:\nof text", false}};

// On its own connection and thread: checks each box and dismisses it.
void PlayTheUser(const std::string& server, Window owner, std::atomic<int>& problems) {
  Display* display = XOpenDisplay(server.c_str());
  auto problem = [&](const char* what, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, what);
    ++problems;
  };
  for (const Dismissal& box : kBoxes) {
    Window xid = 0;
    XWindowAttributes attributes{};
    if (!Within([&] {
          xid = FindByTitle(display, box.caption);
          return xid && XGetWindowAttributes(display, xid, &attributes) &&
                 attributes.map_state == IsViewable;
        })) {
      problem("never shown", box.caption);
      break;
    }
    Window transientFor = 0;
    XGetTransientForHint(display, xid, &transientFor);
    if (transientFor != owner) problem("not kept above its owner", box.caption);
    // Text in the upper part: dark pixels on the light face.
    int dark = 0;
    if (Within([&] {
          XImage* image =
              XGetImage(display, xid, 0, 0, static_cast<unsigned>(attributes.width),
                        static_cast<unsigned>(attributes.height / 2), AllPlanes, ZPixmap);
          dark = 0;
          for (int y = 0; image && y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
              dark += (XGetPixel(image, x, y) & 0xFFFFFF) < 0x404040;
          if (image) XDestroyImage(image);
          return dark > 20;
        }) == false)
      problem("shows no text", box.caption);
    std::string command = "DISPLAY=" + server + " xdotool ";
    if (box.click) {
      int x, y;
      Window child;
      XTranslateCoordinates(display, xid, DefaultRootWindow(display), attributes.width / 2,
                            attributes.height - 12 - 11, &x, &y, &child);
      command += "mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1";
    } else {
      Window focus = 0;
      int revert;
      if (!Within([&] {
            XGetInputFocus(display, &focus, &revert);
            return focus == xid;
          }))
        problem("never has the keyboard", box.caption);
      command += "key Return";
    }
    if (std::system(command.c_str()) != 0) problem("xdotool failed", box.caption);
    if (!Within([&] { return FindByTitle(display, box.caption) == 0; }))
      problem("not dismissed", box.caption);
  }
  XCloseDisplay(display);
}

// In a child, so a box that is never dismissed ends in the alarm rather than a hang.
void ShowAndDismissBoxes() {
  XInitThreads();
  alarm(60);
  const std::string& server = linux_display_testing::SharedXvfb().Name();
  std::unique_ptr<Driver> made = MakeX11Driver(server.c_str());
  auto* driver = static_cast<linux_display::X11Driver*>(made.get());
  HWND owner = reinterpret_cast<HWND>(0x10);
  WindowLook look;
  look.decorated = true;
  driver->Show(owner, {100, 100, 600, 500}, look);
  std::atomic<int> problems{0};
  std::thread user(PlayTheUser, server, driver->XWindowOf(owner), std::ref(problems));
  for (const Dismissal& box : kBoxes) driver->MessageBox(box.caption, box.text);
  user.join();
  std::fprintf(stderr, "problems: %d\n", problems.load());
  std::exit(0);
}

TEST(X11MessageBoxDeathTest, ShowsTheTextAndEndsOnOkOrReturn) {
  if (linux_display_testing::SharedXvfb().Name().empty()) GTEST_SKIP() << "no Xvfb";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ShowAndDismissBoxes(), testing::ExitedWithCode(0), "problems: 0");
}

}  // namespace
}  // namespace linux_display
