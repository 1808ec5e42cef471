#include "forms/multi_monitor.h"

namespace {

using GetSystemMetricsFn = int(WINAPI*)(int);
using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
using MonitorFromRectFn = HMONITOR(WINAPI*)(LPCRECT, DWORD);
using MonitorFromPointFn = HMONITOR(WINAPI*)(POINT, DWORD);
using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
using EnumDisplayMonitorsFn = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

struct SystemFunctions {
  GetSystemMetricsFn getSystemMetrics = nullptr;
  MonitorFromWindowFn monitorFromWindow = nullptr;
  MonitorFromRectFn monitorFromRect = nullptr;
  MonitorFromPointFn monitorFromPoint = nullptr;
  GetMonitorInfoFn getMonitorInfo = nullptr;
  EnumDisplayMonitorsFn enumDisplayMonitors = nullptr;
};

SystemFunctions functions;
bool haveAll = false;
bool forceSingle = false;

bool UseSystem() { return haveAll && !forceSingle; }

template <class Fn>
Fn Lookup(HMODULE user, const char* name) {
  // The cast through a generic function pointer keeps the compiler's cast warning quiet.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(user, name)));
}

RECT PrimaryScreenRect() {
  return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

bool Intersects(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

bool WantsFallback(DWORD flags) {
  return (flags & (MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST)) != 0;
}

HMONITOR PrimaryIf(bool condition) { return condition ? multimon::SingleMonitorHandle() : nullptr; }

}  // namespace

namespace multimon {

HMONITOR SingleMonitorHandle() {
  // Any value that no system monitor handle takes in a process without the functions.
  return reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x4D4F4E31));
}

int GetSystemMetrics(int index) {
  if (UseSystem()) return functions.getSystemMetrics(index);
  switch (index) {
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
      return 0;
    case SM_CXVIRTUALSCREEN:
      return ::GetSystemMetrics(SM_CXSCREEN);
    case SM_CYVIRTUALSCREEN:
      return ::GetSystemMetrics(SM_CYSCREEN);
    case SM_CMONITORS:
    case SM_SAMEDISPLAYFORMAT:
      return 1;
    default:
      return ::GetSystemMetrics(index);
  }
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
  if (UseSystem()) return functions.monitorFromWindow(window, flags);
  if (WantsFallback(flags)) return SingleMonitorHandle();
  RECT bounds;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (IsIconic(window) && GetWindowPlacement(window, &placement)) {
    bounds = placement.rcNormalPosition;
  } else if (!GetWindowRect(window, &bounds)) {
    return nullptr;
  }
  return PrimaryIf(Intersects(bounds, PrimaryScreenRect()));
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  if (UseSystem()) return functions.monitorFromRect(rect, flags);
  return PrimaryIf(WantsFallback(flags) || (rect && Intersects(*rect, PrimaryScreenRect())));
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  if (UseSystem()) return functions.monitorFromPoint(point, flags);
  RECT screen = PrimaryScreenRect();
  return PrimaryIf(WantsFallback(flags) || PtInRect(&screen, point));
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  if (UseSystem()) return functions.getMonitorInfo(monitor, info);
  if (monitor != SingleMonitorHandle() || !info || info->cbSize < sizeof(MONITORINFO)) {
    return FALSE;
  }
  info->rcMonitor = PrimaryScreenRect();
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &info->rcWork, 0)) {
    info->rcWork = info->rcMonitor;
  }
  info->dwFlags = MONITORINFOF_PRIMARY;
  if (info->cbSize >= sizeof(MONITORINFOEXA)) {
    auto* extended = reinterpret_cast<MONITORINFOEXA*>(info);
    lstrcpynA(extended->szDevice, "DISPLAY", sizeof extended->szDevice);
  }
  return TRUE;
}

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC callback, LPARAM data) {
  if (UseSystem()) return functions.enumDisplayMonitors(dc, clip, callback, data);
  RECT limit = PrimaryScreenRect();
  if (dc) {
    RECT clipBox;
    if (GetClipBox(dc, &clipBox) == ERROR) return FALSE;
    if (!IntersectRect(&limit, &limit, &clipBox)) return TRUE;
  }
  if (clip && !IntersectRect(&limit, &limit, clip)) return TRUE;
  if (callback) callback(SingleMonitorHandle(), dc, &limit, data);
  return TRUE;
}

bool UsesSystemFunctions() { return UseSystem(); }

void ForceSingleMonitor(bool force) { forceSingle = force; }

}  // namespace multimon

void MultiMonitorStartup() {
  HMODULE user = GetModuleHandleA("USER32.DLL");
  functions = SystemFunctions{};
  if (user) {
    functions.getSystemMetrics = Lookup<GetSystemMetricsFn>(user, "GetSystemMetrics");
    functions.monitorFromWindow = Lookup<MonitorFromWindowFn>(user, "MonitorFromWindow");
    functions.monitorFromRect = Lookup<MonitorFromRectFn>(user, "MonitorFromRect");
    functions.monitorFromPoint = Lookup<MonitorFromPointFn>(user, "MonitorFromPoint");
    functions.getMonitorInfo = Lookup<GetMonitorInfoFn>(user, "GetMonitorInfoA");
    functions.enumDisplayMonitors = Lookup<EnumDisplayMonitorsFn>(user, "EnumDisplayMonitors");
  }
  // Half a set would mix the system's monitor handles with ours: all or none.
  haveAll = functions.getSystemMetrics && functions.monitorFromWindow &&
            functions.monitorFromRect && functions.monitorFromPoint && functions.getMonitorInfo &&
            functions.enumDisplayMonitors;
}

void MultiMonitorShutdown() {
  functions = SystemFunctions{};
  haveAll = false;
}
