#pragma once
// The modules the program starts below the forms, in its order: started once for the whole
// controls_tests executable by its environment, and by the controls benchmark for its run.
#include "controls/controls_module.h"
#include "graphics/graphics_module.h"
#include "graphics/jpeg_module.h"
#include "runtime/modules.h"
#include "runtime/startup.h"

inline constexpr ModuleEntry kControlsModules[] = {
    {"runtime", &RuntimeCoreStartup, &RuntimeCoreShutdown},
    {"graphics", &GraphicsModuleStartup, &GraphicsModuleShutdown},
    {"controls", &ControlsModuleStartup, &ControlsModuleShutdown},
    {"jpeg", &JpegModuleStartup, &JpegModuleShutdown},
};
