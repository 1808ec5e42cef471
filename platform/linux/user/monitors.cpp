// The one monitor: the whole screen, primary, with the screen as its work area.
#include <cstring>

#include "platform/linux/user/system_info.h"

namespace {

// What the reference system hands out for its first monitor.
HMONITOR TheMonitor() { return reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(1)); }

HMONITOR MonitorIf(bool onScreen, DWORD flags) {
  if (onScreen) return TheMonitor();
  // Off the screen the nearest monitor and the primary one are both the only one.
  return (flags & (MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST)) != 0 ? TheMonitor()
                                                                              : nullptr;
}

bool TouchesScreen(const RECT& rect) {
  const RECT screen = linux_user::ScreenRect();
  if (rect.left >= rect.right || rect.top >= rect.bottom) {
    // An empty rectangle is on the monitor that holds its corner.
    const POINT corner{rect.left, rect.top};
    return linux_user::Contains(screen, corner);
  }
  RECT common;
  return linux_user::Intersect(screen, rect, &common);
}

}  // namespace

extern "C" {

HMONITOR WINAPI MonitorFromPoint(POINT pt, DWORD dwFlags) {
  const RECT screen = linux_user::ScreenRect();
  return MonitorIf(linux_user::Contains(screen, pt), dwFlags);
}

HMONITOR WINAPI MonitorFromRect(LPCRECT lprc, DWORD dwFlags) {
  return MonitorIf(lprc != nullptr && TouchesScreen(*lprc), dwFlags);
}

HMONITOR WINAPI MonitorFromWindow(HWND hwnd, DWORD dwFlags) {
  RECT bounds;
  if (hwnd == nullptr || !GetWindowRect(hwnd, &bounds)) return MonitorIf(false, dwFlags);
  return MonitorIf(TouchesScreen(bounds), dwFlags);
}

BOOL WINAPI GetMonitorInfoA(HMONITOR hMonitor, LPMONITORINFO lpmi) {
  if (hMonitor != TheMonitor() || lpmi == nullptr ||
      (lpmi->cbSize != sizeof(MONITORINFO) && lpmi->cbSize != sizeof(MONITORINFOEXA))) {
    return FALSE;
  }
  lpmi->rcMonitor = linux_user::ScreenRect();
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &lpmi->rcWork, 0);
  lpmi->dwFlags = MONITORINFOF_PRIMARY;
  if (lpmi->cbSize == sizeof(MONITORINFOEXA)) {
    auto* extended = reinterpret_cast<MONITORINFOEXA*>(lpmi);
    std::memset(extended->szDevice, 0, sizeof extended->szDevice);
    std::strcpy(extended->szDevice, "\\\\.\\DISPLAY1");
  }
  return TRUE;
}

BOOL WINAPI EnumDisplayMonitors(HDC hdc, LPCRECT lprcClip, MONITORENUMPROC lpfnEnum,
                                LPARAM dwData) {
  RECT area = linux_user::ScreenRect();
  if (hdc != nullptr) {
    // The monitor's part that the DC can draw on, in the DC's coordinates.
    RECT clipBox;
    if (GetClipBox(hdc, &clipBox) == ERROR) return FALSE;
    if (!linux_user::Intersect(area, clipBox, &area)) return TRUE;
  }
  if (lprcClip != nullptr && !linux_user::Intersect(area, *lprcClip, &area)) return TRUE;
  if (lpfnEnum != nullptr) lpfnEnum(TheMonitor(), hdc, &area, dwData);
  return TRUE;
}

}  // extern "C"
