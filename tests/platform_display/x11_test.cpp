// The x11 driver against an X server of the test's own.
// GoogleTest before Xlib, whose None and Bool macros would rename GoogleTest's own.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/linux/cursor_image.h"
#include "platform/linux/display/x11/x11_driver.h"
#include "tests/platform_display/private_xvfb.h"

namespace linux_display {
namespace {

using linux_display_testing::PrivateXvfb;
using linux_display_testing::SharedXvfb;

// Everything the driver reported, in order.
struct Recorder : EventSink {
  struct Event {
    enum Kind { kMove, kButton, kExpose, kClose, kIconic, kFocus, kKey } kind;
    HWND window = nullptr;
    POINT at{};
    unsigned flags = 0;
    Button button = Button::kLeft;
    bool on = false;
  };
  std::vector<Event> events;
  void PointerMoved(POINT screen, unsigned buttons) override {
    events.push_back({Event::kMove, nullptr, screen, buttons});
  }
  void ButtonChanged(Button button, bool down, POINT screen, unsigned buttons) override {
    events.push_back({Event::kButton, nullptr, screen, buttons, button, down});
  }
  void Exposed(HWND window, const RECT&) override { events.push_back({Event::kExpose, window}); }
  void CloseRequested(HWND window) override { events.push_back({Event::kClose, window}); }
  void IconifiedByUser(HWND window, bool iconic) override {
    events.push_back({Event::kIconic, window, {}, 0, Button::kLeft, iconic});
  }
  void FocusChanged(HWND window, bool focused) override {
    events.push_back({Event::kFocus, window, {}, 0, Button::kLeft, focused});
  }
  void KeyChanged(unsigned key, bool down) override {
    events.push_back({Event::kKey, nullptr, {}, key, Button::kLeft, down});
  }
};

class X11DriverOnXvfb : public testing::Test {
 protected:
  void SetUp() override {
    if (SharedXvfb().Name().empty()) GTEST_SKIP() << "Xvfb could not be started";
    made_ = MakeX11Driver(SharedXvfb().Name().c_str());
    ASSERT_NE(made_, nullptr);
    driver_ = static_cast<linux_display::X11Driver*>(made_.get());
    display_ = driver_->XDisplay();
  }

  // Pumps into the recorder until `done` holds; false when the deadline passes first.
  bool PumpUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      pollfd ready{driver_->EventDescriptor(), POLLIN, 0};
      poll(&ready, 1, 100);
      EXPECT_TRUE(driver_->Pump(recorder_));
    }
    return true;
  }

  std::vector<unsigned char> Property(Window xid, const char* name, Atom* type = nullptr) {
    Atom actualType;
    int format;
    unsigned long items = 0, after;
    unsigned char* data = nullptr;
    std::vector<unsigned char> bytes;
    XGetWindowProperty(display_, xid, XInternAtom(display_, name, False), 0, 64, False,
                       AnyPropertyType, &actualType, &format, &items, &after, &data);
    if (data) {
      size_t unit = format == 32 ? sizeof(long) : static_cast<size_t>(format / 8);
      bytes.assign(data, data + items * unit);
      XFree(data);
    }
    if (type) *type = actualType;
    return bytes;
  }

  std::vector<long> Longs(Window xid, const char* name) {
    std::vector<unsigned char> bytes = Property(xid, name);
    std::vector<long> values(bytes.size() / sizeof(long));
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(long));
    return values;
  }

  RECT Geometry(Window xid) {
    Window root, child;
    int x, y, rootX = 0, rootY = 0;
    unsigned w = 0, h = 0, border, depth;
    XGetGeometry(display_, xid, &root, &x, &y, &w, &h, &border, &depth);
    XTranslateCoordinates(display_, xid, root, 0, 0, &rootX, &rootY, &child);
    return {rootX, rootY, rootX + static_cast<LONG>(w), rootY + static_cast<LONG>(h)};
  }

  int MapState(Window xid) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, xid, &attributes);
    return attributes.map_state;
  }

  static HWND Handle(uintptr_t n) { return reinterpret_cast<HWND>(n); }

  std::unique_ptr<Driver> made_;
  linux_display::X11Driver* driver_ = nullptr;
  Display* display_ = nullptr;
  Recorder recorder_;
};

TEST_F(X11DriverOnXvfb, WindowsCarryTheirGeometryAndLook) {
  const HWND main = Handle(0x100), popup = Handle(0x200);
  WindowLook mainLook;
  mainLook.decorated = true;
  mainLook.title = "Launcher main";
  driver_->Show(main, {50, 60, 450, 360}, mainLook);
  WindowLook popupLook;
  popupLook.owner = main;
  popupLook.topmost = true;
  popupLook.title = "Menu \xc3\xa9";
  driver_->Show(popup, {70, 80, 170, 130}, popupLook);
  XSync(display_, False);
  Window mainX = driver_->XWindowOf(main), popupX = driver_->XWindowOf(popup);
  ASSERT_NE(mainX, 0u);
  ASSERT_NE(popupX, 0u);

  struct Expected {
    Window xid;
    RECT at;
    bool motif;
    Window transientFor;
    const char* title;
  };
  auto check = [&](const Expected& e) {
    RECT at = Geometry(e.xid);
    EXPECT_EQ(at.left, e.at.left);
    EXPECT_EQ(at.top, e.at.top);
    EXPECT_EQ(at.right, e.at.right);
    EXPECT_EQ(at.bottom, e.at.bottom);
    EXPECT_EQ(MapState(e.xid), IsViewable);
    std::vector<long> motif = Longs(e.xid, "_MOTIF_WM_HINTS");
    if (e.motif) {
      ASSERT_EQ(motif.size(), 5u);
      EXPECT_EQ(motif[0] & 2, 2);  // decorations given...
      EXPECT_EQ(motif[2], 0);      // ...and none
    } else {
      EXPECT_TRUE(motif.empty());
    }
    Window owner = 0;
    XGetTransientForHint(display_, e.xid, &owner);
    EXPECT_EQ(owner, e.transientFor);
    std::vector<unsigned char> name = Property(e.xid, "_NET_WM_NAME");
    EXPECT_EQ(std::string(name.begin(), name.end()), e.title);
    char* wmName = nullptr;
    XFetchName(display_, e.xid, &wmName);
    EXPECT_STREQ(wmName, e.title);
    XFree(wmName);
  };
  check({mainX, {50, 60, 450, 360}, false, 0, "Launcher main"});
  check({popupX, {70, 80, 170, 130}, true, mainX, "Menu \xc3\xa9"});
  std::vector<long> states = Longs(popupX, "_NET_WM_STATE");
  Atom above = XInternAtom(display_, "_NET_WM_STATE_ABOVE", False);
  EXPECT_EQ(std::count(states.begin(), states.end(), static_cast<long>(above)), 1);

  // Moved, resized and retitled while shown; then a bare popup gets its frame back.
  mainLook.title = "Renamed";
  driver_->Show(main, {10, 20, 210, 120}, mainLook);
  popupLook.decorated = true;
  popupLook.owner = nullptr;
  driver_->Show(popup, {70, 80, 170, 130}, popupLook);
  XSync(display_, False);
  check({mainX, {10, 20, 210, 120}, false, 0, "Renamed"});
  check({popupX, {70, 80, 170, 130}, false, 0, "Menu \xc3\xa9"});

  driver_->Hide(main);
  XSync(display_, False);
  EXPECT_EQ(MapState(mainX), IsUnmapped);
  driver_->Show(main, {10, 20, 210, 120}, mainLook);
  XSync(display_, False);
  EXPECT_EQ(MapState(mainX), IsViewable);

  driver_->Forget(main);
  EXPECT_EQ(driver_->XWindowOf(main), 0u);
  XWindowAttributes attributes;
  EXPECT_EQ(XGetWindowAttributes(display_, mainX, &attributes), 0);  // gone from the server
}

TEST_F(X11DriverOnXvfb, PresentPutsTheSurfacePixels) {
  // lent: the pixels live in storage the driver lends (shown without a copy where it has
  // shared memory); the driver may be gone before that storage is given back.
  enum Lent { kOwn, kLentReturned, kLentOutlivingDriver };
  const struct {
    const char* name;
    bool sharedMemory;
    int bitsPerPixel;
    Lent lent;
  } cases[] = {{"shm 32", true, 32, kOwn},
               {"plain 32", false, 32, kOwn},
               {"shm 24", true, 24, kOwn},
               {"shm 32 lent", true, 32, kLentReturned},
               {"shm 32 lent, driver gone first", true, 32, kLentOutlivingDriver},
               {"plain 32: nothing to lend", false, 32, kLentReturned}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<linux_display::SurfaceMemory> memory;  // destroyed after `made`
    if (!c.sharedMemory) setenv("LAUNCHER_NO_SHM", "1", 1);
    std::unique_ptr<Driver> made = MakeX11Driver(SharedXvfb().Name().c_str());
    unsetenv("LAUNCHER_NO_SHM");
    auto* driver = static_cast<linux_display::X11Driver*>(made.get());
    const int width = 40, height = 30;
    linux_gdi::Surface surface;
    surface.width = width;
    surface.height = height;
    surface.bitsPerPixel = c.bitsPerPixel;
    surface.stride = linux_gdi::DibStride(width, c.bitsPerPixel);
    surface.topDown = c.bitsPerPixel == 32;
    surface.masks[0] = 0xFF0000;
    surface.masks[1] = 0xFF00;
    surface.masks[2] = 0xFF;
    std::vector<uint8_t> bits(static_cast<size_t>(surface.stride) * height);
    surface.bits = bits.data();
    if (c.lent != kOwn) {
      memory = driver->AllocateSurface(width, height);
      EXPECT_EQ(memory != nullptr, c.sharedMemory);
      if (memory) {
        EXPECT_TRUE(std::all_of(memory->Pixels(), memory->Pixels() + width * height,
                                [](uint32_t p) { return p == 0; }));
        surface.bits = reinterpret_cast<uint8_t*>(memory->Pixels());
      }
    }
    auto colorAt = [](int x, int y) { return RGB(x * 6, y * 8, (x + y) * 3); };
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) surface.WriteRaw(x, y, surface.Encode(colorAt(x, y)));

    HWND window = Handle(0x300);
    driver->Show(window, {200, 150, 200 + width, 150 + height}, {});
    driver->Present(window, surface, {0, 0, width, height});
    // A partial update puts only its area: mark the rest, which must not arrive.
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (x < 10 || y < 10) surface.WriteRaw(x, y, surface.Encode(RGB(255, 0, 255)));
    driver->Present(window, surface, {10, 10, 25, 20});
    Display* display = driver->XDisplay();
    XSync(display, False);
    XImage* image =
        XGetImage(display, driver->XWindowOf(window), 0, 0, width, height, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        COLORREF want = colorAt(x, y);
        unsigned long want24 = (GetRValue(want) << 16) | (GetGValue(want) << 8) | GetBValue(want);
        if ((XGetPixel(image, x, y) & 0xFFFFFF) != want24 && wrong++ < 3)
          ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex
                        << XGetPixel(image, x, y);
      }
    }
    EXPECT_EQ(wrong, 0);
    XDestroyImage(image);
    if (c.lent == kLentReturned) memory.reset();
  }
}

TEST_F(X11DriverOnXvfb, ClicksArriveAtRootCoordinates) {
  HWND window = Handle(0x400);
  driver_->Show(window, {100, 100, 300, 250}, {});
  XSync(display_, False);
  std::string command = "DISPLAY=" + SharedXvfb().Name() +
                        " xdotool mousemove --sync 150 160 click 1 mousemove --sync 170 180";
  ASSERT_EQ(std::system(command.c_str()), 0);
  using E = Recorder::Event;
  auto buttons = [&] {
    std::vector<E> found;
    for (const E& e : recorder_.events)
      if (e.kind == E::kButton) found.push_back(e);
    return found;
  };
  ASSERT_TRUE(PumpUntil([&] {
    for (const E& e : recorder_.events)
      if (e.kind == E::kMove && e.at.x == 170 && e.at.y == 180) return true;
    return false;
  }));
  std::vector<E> clicks = buttons();
  ASSERT_EQ(clicks.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(clicks[i].button, Button::kLeft);
    EXPECT_EQ(clicks[i].on, i == 0);
    EXPECT_EQ(clicks[i].at.x, 150);
    EXPECT_EQ(clicks[i].at.y, 160);
    EXPECT_EQ(clicks[i].flags & kMkLButton, i == 0 ? kMkLButton : 0u);
  }
  EXPECT_EQ(driver_->PointerPosition().x, 170);
  driver_->WarpPointer({120, 130});
  EXPECT_EQ(driver_->PointerPosition().y, 130);
}

TEST_F(X11DriverOnXvfb, KeysAndFocusArriveAsTheWindowingLayerNamesThem) {
  HWND window = Handle(0x450);
  driver_->Show(window, {100, 100, 300, 250}, {});
  XSync(display_, False);
  XSetInputFocus(display_, driver_->XWindowOf(window), RevertToParent, CurrentTime);
  XSync(display_, False);
  using E = Recorder::Event;
  ASSERT_TRUE(PumpUntil([&] {
    for (const E& e : recorder_.events)
      if (e.kind == E::kFocus && e.window == window && e.on) return true;
    return false;
  }));
  std::string command =
      "DISPLAY=" + SharedXvfb().Name() +
      " xdotool key a keydown shift key b keyup shift key 7 Return Escape Tab Left Down"
      " keydown ctrl keydown alt key q keyup alt keyup ctrl key F2 F12";
  ASSERT_EQ(std::system(command.c_str()), 0);
  // Down then up for each; modifiers around the keys they modify. (Control+Alt+F-keys are
  // the server's own: it switches consoles with them.)
  const std::vector<std::pair<unsigned, bool>> expected = {
      {'A', true},  {'A', false},  {0x10, true}, {'B', true},   {'B', false},  {0x10, false},
      {'7', true},  {'7', false},  {0x0D, true}, {0x0D, false}, {0x1B, true},  {0x1B, false},
      {0x09, true}, {0x09, false}, {0x25, true}, {0x25, false}, {0x28, true},  {0x28, false},
      {0x11, true}, {0x12, true},  {'Q', true},  {'Q', false},  {0x12, false}, {0x11, false},
      {0x71, true}, {0x71, false}, {0x7B, true}, {0x7B, false}};
  std::vector<std::pair<unsigned, bool>> keys;
  EXPECT_TRUE(PumpUntil([&] {
    keys.clear();
    for (const E& e : recorder_.events)
      if (e.kind == E::kKey) keys.emplace_back(e.flags, e.on);
    return keys.size() >= expected.size();
  }));
  EXPECT_EQ(keys, expected);

  XSetInputFocus(display_, PointerRoot, RevertToParent, CurrentTime);
  XSync(display_, False);
  EXPECT_TRUE(PumpUntil(
      [&] { return recorder_.events.back().kind == E::kFocus && !recorder_.events.back().on; }));
}

// The pointer's image as the server shows it: size, hot spot, and per pixel -1 clear,
// 0 light, 1 dark.
struct ShownCursor {
  int width = 0, height = 0, hotX = 0, hotY = 0;
  std::vector<int> pixels;
};

ShownCursor ReadShownCursor(Display* display) {
  ShownCursor shown;
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (!image) return shown;
  shown.width = image->width;
  shown.height = image->height;
  shown.hotX = image->xhot;
  shown.hotY = image->yhot;
  for (int i = 0; i < shown.width * shown.height; ++i) {
    unsigned long argb = image->pixels[i];
    unsigned sum = ((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF);
    shown.pixels.push_back((argb >> 24) < 0x80 ? -1 : sum < 384 ? 1 : 0);
  }
  XFree(image);
  return shown;
}

TEST_F(X11DriverOnXvfb, CursorShapesFollowTheHandle) {
  HWND window = Handle(0x500);
  driver_->Show(window, {0, 0, 300, 300}, {});
  driver_->WarpPointer({100, 100});
  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32761));
  const linux_cursor::CursorImage* art = linux_cursor::CursorImageOf(hand);
  ASSERT_NE(art, nullptr);

  driver_->SetCursor(hand);
  XSync(display_, False);
  EXPECT_NE(ReadShownCursor(display_).width, art->width) << "shown before the queue ran dry";
  driver_->Settle();
  XSync(display_, False);
  ShownCursor shown = ReadShownCursor(display_);
  ASSERT_EQ(shown.width, art->width);
  ASSERT_EQ(shown.height, art->height);
  EXPECT_EQ(shown.hotX, art->hotX);
  EXPECT_EQ(shown.hotY, art->hotY);
  int differ = 0;
  for (int i = 0; i < shown.width * shown.height; ++i) {
    uint32_t argb = art->pixels[static_cast<size_t>(i)];
    unsigned sum = ((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF);
    int want = (argb >> 24) < 0x80 ? -1 : sum < 384 ? 1 : 0;
    differ += want != shown.pixels[static_cast<size_t>(i)];
  }
  EXPECT_EQ(differ, 0);

  // System shapes are the server's own, and differ from each other; no handle hides it.
  driver_->SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
  driver_->Settle();
  XSync(display_, False);
  ShownCursor ibeam = ReadShownCursor(display_);
  driver_->SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  driver_->Settle();
  XSync(display_, False);
  ShownCursor arrow = ReadShownCursor(display_);
  EXPECT_GT(ibeam.width, 0);
  EXPECT_NE(ibeam.pixels, arrow.pixels);
  driver_->SetCursor(nullptr);
  driver_->Settle();
  XSync(display_, False);
  ShownCursor none = ReadShownCursor(display_);
  EXPECT_EQ(std::count(none.pixels.begin(), none.pixels.end(), -1),
            static_cast<long>(none.pixels.size()));
  // A window shown later takes the current shape too.
  driver_->SetCursor(hand);
  driver_->Settle();
  HWND later = Handle(0x501);
  driver_->Show(later, {400, 400, 500, 500}, {});
  driver_->WarpPointer({450, 450});
  XSync(display_, False);
  EXPECT_EQ(ReadShownCursor(display_).hotX, art->hotX);
}

// A window manager's part, played by the test on a connection of its own: iconify
// requests from the driver, and state changes made by the user.
TEST_F(X11DriverOnXvfb, IconifyAndCloseTalkToTheWindowManager) {
  HWND window = Handle(0x600);
  driver_->Show(window, {10, 10, 110, 110}, {});
  XSync(display_, False);
  Window xid = driver_->XWindowOf(window);
  Display* manager = XOpenDisplay(SharedXvfb().Name().c_str());
  ASSERT_NE(manager, nullptr);
  XSelectInput(manager, DefaultRootWindow(manager), SubstructureRedirectMask);
  XSync(manager, False);

  driver_->Iconify(window);
  XEvent request{};
  bool asked = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!asked && std::chrono::steady_clock::now() < deadline) {
    if (!XPending(manager)) {
      usleep(10000);
      continue;
    }
    XNextEvent(manager, &request);
    asked = request.type == ClientMessage && request.xclient.window == xid &&
            request.xclient.message_type == XInternAtom(manager, "WM_CHANGE_STATE", False) &&
            request.xclient.data.l[0] == IconicState;
  }
  EXPECT_TRUE(asked);

  // The manager records the states; the driver reports only changes it did not ask for.
  Atom wmState = XInternAtom(manager, "WM_STATE", False);
  auto setState = [&](long state) {
    long value[2] = {state, 0};
    XChangeProperty(manager, xid, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(value), 2);
    XSync(manager, False);
  };
  using E = Recorder::Event;
  auto iconicReports = [&] {
    std::vector<bool> reports;
    for (const E& e : recorder_.events) {
      if (e.kind != E::kIconic) continue;
      EXPECT_EQ(e.window, window);
      reports.push_back(e.on);
    }
    return reports;
  };
  // The driver reads the state when it handles the notice, so each change is pumped.
  setState(IconicState);  // what the driver asked for: nothing to report
  setState(NormalState);  // restored by the user
  EXPECT_TRUE(PumpUntil([&] { return !iconicReports().empty(); }));
  setState(IconicState);  // and iconified again
  EXPECT_TRUE(PumpUntil([&] { return iconicReports().size() > 1; }));
  EXPECT_EQ(iconicReports(), (std::vector<bool>{false, true}));
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = xid;
  close.xclient.message_type = XInternAtom(manager, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(manager, "WM_DELETE_WINDOW", False));
  XSendEvent(manager, xid, False, NoEventMask, &close);
  XSync(manager, False);
  ASSERT_TRUE(PumpUntil(
      [&] { return !recorder_.events.empty() && recorder_.events.back().kind == E::kClose; }));
  EXPECT_EQ(recorder_.events.back().window, window);
  XCloseDisplay(manager);
}

// Runs in a child: starts a server, shows a window, kills the server and keeps using
// the driver. It must end the program (exit code 1), not hang (4).
void OutliveTheServer() {
  PrivateXvfb server;
  if (server.Name().empty()) std::exit(5);
  std::unique_ptr<Driver> driver = MakeX11Driver(server.Name().c_str());
  if (!driver) std::exit(3);
  driver->Show(reinterpret_cast<HWND>(1), {0, 0, 50, 50}, {});
  server.Kill();
  Recorder sink;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd ready{driver->EventDescriptor(), POLLIN, 0};
    poll(&ready, 1, 100);
    if (!driver->Pump(sink)) std::exit(1);
    driver->Present(reinterpret_cast<HWND>(1), {}, {0, 0, 1, 1});
  }
  std::exit(4);  // still running: it hung
}

TEST(X11DriverDeathTest, AServerThatGoesAwayEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(OutliveTheServer(), testing::ExitedWithCode(1), "lost the connection");
}

TEST(X11DriverMakeTest, AnUnopenableDisplayIsNoDriver) {
  EXPECT_EQ(MakeX11Driver(":4093"), nullptr);
}

}  // namespace
}  // namespace linux_display
