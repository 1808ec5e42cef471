// Functions the framework looks up at run time with GetProcAddress. A row
// whose address is nullptr is known by name but not implemented yet, and the
// lookup fails with ERROR_PROC_NOT_FOUND, as it would on a system without it;
// callers then fall back to their single-monitor answers. When the user32
// subset implements one of these, put its address here.
//
// The windowing functions are referred to weakly: a program that links the kernel part
// without the windowing part finds them missing instead of failing to link.
#include "platform/linux/kernel/modules.h"
#include "platform/win32.h"

extern "C" {
int WINAPI GetSystemMetrics(int) __attribute__((weak));
HMONITOR WINAPI MonitorFromWindow(HWND, DWORD) __attribute__((weak));
HMONITOR WINAPI MonitorFromRect(LPCRECT, DWORD) __attribute__((weak));
HMONITOR WINAPI MonitorFromPoint(POINT, DWORD) __attribute__((weak));
BOOL WINAPI GetMonitorInfoA(HMONITOR, LPMONITORINFO) __attribute__((weak));
BOOL WINAPI EnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC, LPARAM) __attribute__((weak));
}

namespace linux_kernel {

const ProcEntry kProcTable[] = {
    {"user32.dll", "GetSystemMetrics",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetSystemMetrics))},
    {"user32.dll", "MonitorFromWindow",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&MonitorFromWindow))},
    {"user32.dll", "MonitorFromRect",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&MonitorFromRect))},
    {"user32.dll", "MonitorFromPoint",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&MonitorFromPoint))},
    {"user32.dll", "GetMonitorInfoA",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetMonitorInfoA))},
    {"user32.dll", "EnumDisplayMonitors",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&EnumDisplayMonitors))},
    {"user32.dll", "AnimateWindow", nullptr},
    {"user32.dll", "SetLayeredWindowAttributes", nullptr},
};
const unsigned kProcTableSize = sizeof(kProcTable) / sizeof(kProcTable[0]);

}  // namespace linux_kernel
