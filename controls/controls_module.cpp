#include "controls/controls_module.h"

#include <cstdio>

#include "classes/ident_maps.h"
#include "controls/control_types.h"
#include "controls/controls_host.h"
#include "controls/mouse.h"

namespace {
ATOM windowAtom = 0;
ATOM controlAtom = 0;
UINT objectInstanceMessage = 0;
char controlAtomText[32] = {};
bool cursorMapRegistered = false;
}  // namespace

ATOM WindowAtom() { return windowAtom; }
ATOM ControlAtom() { return controlAtom; }
UINT ObjectInstanceMessage() { return objectInstanceMessage; }
const char* ControlAtomText() { return controlAtomText; }

void ControlsModuleStartup() {
  char windowAtomText[32];
  std::snprintf(windowAtomText, sizeof windowAtomText, "Vantor%.8X",
                static_cast<unsigned>(GetCurrentProcessId()));
  windowAtom = GlobalAddAtomA(windowAtomText);
  std::snprintf(controlAtomText, sizeof controlAtomText, "ControlOfs%.8X%.8X",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                static_cast<unsigned>(GetCurrentThreadId()));
  controlAtom = GlobalAddAtomA(controlAtomText);
  objectInstanceMessage = RegisterWindowMessageA(controlAtomText);
  Mouse = new TMouse;
  Host().CreateProcessObjects();
  // The registry keeps every registration for the life of the process: register once.
  if (!cursorMapRegistered) {
    RegisterIdentMap(&kTCursorType, &IdentToCursor, &CursorToIdent);
    cursorMapRegistered = true;
  }
}

void ControlsModuleShutdown() {
  Host().DestroyProcessObjects();
  TObject::FreeObject(Mouse);
  Mouse = nullptr;
  if (controlAtom != 0) GlobalDeleteAtom(controlAtom);
  if (windowAtom != 0) GlobalDeleteAtom(windowAtom);
  controlAtom = 0;
  windowAtom = 0;
}
