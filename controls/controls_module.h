#pragma once
// Start-up and shut-down of the controls module: the window atoms, the mouse object,
// the cursor identifier map, and (through the installed ControlsHost) the screen and
// application objects.
#include "platform/win32.h"

void ControlsModuleStartup();
void ControlsModuleShutdown();

// The global atoms tying native windows to control objects (0 before start-up).
ATOM WindowAtom();
ATOM ControlAtom();
// The registered message answering the object that owns a window.
UINT ObjectInstanceMessage();
// The text the control atom was made from ("ControlOfs%.8X%.8X").
const char* ControlAtomText();
