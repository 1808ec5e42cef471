// Functions the framework looks up at run time with GetProcAddress. A row
// whose address is nullptr is known by name but not implemented yet, and the
// lookup fails with ERROR_PROC_NOT_FOUND, as it would on a system without it;
// callers then fall back to their single-monitor answers. When the user32
// subset implements one of these, put its address here.
#include "platform/linux/kernel/modules.h"

namespace linux_kernel {

const ProcEntry kProcTable[] = {
    {"user32.dll", "GetSystemMetrics", nullptr},
    {"user32.dll", "MonitorFromWindow", nullptr},
    {"user32.dll", "MonitorFromRect", nullptr},
    {"user32.dll", "MonitorFromPoint", nullptr},
    {"user32.dll", "GetMonitorInfoA", nullptr},
    {"user32.dll", "EnumDisplayMonitors", nullptr},
    {"user32.dll", "AnimateWindow", nullptr},
    {"user32.dll", "SetLayeredWindowAttributes", nullptr},
};
const unsigned kProcTableSize = sizeof(kProcTable) / sizeof(kProcTable[0]);

}  // namespace linux_kernel
