// What the x11 driver tells a desktop about the program, and what it takes from other
// clients: properties read back from a connection of the test's own.
// GoogleTest before Xlib, whose None and Bool macros would rename GoogleTest's own.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/cursor_image.h"
#include "platform/linux/display/x11/x11_driver.h"
#include "platform/linux/gdi/screen.h"
#include "tests/platform_display/private_xvfb.h"

namespace linux_display {
namespace {

using linux_display_testing::SharedXvfb;

class X11Desktop : public testing::Test {
 protected:
  void SetUp() override {
    if (SharedXvfb().Name().empty()) GTEST_SKIP() << "Xvfb could not be started";
    other_ = XOpenDisplay(SharedXvfb().Name().c_str());
    ASSERT_NE(other_, nullptr);
  }
  void TearDown() override {
    if (other_) XCloseDisplay(other_);
  }

  std::unique_ptr<Driver> Make() {
    std::unique_ptr<Driver> made = MakeX11Driver(SharedXvfb().Name().c_str());
    EXPECT_NE(made, nullptr);
    return made;
  }
  // The window, once the server has done what the driver asked so far.
  static Window XOf(Driver& driver, HWND window) {
    auto& x11 = static_cast<X11Driver&>(driver);
    XSync(x11.XDisplay(), False);
    return x11.XWindowOf(window);
  }

  // A property as another client sees it: type, format, and items (format-32 items as
  // longs, as Xlib hands them).
  struct Read {
    Atom type = None;
    int format = 0;
    std::vector<long> longs;
    std::string bytes;
  };
  Read Get(Window xid, const char* name) {
    XSync(other_, False);
    Read read;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(other_, xid, XInternAtom(other_, name, False), 0, 1 << 20, False,
                       AnyPropertyType, &read.type, &read.format, &items, &after, &data);
    if (data && read.format == 32)
      read.longs.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + items);
    else if (data)
      read.bytes.assign(reinterpret_cast<char*>(data),
                        items * static_cast<unsigned>(read.format) / 8);
    if (data) XFree(data);
    return read;
  }

  Display* other_ = nullptr;
};

TEST_F(X11Desktop, AForeignNetWmStateIsNeverReadPastItsEnd) {
  // Another client rewrites the state of our hidden window in shapes that are not a list of
  // atoms; taking the window topmost then must leave a well-formed list holding just that.
  const struct {
    const char* name;
    Atom type;
    int format;
    int items;
  } rows[] = {{"bytes typed as atoms", XA_ATOM, 8, 5},
              {"shorts typed as atoms", XA_ATOM, 16, 3},
              {"cardinals", XA_CARDINAL, 32, 2},
              {"empty", XA_ATOM, 32, 0}};
  std::unique_ptr<Driver> driver = Make();
  const Atom state = XInternAtom(other_, "_NET_WM_STATE", False);
  const long above = static_cast<long>(XInternAtom(other_, "_NET_WM_STATE_ABOVE", False));
  const long foreign[2] = {static_cast<long>(XA_PRIMARY), static_cast<long>(XA_PRIMARY)};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HWND window = reinterpret_cast<HWND>(0x700);
    driver->Show(window, {0, 0, 40, 40}, {});
    driver->Hide(window);
    XChangeProperty(other_, XOf(*driver, window), state, row.type, row.format, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(foreign), row.items);
    XSync(other_, False);
    WindowLook topmost;
    topmost.topmost = true;
    driver->Show(window, {0, 0, 40, 40}, topmost);
    const Read read = Get(XOf(*driver, window), "_NET_WM_STATE");
    EXPECT_EQ(read.type, XA_ATOM);
    EXPECT_EQ(read.longs, std::vector<long>{above});
    driver->Forget(window);
  }
}

TEST_F(X11Desktop, WindowsNameTheProgramAndCarryItsIcon) {
  std::unique_ptr<Driver> driver = Make();
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  const linux_cursor::CursorImage* image = linux_cursor::CursorImageOf(icon);
  ASSERT_NE(image, nullptr);
  WindowLook look;
  look.icon = icon;
  const HWND window = reinterpret_cast<HWND>(0x710);
  driver->Show(window, {0, 0, 40, 40}, look);
  const Window xid = XOf(*driver, window);

  EXPECT_EQ(Get(xid, "WM_CLASS").bytes,
            std::string("platform_display_tests\0Platform_display_tests\0", 46));
  EXPECT_EQ(Get(xid, "_NET_WM_PID").longs, std::vector<long>{getpid()});
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  EXPECT_EQ(Get(xid, "WM_CLIENT_MACHINE").bytes, host);

  // Width, height, then that many ARGB pixels, an image after another: every size the
  // icon group has, the one the handle shows among them.
  // Xlib hands format-32 items sign-extended: compared as the 32 bits they are.
  std::vector<long> cardinals = Get(xid, "_NET_WM_ICON").longs;
  for (long& value : cardinals) value = static_cast<uint32_t>(value);
  std::map<long, std::vector<long>> sizes;
  for (size_t at = 0; at + 2 <= cardinals.size();) {
    const long width = cardinals[at], height = cardinals[at + 1];
    ASSERT_EQ(width, height);
    ASSERT_LE(at + 2 + static_cast<size_t>(width * height), cardinals.size());
    sizes[width].assign(cardinals.begin() + static_cast<long>(at) + 2,
                        cardinals.begin() + static_cast<long>(at) + 2 + width * height);
    at += 2 + static_cast<size_t>(width * height);
  }
  std::vector<long> widths;
  widths.reserve(sizes.size());
  for (const auto& [width, pixels] : sizes) widths.push_back(width);
  EXPECT_EQ(widths, (std::vector<long>{16, 32, 48}));
  const std::vector<long> shown(image->pixels.begin(), image->pixels.end());
  EXPECT_EQ(sizes[image->width], shown);

  // No icon any more: none offered.
  driver->Show(window, {0, 0, 40, 40}, {});
  EXPECT_EQ(Get(XOf(*driver, window), "_NET_WM_ICON").type, static_cast<Atom>(None));
}

TEST_F(X11Desktop, TheFirstMappedWindowEndsTheStartUpNotification) {
  // A listener on the root window collects the start-up messages as a desktop would.
  XSelectInput(other_, DefaultRootWindow(other_), PropertyChangeMask);
  XSync(other_, False);
  setenv("DESKTOP_STARTUP_ID", "tray \"7\"\\x_TIME42", 1);
  std::unique_ptr<Driver> driver = Make();
  EXPECT_EQ(std::getenv("DESKTOP_STARTUP_ID"), nullptr) << "passed on to what we start";
  const HWND first = reinterpret_cast<HWND>(0x720), second = reinterpret_cast<HWND>(0x721);
  driver->Show(first, {0, 0, 40, 40}, {});
  driver->Show(second, {50, 0, 90, 40}, {});

  const Atom begin = XInternAtom(other_, "_NET_STARTUP_INFO_BEGIN", False);
  const Atom more = XInternAtom(other_, "_NET_STARTUP_INFO", False);
  std::string message;
  bool ended = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    if (!XPending(other_)) {
      pollfd ready{ConnectionNumber(other_), POLLIN, 0};
      poll(&ready, 1, 100);
      continue;
    }
    XEvent event;
    XNextEvent(other_, &event);
    if (event.type != ClientMessage || event.xclient.format != 8) continue;
    const Atom type = event.xclient.message_type;
    if (type != begin && type != more) continue;
    EXPECT_EQ(type == begin, message.empty());
    for (char c : event.xclient.data.b) {
      if (c == '\0') {
        ended = true;
        break;
      }
      message += c;
    }
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(message, "remove: ID=\"tray \\\"7\\\"\\\\x_TIME42\"");
  EXPECT_EQ(Get(XOf(*driver, first), "_NET_STARTUP_ID").bytes, "tray \"7\"\\x_TIME42");
  EXPECT_EQ(Get(XOf(*driver, second), "_NET_STARTUP_ID").type, static_cast<Atom>(None));
}

TEST_F(X11Desktop, ShownPixelsLeaveNoSegmentBehind) {
  std::unique_ptr<Driver> driver = Make();
  if (!static_cast<X11Driver&>(*driver).AllocateSurface(8, 8))
    GTEST_SKIP() << "the server has no shared memory for us";
  std::unique_ptr<SurfaceMemory> lent = driver->AllocateSurface(64, 48);
  const HWND window = reinterpret_cast<HWND>(0x730);
  driver->Show(window, {0, 0, 64, 48}, {});
  std::vector<uint32_t> pixels(64 * 48, 0xFF336699);
  linux_gdi::Surface surface;
  surface.width = 64;
  surface.height = 48;
  surface.bitsPerPixel = 32;
  surface.stride = 64 * 4;
  surface.topDown = true;
  surface.masks[0] = 0xFF0000;
  surface.masks[1] = 0xFF00;
  surface.masks[2] = 0xFF;
  surface.bits = reinterpret_cast<uint8_t*>(pixels.data());
  driver->Present(window, surface, {0, 0, 64, 48});
  // Every segment we made and still use is marked for removal (SHM_DEST in its mode), so
  // a kill now would leave none.
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line);  // the heading
  int ours = 0;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    long key, id, size, creator;
    unsigned mode;
    fields >> key >> id >> std::oct >> mode >> std::dec >> size >> creator;
    if (creator != getpid()) continue;
    ++ours;
    EXPECT_NE(mode & 01000, 0u) << "segment " << id << " would outlive us";
  }
  EXPECT_GE(ours, 2);  // the lent surface and the driver's own image
}

TEST(X11SharedMemoryTest, OnlyALocalSocketIsOffered) {
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  const int inet = socket(AF_INET, SOCK_STREAM, 0), inet6 = socket(AF_INET6, SOCK_STREAM, 0);
  const struct {
    const char* name;
    int descriptor;
    bool local;
  } rows[] = {
      {"unix", pair[0], true}, {"tcp", inet, false}, {"tcp6", inet6, false}, {"closed", -1, false}};
  for (const auto& row : rows) EXPECT_EQ(LocalSocket(row.descriptor), row.local) << row.name;
  for (int descriptor : {pair[0], pair[1], inet, inet6})
    if (descriptor >= 0) close(descriptor);
}

TEST(X11ResolutionTest, XftDpiSetsThePixelsPerInch) {
  const struct {
    const char* resources;
    int dpi;
  } rows[] = {{nullptr, 0},
              {"Xft.antialias:\t1\nXft.dpi:\t144\n", 144},
              {"*.dpi: 120\nXft.dpi: 120.4\n", 120},
              {"Xft.dpi: big\n", 0},
              {"Xft.dpi: 5000\n", 0},
              {"Xft.hinting: 1\n", 0}};
  for (const auto& row : rows)
    EXPECT_EQ(ResourcePixelsPerInch(row.resources), row.dpi)
        << (row.resources ? row.resources : "none");
}

TEST_F(X11Desktop, TheScreenTakesXftDpiFromTheServer) {
  const Window root = DefaultRootWindow(other_);
  const Atom manager = XInternAtom(other_, "RESOURCE_MANAGER", False);
  for (int dpi : {144, 96}) {
    const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
    XChangeProperty(other_, root, manager, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()),
                    static_cast<int>(resources.size()));
    XSync(other_, False);
    std::unique_ptr<Driver> driver = Make();
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), dpi);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi);
    ReleaseDC(nullptr, screen);
  }
  XDeleteProperty(other_, root, manager);
  XSync(other_, False);
  std::unique_ptr<Driver> driver = Make();
  EXPECT_EQ(linux_gdi::Screen().pixelsPerInch, 96);
}

}  // namespace
}  // namespace linux_display
