// Natively: a top-level window with an empty rectangle is never handed to the display (the
// application's own window is one; mapped, it would be a dot on the screen that a window
// manager frames). Windows keeps such a window "visible" all the same.
#ifndef _WIN32
#include <gtest/gtest.h>

#include "platform/linux/display/driver.h"
#include "platform/linux/display/headless.h"
#include "platform/win32.h"
#include "tests/platform_user/message_log.h"

namespace {

TEST(UserDisplay, EmptyWindowsAreNotShown) {
  auto* driver = dynamic_cast<linux_display::HeadlessDriver*>(&linux_display::CurrentDriver());
  // Only the headless driver tells what it was asked to show (the X11 run skips this).
  if (!driver) GTEST_SKIP() << "needs LAUNCHER_DISPLAY=headless";
  HWND window = CreateWindowExA(0, user_test::LoggingClass(), "app", WS_POPUP | WS_VISIBLE, 100, 50,
                                0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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

}  // namespace
#endif
