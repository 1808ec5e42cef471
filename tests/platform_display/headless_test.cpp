// The headless driver and the choice of driver from the environment.
#include "platform/linux/display/headless.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/display/select.h"
#include "platform/linux/gdi/screen.h"

namespace linux_display {
namespace {

TEST(DriverChoice, FollowsTheEnvironment) {
  struct Case {
    const char* display;
    const char* launcherDisplay;
    const char* screen;
    bool x11;
    int width, height;
    bool warns;
    bool fails;  // no driver: the program says why and ends
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, false, 1920, 1080, false, true},
      {"", nullptr, nullptr, false, 1920, 1080, false, true},
      {nullptr, "", "800x600", false, 1920, 1080, false, true},
      {nullptr, "wayland", nullptr, false, 1920, 1080, true, true},
      {":5", nullptr, nullptr, true, 1920, 1080, false, false},
      {":5", nullptr, "800x600", true, 1920, 1080, false, false},
      {":5", "headless", "800x600", false, 800, 600, false, false},
      {nullptr, "headless", nullptr, false, 1920, 1080, false, false},
      {nullptr, "headless", "1024x768x32", false, 1024, 768, false, false},
      {nullptr, "headless", "640X480", false, 640, 480, false, false},
      {":5", "wayland", nullptr, true, 1920, 1080, true, false},
      {nullptr, "headless", "800", false, 1920, 1080, true, false},
      {nullptr, "headless", "800x", false, 1920, 1080, true, false},
      {nullptr, "headless", "0x600", false, 1920, 1080, true, false},
      {nullptr, "headless", "-5x600", false, 1920, 1080, true, false},
      {nullptr, "headless", "800x600x16", false, 1920, 1080, true, false},
      {nullptr, "headless", "800x600junk", false, 1920, 1080, true, false},
      {nullptr, "headless", "99999999999x600", false, 1920, 1080, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.display ? c.display : "-") + " " +
                 (c.launcherDisplay ? c.launcherDisplay : "-") + " " + (c.screen ? c.screen : "-"));
    DriverChoice choice = ChooseDriver(c.display, c.launcherDisplay, c.screen);
    EXPECT_EQ(choice.x11, c.x11);
    EXPECT_EQ(choice.width, c.width);
    EXPECT_EQ(choice.height, c.height);
    EXPECT_EQ(!choice.warning.empty(), c.warns) << choice.warning;
    EXPECT_EQ(!choice.error.empty(), c.fails) << choice.error;
  }
}

// CurrentDriver() decides once per process: each case runs in a child.
TEST(CurrentDriverDeathTest, StartsTheChosenDriver) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("LAUNCHER_DISPLAY", "headless", 1);
        setenv("LAUNCHER_SCREEN", "800x600", 1);
        Driver& driver = CurrentDriver();
        std::fprintf(stderr, "%s %dx%d screen %dx%d\n", driver.Name(), driver.ScreenWidth(),
                     driver.ScreenHeight(), linux_gdi::Screen().width, linux_gdi::Screen().height);
        std::exit(&driver == &CurrentDriver() ? 0 : 2);
      },
      testing::ExitedWithCode(0), "headless 800x600 screen 800x600");
  EXPECT_EXIT(
      {
        unsetenv("LAUNCHER_DISPLAY");
        // A display number no server listens on: reported, and the program ends.
        setenv("DISPLAY", ":4093", 1);
        CurrentDriver();
        std::exit(0);
      },
      testing::ExitedWithCode(1),
      "^platform_display_tests: cannot open X display \":4093\": .*Xvfb :5 & export "
      "DISPLAY=:5'\n$");
  // No display and no request for the headless driver: one line, never a silent fallback.
  EXPECT_EXIT(
      {
        unsetenv("LAUNCHER_DISPLAY");
        unsetenv("DISPLAY");
        CurrentDriver();
        std::exit(0);
      },
      testing::ExitedWithCode(1),
      "^platform_display_tests: no X display .*DISPLAY is not set.*Xvfb :5 & export "
      "DISPLAY=:5'\n$");
}

TEST(HeadlessDriver, RecordsWhatTheWindowingLayerSays) {
  HeadlessDriver driver(800, 600);
  HWND a = reinterpret_cast<HWND>(0x10), b = reinterpret_cast<HWND>(0x20);
  EXPECT_EQ(driver.EventDescriptor(), -1);
  struct NoEvents : EventSink {
    void PointerMoved(POINT, unsigned) override { ADD_FAILURE(); }
    void ButtonChanged(Button, bool, POINT, unsigned) override { ADD_FAILURE(); }
    void Exposed(HWND, const RECT&) override { ADD_FAILURE(); }
    void CloseRequested(HWND) override { ADD_FAILURE(); }
    void IconifiedByUser(HWND, bool) override { ADD_FAILURE(); }
    void FocusChanged(HWND, bool) override { ADD_FAILURE(); }
    void KeyChanged(unsigned, bool) override { ADD_FAILURE(); }
  } sink;
  EXPECT_TRUE(driver.Pump(sink));

  WindowLook look;
  look.title = "A";
  driver.Show(a, {10, 20, 110, 220}, look);
  driver.Show(b, {0, 0, 5, 5}, {});
  ASSERT_NE(driver.Find(a), nullptr);
  EXPECT_TRUE(driver.Find(a)->visible);
  EXPECT_EQ(driver.Find(a)->screen.right, 110);
  EXPECT_EQ(driver.Find(a)->look.title, "A");
  EXPECT_EQ(driver.TopWindow(), b);
  driver.Raise(a);
  EXPECT_EQ(driver.TopWindow(), a);

  driver.Iconify(a);
  EXPECT_TRUE(driver.Find(a)->iconic);
  driver.Show(a, {30, 40, 130, 240}, look);  // restored at a new place
  EXPECT_FALSE(driver.Find(a)->iconic);
  EXPECT_EQ(driver.Find(a)->screen.left, 30);
  driver.Hide(a);
  EXPECT_FALSE(driver.Find(a)->visible);
  driver.Forget(a);
  EXPECT_EQ(driver.Find(a), nullptr);
  driver.Raise(a);  // forgotten windows are not raised back into existence
  EXPECT_EQ(driver.TopWindow(), nullptr);

  HCURSOR cursor = reinterpret_cast<HCURSOR>(0x30);
  driver.SetCursor(cursor);
  EXPECT_EQ(driver.Cursor(), cursor);

  // The pointer stays on the screen.
  const struct {
    POINT to, at;
  } warps[] = {{{5, 6}, {5, 6}}, {{-3, 900}, {0, 599}}, {{800, -1}, {799, 0}}};
  for (const auto& warp : warps) {
    driver.WarpPointer(warp.to);
    EXPECT_EQ(driver.PointerPosition().x, warp.at.x);
    EXPECT_EQ(driver.PointerPosition().y, warp.at.y);
  }

  testing::internal::CaptureStderr();
  driver.MessageBox("Launcher", "Cannot start");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Launcher: Cannot start\n");
}

}  // namespace
}  // namespace linux_display
