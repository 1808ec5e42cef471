// Mouse routing, capture, leave tracking and activation order, driven through
// platform/testing.h so the same sources run on the real system and natively.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"
#ifndef _WIN32
#include "platform/linux/display/driver.h"
#include "platform/linux/display/headless.h"
#endif

namespace {

struct Entry {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Entry> log;
HWND transparentWindow = nullptr;  // answers HTTRANSPARENT

int XOf(LPARAM packed) { return static_cast<int16_t>(LOWORD(packed)); }
int YOf(LPARAM packed) { return static_cast<int16_t>(HIWORD(packed)); }

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  log.push_back(Entry{window, message, wParam, lParam});
  if (message == WM_NCHITTEST && window == transparentWindow) return HTTRANSPARENT;
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* RecordingClass(bool doubleClicks) {
  static const bool registered = [] {
    for (int i = 0; i < 2; ++i) {
      WNDCLASSA cls{};
      cls.style = i == 0 ? 0 : CS_DBLCLKS;
      cls.lpfnWndProc = RecordingProc;
      cls.hInstance = GetModuleHandleA(nullptr);
      cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      cls.lpszClassName = i == 0 ? "InputTestPlain" : "InputTestDouble";
      RegisterClassA(&cls);
    }
    return true;
  }();
  (void)registered;
  return doubleClicks ? "InputTestDouble" : "InputTestPlain";
}

// The messages of `kinds` as "window:message" names in order.
std::string Trace(const std::vector<std::pair<HWND, const char*>>& names,
                  const std::vector<std::pair<UINT, const char*>>& kinds) {
  std::string out;
  for (const Entry& e : log) {
    for (const auto& [message, name] : kinds) {
      if (e.message != message) continue;
      for (const auto& [window, windowName] : names) {
        if (window == e.window) out += std::string(windowName) + ":" + name + " ";
      }
    }
  }
  return out;
}

// A topmost popup at (200, 200) 200 x 150 with two children over its left half: `upper`
// above `lower` at the same place.
struct Scene {
  HWND top, upper, lower;
  explicit Scene(bool doubleClicks = false) {
    top = CreateWindowExA(WS_EX_TOPMOST, RecordingClass(doubleClicks), "", WS_POPUP | WS_VISIBLE,
                          200, 200, 200, 150, nullptr, nullptr, nullptr, nullptr);
    lower = CreateWindowExA(0, RecordingClass(doubleClicks), "", WS_CHILD | WS_VISIBLE, 0, 0, 100,
                            150, top, nullptr, nullptr, nullptr);
    upper = CreateWindowExA(0, RecordingClass(doubleClicks), "", WS_CHILD | WS_VISIBLE, 0, 0, 100,
                            150, top, nullptr, nullptr, nullptr);
    SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(top);
    platform_testing::MovePointer(POINT{150, 150});
    log.clear();
  }
  ~Scene() {
    transparentWindow = nullptr;
    DestroyWindow(top);
    platform_testing::PumpUntilIdle();
  }
  std::vector<Entry> Of(UINT message) const {
    std::vector<Entry> out;
    for (const Entry& e : log)
      if (e.message == message) out.push_back(e);
    return out;
  }
};

TEST(UserInput, ClicksGoToTheWindowUnderThePointerInClientCoordinates) {
  const struct {
    const char* name;
    POINT at;
    bool upperTransparent;
    int expected;  // 0 top, 1 upper, 2 lower
    POINT client;
  } cases[] = {
      {"upper child", {210, 220}, false, 1, {10, 20}},
      {"transparent upper passes to the one below", {210, 220}, true, 2, {10, 20}},
      {"parent beside the children", {350, 300}, false, 0, {150, 100}},
  };
  for (const auto& c : cases) {
    Scene scene;
    transparentWindow = c.upperTransparent ? scene.upper : nullptr;
    platform_testing::Click(c.at);
    const HWND expected[] = {scene.top, scene.upper, scene.lower};
    const auto downs = scene.Of(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u) << c.name;
    EXPECT_EQ(downs[0].window, expected[c.expected]) << c.name;
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON)) << c.name;
    EXPECT_EQ(XOf(downs[0].lParam), c.client.x) << c.name;
    EXPECT_EQ(YOf(downs[0].lParam), c.client.y) << c.name;
    const auto ups = scene.Of(WM_LBUTTONUP);
    ASSERT_EQ(ups.size(), 1u) << c.name;
    EXPECT_EQ(ups[0].wParam, 0u) << c.name;
    // The cursor was asked for with the hit and the raw message.
    bool asked = false;
    for (const Entry& e : scene.Of(WM_SETCURSOR)) {
      asked |= e.window == expected[c.expected] && LOWORD(e.lParam) == HTCLIENT &&
               HIWORD(e.lParam) == WM_LBUTTONDOWN;
    }
    EXPECT_TRUE(asked) << c.name;
  }
}

TEST(UserInput, DoubleClicksOnlyForClassesThatAskForThem) {
  for (bool doubleClicks : {false, true}) {
    Scene scene(doubleClicks);
    platform_testing::Click(POINT{350, 300});
    platform_testing::Click(POINT{350, 300});
    EXPECT_EQ(scene.Of(WM_LBUTTONDBLCLK).size(), doubleClicks ? 1u : 0u) << doubleClicks;
    EXPECT_EQ(scene.Of(WM_LBUTTONDOWN).size(), doubleClicks ? 1u : 2u) << doubleClicks;
  }
}

TEST(UserInput, CaptureTakesMovesOutsideAndReportsItsLoss) {
  Scene scene;
  EXPECT_EQ(SetCapture(scene.upper), nullptr);
  EXPECT_EQ(GetCapture(), scene.upper);
  platform_testing::MovePointer(POINT{100, 120});
  const auto moves = scene.Of(WM_MOUSEMOVE);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().window, scene.upper);
  EXPECT_EQ(XOf(moves.back().lParam), -100);
  EXPECT_EQ(YOf(moves.back().lParam), -80);
  log.clear();
  EXPECT_EQ(SetCapture(scene.lower), scene.upper);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Trace({{scene.upper, "upper"}, {scene.lower, "lower"}},
                  {{WM_CAPTURECHANGED, "capturechanged"}}),
            "upper:capturechanged lower:capturechanged ");
}

TEST(UserInput, MouseLeaveOnceWhenThePointerLeaves) {
  Scene scene;
  platform_testing::MovePointer(POINT{350, 300});
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, scene.top, HOVER_DEFAULT};
  ASSERT_TRUE(TrackMouseEvent(&track));
  platform_testing::MovePointer(POINT{360, 310});
  EXPECT_TRUE(scene.Of(WM_MOUSELEAVE).empty());
  platform_testing::MovePointer(POINT{600, 600});
  platform_testing::MovePointer(POINT{610, 610});
  // The reference system notices the leave on a timer: wait for it up to a deadline.
  for (const DWORD deadline = GetTickCount() + 3000;
       scene.Of(WM_MOUSELEAVE).empty() && static_cast<LONG>(deadline - GetTickCount()) > 0;) {
#ifdef _WIN32
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
#endif
    platform_testing::PumpUntilIdle();
  }
  const auto leaves = scene.Of(WM_MOUSELEAVE);
  ASSERT_EQ(leaves.size(), 1u);
  EXPECT_EQ(leaves[0].window, scene.top);
}

TEST(UserInput, ActivationAndFocusInOrder) {
  HWND first = CreateWindowExA(0, RecordingClass(false), "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  HWND second = CreateWindowExA(0, RecordingClass(false), "", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(first);
  SetFocus(first);
  platform_testing::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);
  log.clear();
  EXPECT_EQ(SetActiveWindow(second), first);
  EXPECT_EQ(Trace({{first, "1"}, {second, "2"}}, {{WM_NCACTIVATE, "ncactivate"},
                                                  {WM_ACTIVATE, "activate"},
                                                  {WM_KILLFOCUS, "killfocus"},
                                                  {WM_SETFOCUS, "setfocus"}}),
            "1:ncactivate 1:activate 2:ncactivate 2:activate 1:killfocus 2:setfocus ");
  EXPECT_EQ(GetFocus(), second);
  // Hiding the active window hands activation to the other one.
  log.clear();
  ShowWindow(second, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);
  DestroyWindow(first);
  DestroyWindow(second);
  platform_testing::PumpUntilIdle();
}

TEST(UserInput, WindowPixelsShowTheBackground) {
  Scene scene;
  platform_testing::PumpUntilIdle();
  const platform_testing::Pixels pixels = platform_testing::ReadWindowPixels(scene.top);
  ASSERT_EQ(pixels.width, 200);
  ASSERT_EQ(pixels.height, 150);
  EXPECT_EQ(pixels.At(150, 75), RGB(255, 255, 255));
}

#ifndef _WIN32
TEST(UserInput, MessageBoxAnswersWithTheDefaultButton) {
  // The X11 driver's box waits for the user (tests/platform_display dismisses it there).
  if (!dynamic_cast<linux_display::HeadlessDriver*>(&linux_display::CurrentDriver()))
    GTEST_SKIP() << "needs the headless driver, whose box answers at once";
  const struct {
    UINT flags;
    int answer;
  } rows[] = {{MB_OK | MB_ICONSTOP, IDOK},
              {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
              {MB_YESNO, IDYES},
              {MB_YESNO | MB_DEFBUTTON2, IDNO},
              {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}};
  for (const auto& row : rows) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", row.flags), row.answer) << row.flags;
  }
}
#endif

}  // namespace
