#pragma once
// The launcher's module start-up table: every module the program links, in the order
// their start-ups must run (shut-downs run it backwards).
#include <span>

#include "runtime/modules.h"

std::span<const ModuleEntry> LauncherModules();
