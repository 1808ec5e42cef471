// Windows made through the Win32 API, looked at from a second X connection: what the X11
// driver shows must match what the windowing layer reports, and real X input (xdotool)
// must come back as the layer's messages. Run on a private Xvfb (tests/with_private_xvfb.sh).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/display/driver.h"
#include "platform/win32.h"
// Xlib's macros (None, Bool, Status...) last, after the headers they would break.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include "platform/linux/display/x11/x11_driver.h"

namespace {

struct Logged {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Logged> logged;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
    logged.push_back({window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

// Arrow-cursor windows, and children with the executable's pointing hand (resource 32761).
const char* const kPlainClass = "X11Plain";
const char* const kHandClass = "X11Hand";

class X11Windows : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = LoggingProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.lpszClassName = kPlainClass;
    RegisterClassA(&cls);
    cls.hCursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32761));
    cls.lpszClassName = kHandClass;
    RegisterClassA(&cls);
  }

  void SetUp() override {
    driver_ = dynamic_cast<linux_display::X11Driver*>(&linux_display::CurrentDriver());
    if (!driver_) GTEST_SKIP() << "needs the X11 driver (run through tests/with_private_xvfb.sh)";
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    logged.clear();
  }

  void TearDown() override {
    for (HWND window : made_) DestroyWindow(window);
    if (display_) XCloseDisplay(display_);
  }

  HWND Make(DWORD style, RECT rect, HWND parent = nullptr, const char* cls = kPlainClass) {
    HWND window = CreateWindowExA(0, cls, "x11 test", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!parent) made_.push_back(window);
    return window;
  }

  // Handles messages until `done` holds, waking at least every 20 ms to look again (the X
  // side changes without telling this thread); false after five seconds.
  static bool PumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    const UINT_PTR tick = SetTimer(nullptr, 0, 20, nullptr);
    bool met = false;
    for (;;) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if ((met = done()) || GetTickCount() - start > 5000) break;
      WaitMessage();
    }
    KillTimer(nullptr, tick);
    return met;
  }

  // The X window's rectangle on the root, as the server has it now.
  RECT XRect(HWND window) {
    XSync(display_, False);
    Window xid = driver_->XWindowOf(window), child;
    XWindowAttributes attributes;
    int x = 0, y = 0;
    if (!xid || !XGetWindowAttributes(display_, xid, &attributes) ||
        !XTranslateCoordinates(display_, xid, DefaultRootWindow(display_), 0, 0, &x, &y, &child))
      return {};
    return {x, y, x + attributes.width, y + attributes.height};
  }

  // Whether the window asks for no decorations through the Motif hint.
  bool Undecorated(HWND window) {
    XSync(display_, False);
    Atom hints = XInternAtom(display_, "_MOTIF_WM_HINTS", False), type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    bool none = false;
    if (XGetWindowProperty(display_, driver_->XWindowOf(window), hints, 0, 5, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        data && format == 32 && count >= 3) {
      const long* values = reinterpret_cast<const long*>(data);
      none = (values[0] & 2) && values[2] == 0;  // decorations given, and none
    }
    if (data) XFree(data);
    return none;
  }

  // The pointer's image: "hotspot X Y size W H", then a row per line ('.' clear, '#' dark,
  // 'o' light), as resources/cursors/*.cur.txt draw it.
  std::string ShownCursor() {
    XSync(display_, False);
    XFixesCursorImage* image = XFixesGetCursorImage(display_);
    if (!image) return {};
    std::string text = "hotspot " + std::to_string(image->xhot) + " " +
                       std::to_string(image->yhot) + " size " + std::to_string(image->width) + " " +
                       std::to_string(image->height) + "\n";
    for (int y = 0; y < image->height; ++y) {
      for (int x = 0; x < image->width; ++x) {
        unsigned long argb = image->pixels[y * image->width + x];
        text += (argb >> 24) < 0x80 ? '.' : ((argb >> 8) & 0xFF) < 0x80 ? '#' : 'o';
      }
      text += '\n';
    }
    XFree(image);
    return text;
  }

  static bool Xdotool(const std::string& arguments) {
    return std::system(("xdotool " + arguments).c_str()) == 0;
  }

  linux_display::X11Driver* driver_ = nullptr;
  Display* display_ = nullptr;
  std::vector<HWND> made_;
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// The drawing a cursor was made from, in ShownCursor's form.
std::string CursorArt(const char* name) {
  const char* art = std::getenv("LAUNCHER_ART");
  std::ifstream file(std::string(art ? art : "resources/cursors") + "/" + name);
  std::string line, text;
  while (std::getline(file, line)) {
    int width, height, x, y;
    if (std::sscanf(line.c_str(), "image %d %d hotspot %d %d", &width, &height, &x, &y) == 4)
      text = "hotspot " + std::to_string(x) + " " + std::to_string(y) + " size " +
             std::to_string(width) + " " + std::to_string(height) + "\n";
    else if (!text.empty())
      text += line + "\n";
  }
  return text;
}

TEST_F(X11Windows, TheXWindowCoversTheWindowRect) {
  // Without a window manager the X window is exactly our window rect, frame included
  // (decorated windows draw their own frame).
  const struct {
    const char* name;
    DWORD style;
    RECT rect, movedTo;
  } rows[] = {
      {"bare popup", WS_POPUP, {40, 30, 240, 150}, {300, 200, 420, 260}},
      {"bordered popup", WS_POPUP | WS_BORDER, {0, 0, 64, 48}, {10, 700, 1000, 1000}},
      {"captioned", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, {500, 90, 800, 300}, {5, 6, 305, 406}},
  };
  for (const auto& row : rows) {
    HWND window = Make(row.style | WS_VISIBLE, row.rect);
    for (const RECT* wanted : {&row.rect, &row.movedTo}) {
      if (wanted == &row.movedTo)
        SetWindowPos(window, nullptr, wanted->left, wanted->top, wanted->right - wanted->left,
                     wanted->bottom - wanted->top, SWP_NOZORDER | SWP_NOACTIVATE);
      RECT rect;
      GetWindowRect(window, &rect);
      EXPECT_TRUE(SameRect(rect, *wanted)) << row.name << " " << Describe(rect);
      EXPECT_TRUE(PumpUntil([&] { return SameRect(XRect(window), rect); }))
          << row.name << ": X " << Describe(XRect(window)) << ", window rect " << Describe(rect);
    }
  }
}

TEST_F(X11Windows, OnlyBarePopupsAskForNoDecorations) {
  const struct {
    const char* name;
    DWORD style;
    bool undecorated;
  } rows[] = {
      {"bare popup", WS_POPUP, true},
      {"bordered popup", WS_POPUP | WS_BORDER, true},
      {"dialog-framed popup", WS_POPUP | WS_DLGFRAME, true},
      {"captioned popup", WS_POPUP | WS_CAPTION, false},
      {"sizeable popup", WS_POPUP | WS_THICKFRAME, false},
      {"overlapped", WS_OVERLAPPEDWINDOW, false},
  };
  for (const auto& row : rows) {
    HWND window = Make(row.style | WS_VISIBLE, {100, 100, 300, 250});
    PumpUntil([] { return true; });
    EXPECT_EQ(Undecorated(window), row.undecorated) << row.name;
  }
  // A caption taken away (or given) later changes the hint with the frame.
  HWND window = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {100, 100, 300, 250});
  const UINT frame = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowLongPtrA(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
  SetWindowPos(window, nullptr, 0, 0, 0, 0, frame);
  EXPECT_TRUE(PumpUntil([&] { return Undecorated(window); })) << "caption removed";
  SetWindowLongPtrA(window, GWL_STYLE, WS_POPUP | WS_CAPTION | WS_VISIBLE);
  SetWindowPos(window, nullptr, 0, 0, 0, 0, frame);
  EXPECT_TRUE(PumpUntil([&] { return !Undecorated(window); })) << "caption given";
}

TEST_F(X11Windows, ThePointerShowsTheClassCursorOfTheWindowUnderIt) {
  const std::string hand = CursorArt("hand_point.cur.txt");
  ASSERT_FALSE(hand.empty()) << "hand_point.cur.txt not found (LAUNCHER_ART)";
  HWND parent = Make(WS_POPUP | WS_VISIBLE, {200, 150, 500, 350});
  Make(WS_CHILD | WS_VISIBLE, {50, 40, 150, 100}, parent, kHandClass);
  PumpUntil([] { return true; });
  // Screen positions over the child (its client starts at 250,190), then the parent, then
  // the child again: the shape follows both ways.
  const POINT rows[] = {{260, 200}, {349, 249}, {220, 160}, {300, 220}, {350, 249}, {480, 330}};
  for (const auto& row : rows) {
    const bool overChild = row.x >= 250 && row.x < 350 && row.y >= 190 && row.y < 250;
    ASSERT_TRUE(Xdotool("mousemove --sync " + std::to_string(row.x) + " " + std::to_string(row.y)));
    EXPECT_TRUE(PumpUntil([&] { return (ShownCursor() == hand) == overChild; }))
        << row.x << "," << row.y << (overChild ? " shows " : " does not show ")
        << "the hand; shown:\n"
        << ShownCursor().substr(0, ShownCursor().find('\n'));
  }
}

TEST_F(X11Windows, AnXClickArrivesAsButtonMessagesInClientCoordinates) {
  HWND popup = Make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300});
  HWND child = Make(WS_CHILD | WS_VISIBLE, {150, 20, 290, 180}, popup);
  HWND captioned = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, {600, 100, 900, 400});
  PumpUntil([] { return true; });
  const struct {
    const char* name;
    HWND window;
    POINT client;
  } rows[] = {
      {"popup origin", popup, {0, 0}},
      {"popup inside", popup, {37, 151}},
      {"child", child, {12, 34}},
      {"child corner", child, {139, 159}},
      {"captioned client", captioned, {5, 7}},
      {"captioned again", captioned, {200, 150}},
  };
  for (const auto& row : rows) {
    POINT screen = row.client;
    ClientToScreen(row.window, &screen);
    logged.clear();
    ASSERT_TRUE(Xdotool("mousemove --sync " + std::to_string(screen.x) + " " +
                        std::to_string(screen.y) + " click 1"));
    ASSERT_TRUE(PumpUntil([] { return logged.size() >= 2; }))
        << row.name << ": " << logged.size() << " button messages";
    const LPARAM at = MAKELPARAM(row.client.x, row.client.y);
    ASSERT_EQ(logged.size(), 2u) << row.name;
    EXPECT_EQ(logged[0].window, row.window) << row.name;
    EXPECT_EQ(logged[0].message, static_cast<UINT>(WM_LBUTTONDOWN)) << row.name;
    EXPECT_EQ(logged[0].wParam, static_cast<WPARAM>(MK_LBUTTON)) << row.name;
    EXPECT_EQ(logged[0].lParam, at) << row.name;
    EXPECT_EQ(logged[1].window, row.window) << row.name;
    EXPECT_EQ(logged[1].message, static_cast<UINT>(WM_LBUTTONUP)) << row.name;
    EXPECT_EQ(logged[1].wParam, 0u) << row.name;
    EXPECT_EQ(logged[1].lParam, at) << row.name;
  }
}

TEST_F(X11Windows, TheXWindowOffersTheIconOfTheWindowOrItsOwner) {
  // Where the icon comes from: the window's WM_SETICON, its class, or its owner's, as the
  // launcher's borderless form takes the application window's.
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  ASSERT_NE(icon, nullptr);
  WNDCLASSA cls = {};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hIcon = icon;
  cls.lpszClassName = "X11Iconic";
  RegisterClassA(&cls);
  HWND owner = Make(WS_OVERLAPPEDWINDOW, {0, 0, 100, 100});
  SendMessageA(owner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  const struct {
    const char* name;
    const char* cls;
    HWND owner;
    bool setIcon;
  } rows[] = {{"WM_SETICON", kPlainClass, nullptr, true},
              {"class icon", "X11Iconic", nullptr, false},
              {"owner's icon", kPlainClass, owner, false},
              {"none", kPlainClass, nullptr, false}};
  for (const auto& row : rows) {
    HWND window = CreateWindowExA(0, row.cls, "icon", WS_POPUP, 10, 10, 60, 60, row.owner, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    made_.push_back(window);
    if (row.setIcon) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    XSync(driver_->XDisplay(), False);  // the driver's requests done before ours look
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display_, driver_->XWindowOf(window),
                       XInternAtom(display_, "_NET_WM_ICON", False), 0, 2, False, XA_CARDINAL,
                       &type, &format, &count, &after, &data);
    // The first image's width and height: the handle's own 32 x 32.
    std::vector<long> head;
    if (data) head.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data) XFree(data);
    EXPECT_EQ(head,
              row.name == std::string("none") ? std::vector<long>{} : (std::vector<long>{32, 32}))
        << row.name;
  }
}

}  // namespace
