// Metrics, parameters, the monitor and the system menu: the answers the framework reads,
// as the reference system gives them for one 96-dpi screen.
#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

const char* PlainClass() {
  static const char* name = [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "UserInfoPlain";
    RegisterClassA(&cls);
    return "UserInfoPlain";
  }();
  return name;
}

TEST(UserSystemInfo, ClassicMetrics) {
  const struct {
    int index;
    int value;
  } rows[] = {
      {SM_CYCAPTION, 19},     {SM_CXBORDER, 1},          {SM_CYBORDER, 1},
      {SM_CXDLGFRAME, 3},     {SM_CXFRAME, 4},           {SM_CXEDGE, 2},
      {SM_CXICON, 32},        {SM_CXCURSOR, 32},         {SM_CXSMICON, 16},
      {SM_CYSMCAPTION, 16},   {SM_CXDOUBLECLK, 4},       {SM_CYDOUBLECLK, 4},
      {SM_CMONITORS, 1},      {SM_MOUSEWHEELPRESENT, 1}, {SM_SAMEDISPLAYFORMAT, 1},
      {SM_XVIRTUALSCREEN, 0}, {SM_YVIRTUALSCREEN, 0},    {SM_CXVSCROLL, 17},
  };
  for (const auto& row : rows) EXPECT_EQ(GetSystemMetrics(row.index), row.value) << row.index;
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(GetDoubleClickTime(), 500u);
}

TEST(UserSystemInfo, ParametersCheckTheirSizes) {
  NONCLIENTMETRICSA metrics{};
  const struct {
    UINT size;
    BOOL ok;
  } sizes[] = {{340, TRUE}, {sizeof(NONCLIENTMETRICSA), TRUE}, {100, FALSE}, {0, FALSE}};
  for (const auto& row : sizes) {
    metrics = NONCLIENTMETRICSA{};
    metrics.cbSize = row.size;
    EXPECT_EQ(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0) != 0, row.ok)
        << row.size;
  }
  metrics.cbSize = 340;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0));
  EXPECT_STREQ(metrics.lfCaptionFont.lfFaceName, "Tahoma");
  EXPECT_EQ(metrics.lfCaptionFont.lfWeight, FW_BOLD);
  EXPECT_EQ(metrics.lfStatusFont.lfHeight, -11);
  EXPECT_EQ(metrics.lfMenuFont.lfWeight, FW_NORMAL);
  EXPECT_EQ(metrics.iCaptionHeight, 18);

  LOGFONTA icon{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof icon, &icon, 0));
  EXPECT_STREQ(icon.lfFaceName, "Tahoma");

  // The animation setting is read and written with its size checked (the reference keeps
  // no changed value, so only the calls are compared).
  ANIMATIONINFO animation{sizeof animation, 0};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0));
  const int original = animation.iMinAnimate;
  animation.iMinAnimate = !original;
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0));
  ANIMATIONINFO now{sizeof now, 0};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof now, &now, 0));
  animation.iMinAnimate = original;
  SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
  now.cbSize = 3;
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETANIMATION, sizeof now, &now, 0));

  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_GE(work.left, 0);
  EXPECT_LE(work.right, GetSystemMetrics(SM_CXSCREEN));
}

BOOL CALLBACK CountMonitor(HMONITOR, HDC, LPRECT, LPARAM data) {
  ++*reinterpret_cast<int*>(data);
  return TRUE;
}

TEST(UserSystemInfo, OneMonitor) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(primary, nullptr);
  const struct {
    POINT point;
    DWORD flags;
    bool found;
  } points[] = {
      {{5, 5}, MONITOR_DEFAULTTONULL, true},      {{cx - 1, cy - 1}, MONITOR_DEFAULTTONULL, true},
      {{cx, 5}, MONITOR_DEFAULTTONULL, false},    {{-5, -5}, MONITOR_DEFAULTTONULL, false},
      {{-5, -5}, MONITOR_DEFAULTTOPRIMARY, true}, {{cx + 50, 5}, MONITOR_DEFAULTTONEAREST, true},
  };
  for (const auto& row : points) {
    EXPECT_EQ(MonitorFromPoint(row.point, row.flags), row.found ? primary : nullptr)
        << row.point.x << "," << row.point.y;
  }
  const RECT across{-50, -50, 10, 10}, outside{cx + 10, 0, cx + 20, 10};
  EXPECT_EQ(MonitorFromRect(&across, MONITOR_DEFAULTTONULL), primary);
  EXPECT_EQ(MonitorFromRect(&outside, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromWindow(nullptr, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), primary);

  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoA(primary, &info));
  EXPECT_EQ(info.rcMonitor.right, cx);
  EXPECT_EQ(info.rcMonitor.bottom, cy);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
  EXPECT_NE(info.szDevice[0], '\0');
  info.cbSize = 10;
  EXPECT_FALSE(GetMonitorInfoA(primary, &info));

  int seen = 0;
  EXPECT_TRUE(EnumDisplayMonitors(nullptr, nullptr, CountMonitor, reinterpret_cast<LPARAM>(&seen)));
  EXPECT_TRUE(
      EnumDisplayMonitors(nullptr, &outside, CountMonitor, reinterpret_cast<LPARAM>(&seen)));
  EXPECT_EQ(seen, 1);
}

TEST(UserSystemInfo, SystemMenuKeepsRemovalsUntilReverted) {
  HWND framed = CreateWindowExA(0, PlainClass(), "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  HWND bare = CreateWindowExA(0, PlainClass(), "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(framed, nullptr);
  EXPECT_EQ(GetSystemMenu(bare, FALSE), nullptr);
  HMENU menu = GetSystemMenu(framed, FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetSystemMenu(framed, FALSE), menu);
  for (UINT command : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE}) {
    EXPECT_NE(GetMenuState(menu, command, MF_BYCOMMAND), static_cast<UINT>(-1)) << command;
  }
  EXPECT_TRUE(DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND));
  EXPECT_FALSE(DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), 0u);
  EXPECT_EQ(GetSystemMenu(framed, TRUE), nullptr);
  HMENU fresh = GetSystemMenu(framed, FALSE);
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(GetMenuState(fresh, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  DestroyWindow(framed);
  DestroyWindow(bare);
}

}  // namespace
