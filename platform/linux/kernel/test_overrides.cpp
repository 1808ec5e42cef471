#include "platform/linux/kernel/test_overrides.h"

// Defined (as true) only in test programs: a weak reference resolves to nothing in the
// shipped program. A constant, so it holds before any static initialiser runs.
extern "C" __attribute__((weak)) const bool launcher_test_overrides;

namespace linux_kernel {

bool TestOverridesEnabled() {
  return &launcher_test_overrides != nullptr && launcher_test_overrides;
}

}  // namespace linux_kernel
