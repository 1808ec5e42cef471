// The multi-monitor wrappers: the system's answers where USER32 has the functions, the
// single-monitor answers otherwise; and the screen's monitor list over them.
#include <gtest/gtest.h>

#include <vector>

#include "forms/application.h"
#include "forms/multi_monitor.h"
#include "forms/screen.h"
#include "runtime/exception.h"

namespace {

class SingleMonitor : public ::testing::Test {
 protected:
  void SetUp() override { multimon::ForceSingleMonitor(true); }
  void TearDown() override { multimon::ForceSingleMonitor(false); }
  const int cx_ = GetSystemMetrics(SM_CXSCREEN);
  const int cy_ = GetSystemMetrics(SM_CYSCREEN);
};

BOOL CALLBACK CountMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM data) {
  auto* seen = reinterpret_cast<std::vector<std::pair<HMONITOR, RECT>>*>(data);
  seen->emplace_back(monitor, *rect);
  return TRUE;
}

TEST_F(SingleMonitor, AnswersAsOneMonitorCoveringThePrimaryScreen) {
  HMONITOR one = multimon::SingleMonitorHandle();
  EXPECT_EQ(multimon::GetSystemMetrics(SM_CMONITORS), 1);
  EXPECT_EQ(multimon::GetSystemMetrics(SM_XVIRTUALSCREEN), 0);
  EXPECT_EQ(multimon::GetSystemMetrics(SM_CXVIRTUALSCREEN), cx_);
  EXPECT_EQ(multimon::GetSystemMetrics(SM_CYVIRTUALSCREEN), cy_);
  EXPECT_EQ(multimon::GetSystemMetrics(SM_CXSCREEN), cx_);

  struct PointCase {
    POINT point;
    DWORD flags;
    HMONITOR expected;
  };
  const PointCase points[] = {
      {{1, 1}, MONITOR_DEFAULTTONULL, one},      {{-5, -5}, MONITOR_DEFAULTTONULL, nullptr},
      {{-5, -5}, MONITOR_DEFAULTTONEAREST, one}, {{cx_, 0}, MONITOR_DEFAULTTONULL, nullptr},
      {{cx_, 0}, MONITOR_DEFAULTTOPRIMARY, one},
  };
  for (const PointCase& c : points) {
    EXPECT_EQ(multimon::MonitorFromPoint(c.point, c.flags), c.expected)
        << c.point.x << "," << c.point.y << " flags " << c.flags;
  }
  RECT outside{-50, -50, -10, -10};
  RECT straddling{-50, -50, 10, 10};
  EXPECT_EQ(multimon::MonitorFromRect(&outside, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(multimon::MonitorFromRect(&straddling, MONITOR_DEFAULTTONULL), one);
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(multimon::MonitorFromWindow(window, MONITOR_DEFAULTTONULL), one);
  SetWindowPos(window, nullptr, -100, -100, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(multimon::MonitorFromWindow(window, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(multimon::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), one);
  DestroyWindow(window);

  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(multimon::GetMonitorInfoA(one, &info));
  EXPECT_EQ(info.rcMonitor.right, cx_);
  EXPECT_EQ(info.rcMonitor.bottom, cy_);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
  EXPECT_FALSE(multimon::GetMonitorInfoA(reinterpret_cast<HMONITOR>(8), &info));
  info.cbSize = 8;
  EXPECT_FALSE(multimon::GetMonitorInfoA(one, &info));

  std::vector<std::pair<HMONITOR, RECT>> seen;
  RECT clip{100, 100, 200, 150};
  ASSERT_TRUE(multimon::EnumDisplayMonitors(nullptr, &clip, &CountMonitor,
                                            reinterpret_cast<LPARAM>(&seen)));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, one);
  EXPECT_TRUE(EqualRect(&seen[0].second, &clip));
  seen.clear();
  multimon::EnumDisplayMonitors(nullptr, &outside, &CountMonitor, reinterpret_cast<LPARAM>(&seen));
  EXPECT_TRUE(seen.empty());
}

TEST(Monitors, SystemFunctionsAreUsedWhereUser32HasThem) {
  ASSERT_TRUE(multimon::UsesSystemFunctions());
  POINT origin{0, 0};
  EXPECT_EQ(multimon::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY),
            ::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY));
  EXPECT_EQ(multimon::GetSystemMetrics(SM_CMONITORS), ::GetSystemMetrics(SM_CMONITORS));
}

TEST(Monitors, ScreenListsTheMonitorsAndFindsThePrimaryOne) {
  TScreen& screen = *Screen();
  ASSERT_GE(screen.CountMonitors(), 1);
  for (int i = 0; i < screen.CountMonitors(); ++i) EXPECT_EQ(screen.MonitorAt(i)->Number(), i);
  EXPECT_THROW(screen.MonitorAt(screen.CountMonitors()), EListError);

  TMonitor* main = screen.MainMonitor();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->Primary());
  EXPECT_EQ(main->Left(), 0);
  EXPECT_EQ(main->Width(), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(main->Height(), GetSystemMetrics(SM_CYSCREEN));
  // The application window sits at the centre of the primary screen.
  EXPECT_EQ(screen.MonitorOfWindow(Application()->AppWindow()), main);
}

}  // namespace
