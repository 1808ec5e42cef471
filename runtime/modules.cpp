#include "runtime/modules.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace {
// Start-up and shut-down happen on the main thread only, before and after
// everything else, so this list needs no lock.
std::vector<const ModuleEntry*>& Started() {
  static std::vector<const ModuleEntry*> started;
  return started;
}

bool IsStarted(const ModuleEntry& entry) {
  const auto& started = Started();
  return std::any_of(started.begin(), started.end(), [&](const ModuleEntry* e) {
    return e == &entry ||
           (e->startup == entry.startup && e->shutdown == entry.shutdown && e->startup != nullptr);
  });
}
}  // namespace

void RunModuleStartups(std::span<const ModuleEntry> table) {
  for (const ModuleEntry& entry : table) {
    if (IsStarted(entry)) continue;
    if (entry.startup != nullptr) entry.startup();
    Started().push_back(&entry);
  }
}

void RunModuleShutdowns() {
  auto& started = Started();
  std::exception_ptr firstFailure;
  while (!started.empty()) {
    const ModuleEntry* entry = started.back();
    // Forget it first: a shut-down that throws is not run a second time, and the
    // modules below it are still shut down before the failure is passed on.
    started.pop_back();
    if (entry->shutdown == nullptr) continue;
    try {
      entry->shutdown();
    } catch (...) {
      if (!firstFailure) firstFailure = std::current_exception();
    }
  }
  if (firstFailure) std::rethrow_exception(firstFailure);
}

std::span<const ModuleEntry* const> StartedModules() { return Started(); }
