// Mouse routing, capture, leave tracking and activation order, driven through
// platform/testing.h so the same sources run on the real system and natively.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/testing.h"
#include "platform/win32.h"
#include "recorder.h"
#ifndef _WIN32
#include "platform/linux/display/driver.h"
#include "platform/linux/display/headless.h"
#endif

namespace conform {
namespace {

int XOf(LPARAM packed) { return static_cast<int16_t>(LOWORD(packed)); }
int YOf(LPARAM packed) { return static_cast<int16_t>(HIWORD(packed)); }

// A topmost popup at (200, 200) 200 x 150 with two children over its left half: `upper`
// above `lower` at the same place. Watched: `upper` as the subject, `top` as the parent,
// `lower` as the child slot.
struct Scene {
  Recorder rec;
  HWND top, upper, lower;
  HWND transparent = nullptr;  // answers HTTRANSPARENT
  explicit Scene(bool doubleClicks = false) {
    const char* cls = doubleClicks ? kLogClassDoubleClicks : kLogClass;
    top = rec.Make(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, 200, 200, 200, 150, nullptr, cls);
    lower = rec.Make(0, WS_CHILD | WS_VISIBLE, 0, 0, 100, 150, top, cls);
    upper = rec.Make(0, WS_CHILD | WS_VISIBLE, 0, 0, 100, 150, top, cls);
    rec.Watch(upper, 0);
    rec.Watch(top, 1);
    rec.Watch(lower, 2);
    rec.handler = [this](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == WM_NCHITTEST && hwnd == transparent) return HTTRANSPARENT;
      return std::nullopt;
    };
    SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(top);
    platform_testing::MovePointer(POINT{150, 150});
    rec.Clear();
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;
  ~Scene() {
    DestroyWindow(top);
    platform_testing::PumpUntilIdle();
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
    scene.transparent = c.upperTransparent ? scene.upper : nullptr;
    platform_testing::Click(c.at);
    const HWND expected[] = {scene.top, scene.upper, scene.lower};
    const auto downs = scene.rec.Of(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u) << c.name;
    EXPECT_EQ(downs[0].hwnd, expected[c.expected]) << c.name;
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON)) << c.name;
    EXPECT_EQ(XOf(downs[0].lParam), c.client.x) << c.name;
    EXPECT_EQ(YOf(downs[0].lParam), c.client.y) << c.name;
    const auto ups = scene.rec.Of(WM_LBUTTONUP);
    ASSERT_EQ(ups.size(), 1u) << c.name;
    EXPECT_EQ(ups[0].wParam, 0u) << c.name;
    // The cursor was asked for with the hit and the raw message.
    bool asked = false;
    for (const Logged& e : scene.rec.Of(WM_SETCURSOR)) {
      asked |= e.hwnd == expected[c.expected] && LOWORD(e.lParam) == HTCLIENT &&
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
    EXPECT_EQ(scene.rec.Of(WM_LBUTTONDBLCLK).size(), doubleClicks ? 1u : 0u) << doubleClicks;
    EXPECT_EQ(scene.rec.Of(WM_LBUTTONDOWN).size(), doubleClicks ? 1u : 2u) << doubleClicks;
  }
}

TEST(UserInput, CaptureTakesMovesOutsideAndReportsItsLoss) {
  Scene scene;
  EXPECT_EQ(SetCapture(scene.upper), nullptr);
  EXPECT_EQ(GetCapture(), scene.upper);
  platform_testing::MovePointer(POINT{100, 120});
  const auto moves = scene.rec.Of(WM_MOUSEMOVE);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().hwnd, scene.upper);
  EXPECT_EQ(XOf(moves.back().lParam), -100);
  EXPECT_EQ(YOf(moves.back().lParam), -80);
  scene.rec.Clear();
  EXPECT_EQ(SetCapture(scene.lower), scene.upper);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(scene.rec.CheckOnly({WM_CAPTURECHANGED},
                                  {{WM_CAPTURECHANGED, kSent}, {WM_CAPTURECHANGED, kSent | kChild}},
                                  "capture to lower, released"));
}

TEST(UserInput, MouseLeaveOnceWhenThePointerLeaves) {
  Scene scene;
  platform_testing::MovePointer(POINT{350, 300});
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, scene.top, HOVER_DEFAULT};
  ASSERT_TRUE(TrackMouseEvent(&track));
  platform_testing::MovePointer(POINT{360, 310});
  EXPECT_TRUE(scene.rec.Of(WM_MOUSELEAVE).empty());
  platform_testing::MovePointer(POINT{600, 600});
  platform_testing::MovePointer(POINT{610, 610});
  // The reference system notices the leave on a timer: wait for it up to a deadline.
  PumpUntil([&] { return !scene.rec.Of(WM_MOUSELEAVE).empty(); }, 3000);
  const auto leaves = scene.rec.Of(WM_MOUSELEAVE);
  ASSERT_EQ(leaves.size(), 1u);
  EXPECT_EQ(leaves[0].hwnd, scene.top);
}

TEST(UserInput, ActivationAndFocusInOrder) {
  Recorder rec;
  HWND first = rec.Make(0, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  HWND second = rec.Make(0, WS_POPUP | WS_VISIBLE, 60, 0, 50, 50);
  rec.Watch(first, 0);
  rec.Watch(second, 3);
  SetForegroundWindow(first);
  SetFocus(first);
  platform_testing::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);
  rec.Clear();
  EXPECT_EQ(SetActiveWindow(second), first);
  // The focus moves in the second window's default WM_ACTIVATE processing.
  EXPECT_TRUE(rec.CheckOnly({WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS},
                            {{WM_NCACTIVATE},
                             {WM_ACTIVATE},
                             {WM_NCACTIVATE, kSent | kOther},
                             {WM_ACTIVATE, kSent | kOther},
                             {WM_KILLFOCUS, kSent | kDefProc},
                             {WM_SETFOCUS, kSent | kOther | kDefProc}},
                            "activate the second"));
  EXPECT_EQ(GetFocus(), second);
  // Hiding the active window hands activation to the other one.
  rec.Clear();
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
}  // namespace conform
