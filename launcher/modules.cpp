#include "launcher/modules.h"

#include "forms/forms_module.h"
#include "forms/multi_monitor.h"
#include "graphics/graphics_module.h"
#include "graphics/jpeg_module.h"
#include "runtime/startup.h"

namespace {
// Modules without start-up work keep their place so the order reads as it runs.
constexpr ModuleEntry kModules[] = {
    {"runtime core", &RuntimeCoreStartup, &RuntimeCoreShutdown},
    {"runtime utilities", nullptr, nullptr},
    {"component core", nullptr, nullptr},
    {"graphics", &GraphicsModuleStartup, &GraphicsModuleShutdown},
    {"multi-monitor", &MultiMonitorStartup, &MultiMonitorShutdown},
    {"controls", &ControlsWithFormsStartup, &ControlsWithFormsShutdown},
    {"standard controls", nullptr, nullptr},
    {"forms", &FormsModuleStartup, &FormsModuleShutdown},
    {"jpeg", &JpegModuleStartup, &JpegModuleShutdown},
    {"launcher", nullptr, nullptr},
};
}  // namespace

std::span<const ModuleEntry> LauncherModules() { return kModules; }
