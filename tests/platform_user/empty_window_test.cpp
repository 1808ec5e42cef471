// Natively: a top-level window with an empty rectangle is never handed to the display (the
// application's own window is one; mapped, it would be a dot on the screen that a window
// manager frames). Windows keeps such a window "visible" all the same.
#ifndef _WIN32
#include <gtest/gtest.h>

#include "platform/linux/display/driver.h"
#include "platform/linux/display/headless.h"
#include "platform/linux/user/window.h"
#include "platform/win32.h"
#include "recorder.h"

namespace conform {
namespace {

TEST(UserDisplay, EmptyWindowsAreNotShown) {
  auto* driver = dynamic_cast<linux_display::HeadlessDriver*>(&linux_display::CurrentDriver());
  // Only the headless driver tells what it was asked to show (the X11 run skips this).
  if (!driver) GTEST_SKIP() << "needs LAUNCHER_DISPLAY=headless";
  Recorder rec;
  HWND window = rec.Make(0, WS_POPUP | WS_VISIBLE, 100, 50, 0, 0);
  ASSERT_TRUE(window);
  auto shown = [&] {
    const auto* state = driver->Find(window);
    return state && state->visible;
  };
  const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  struct Step {
    const char* name;
    int width, height;
    bool shown;
  } steps[] = {
      {"given a size", 10, 10, true},
      {"no height", 10, 0, false},
      {"no width", 0, 10, false},
      {"a size again", 5, 5, true},
  };
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(shown()) << "created empty";
  for (const Step& step : steps) {
    SetWindowPos(window, nullptr, 0, 0, step.width, step.height, flags);
    EXPECT_TRUE(IsWindowVisible(window)) << step.name;
    EXPECT_EQ(shown(), step.shown) << step.name;
  }
  DestroyWindow(window);
}

// A captioned window without extent has no frame or client pixels: nothing to paint, so
// no WM_NCPAINT/WM_PAINT (the frame's caption text would load fonts for nothing), until it
// is given a size.
TEST(UserDisplay, EmptyCaptionedWindowsGetNoPaint) {
  Recorder rec;
  HWND window = rec.Make(0, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 50, 0, 0);
  ASSERT_TRUE(window);
  rec.Watch(window, 0);
  auto painted = [&](UINT message) {
    Recorder::Pump();
    return !rec.Of(message).empty();
  };
  rec.Clear();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
  EXPECT_FALSE(painted(WM_NCPAINT));
  EXPECT_FALSE(painted(WM_PAINT));
  rec.Clear();
  SetWindowPos(window, nullptr, 0, 0, 60, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
  EXPECT_TRUE(painted(WM_NCPAINT)) << "once it has a size";
  DestroyWindow(window);
}

// A top-level's pixels are made at the first drawing, not for a DC that only measures (a
// form does that while it is read, at sizes it leaves at once); a resize keeps what was
// drawn and the new area starts opaque black.
TEST(UserDisplay, SurfacePixelsAreMadeAtTheFirstDrawingAndKeptOnResize) {
  Recorder rec;
  HWND window = rec.Make(0, WS_POPUP, 0, 0, 20, 10);
  ASSERT_TRUE(window);
  auto made = [&] { return linux_user::Peek(window)->surface->surface.bits != nullptr; };
  HDC dc = GetDC(window);
  SIZE extent{};
  GetTextExtentPoint32A(dc, "0", 1, &extent);
  ReleaseDC(window, dc);
  EXPECT_FALSE(made()) << "measured only";
  SetWindowPos(window, nullptr, 0, 0, 30, 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(made()) << "resized before any drawing";
  ShowWindow(window, SW_SHOWNA);
  dc = GetWindowDC(window);
  RECT all{0, 0, 30, 10};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  ReleaseDC(window, dc);
  DeleteObject(red);
  EXPECT_TRUE(made());
  SetWindowPos(window, nullptr, 0, 0, 40, 12, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const linux_gdi::Surface& surface = linux_user::Peek(window)->surface->surface;
  ASSERT_EQ(surface.width, 40);
  EXPECT_EQ(surface.ReadColor(29, 9), RGB(255, 0, 0)) << "kept";
  EXPECT_EQ(surface.ReadRaw(35, 11), 0xFF000000u) << "new area";
  DestroyWindow(window);
}

}  // namespace
}  // namespace conform
#endif
