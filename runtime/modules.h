#pragma once
// Ordered start-up and shut-down of the program's modules. The program keeps one
// table in the required order; start-ups run front to back, shut-downs back to front,
// each routine at most once.
#include <span>

struct ModuleEntry {
  const char* name;
  void (*startup)();   // may be null
  void (*shutdown)();  // may be null
};

// Runs the start-up of every entry not started yet, in table order. If one throws,
// the exception propagates; the modules started before it stay recorded, so
// RunModuleShutdowns still finishes them.
void RunModuleStartups(std::span<const ModuleEntry> table);

// Runs the shut-downs of the started modules, most recently started first, and
// forgets them; a second call does nothing. If shut-downs throw, the rest still run
// and the first exception is rethrown at the end.
void RunModuleShutdowns();

// The modules started and not yet shut down, in start-up order.
std::span<const ModuleEntry* const> StartedModules();
