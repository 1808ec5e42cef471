#pragma once
// Start-up and shut-down of the forms layer's modules.
#include "platform/win32.h"

// The controls module as the program starts it: installs the forms layer's answers to
// the controls (screen cursor table, application bookkeeping, exception reports) and
// then runs the controls' own start-up, which creates the screen and the application
// object. Shut-down runs the controls' shut-down (freeing them) and uninstalls.
void ControlsWithFormsStartup();
void ControlsWithFormsShutdown();

// The forms module: registers "TaskbarCreated", looks up SetLayeredWindowAttributes and
// registers the finder that resolves forms by name for cross-form references.
// Shut-down runs the application's exit step if the application object still exists.
void FormsModuleStartup();
void FormsModuleShutdown();
