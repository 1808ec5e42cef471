#pragma once
// Multi-monitor functions taken from USER32 at start-up. Where the system lacks them,
// the wrappers answer as for a single monitor covering the primary screen, so the
// screen and form code can always call them.
#include "platform/win32.h"

namespace multimon {

int GetSystemMetrics(int index);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);
BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC callback, LPARAM data);

// The handle the single-monitor answers give for the primary screen.
HMONITOR SingleMonitorHandle();

// True when the system's functions are used.
bool UsesSystemFunctions();
// For tests: answer as for a single monitor even where the system has the functions.
void ForceSingleMonitor(bool force);

}  // namespace multimon

// Module start-up: looks the functions up in "USER32.DLL". Shut-down forgets them.
void MultiMonitorStartup();
void MultiMonitorShutdown();
