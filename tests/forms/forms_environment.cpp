// The forms tests run between the module start-ups and shut-downs the program uses, so
// the screen and the application object exist as they do in the launcher.
#include <gtest/gtest.h>

#include <iterator>

#include "forms/forms_module.h"
#include "forms/multi_monitor.h"
#include "graphics/graphics_module.h"
#include "runtime/modules.h"
#include "runtime/startup.h"

namespace {

constexpr ModuleEntry kModules[] = {
    {"runtime", &RuntimeCoreStartup, &RuntimeCoreShutdown},
    {"graphics", &GraphicsModuleStartup, &GraphicsModuleShutdown},
    {"multi-monitor", &MultiMonitorStartup, &MultiMonitorShutdown},
    {"controls", &ControlsWithFormsStartup, &ControlsWithFormsShutdown},
    {"forms", &FormsModuleStartup, &FormsModuleShutdown},
};

class FormsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { RunModuleStartups(kModules); }
  void TearDown() override { RunModuleShutdowns(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FormsEnvironment);

}  // namespace
