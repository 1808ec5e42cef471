#include "forms/forms_module.h"

#include <memory>

#include "classes/metadata.h"
#include "classes/reader_fixups.h"
#include "controls/controls_module.h"
#include "forms/application.h"
#include "forms/form_link.h"
#include "forms/forms_host.h"
#include "forms/screen.h"

namespace {

// Looked up at start-up as the framework does; only translucent forms would call it, and
// none draws here, so nothing outside this file reads it.
using SetLayeredWindowAttributesFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
SetLayeredWindowAttributesFunction layeredWindowAttributes = nullptr;
std::unique_ptr<FormsControlsHost> host;
ControlsHost* previousHost = nullptr;

// Resolves a root component by name among the forms, for references between forms.
TComponent* FindFormByName(std::string_view name) {
  TScreen* screen = Screen();
  if (!screen) return nullptr;
  for (int i = 0; i < screen->CustomFormCount(); ++i) {
    TComponent& form = screen->CustomFormAt(i)->FormComponent();
    if (SameIdent(form.Name(), name)) return &form;
  }
  return nullptr;
}

}  // namespace

void ControlsWithFormsStartup() {
  if (!host) {
    host = std::make_unique<FormsControlsHost>();
    previousHost = InstallControlsHost(host.get());
  }
  ControlsModuleStartup();
}

void ControlsWithFormsShutdown() {
  ControlsModuleShutdown();
  if (host) {
    InstallControlsHost(previousHost);
    previousHost = nullptr;
    host.reset();
  }
}

void FormsModuleStartup() {
  HMODULE user = GetModuleHandleA("User32.dll");
  layeredWindowAttributes =
      user ? reinterpret_cast<SetLayeredWindowAttributesFunction>(
                 reinterpret_cast<void (*)()>(GetProcAddress(user, "SetLayeredWindowAttributes")))
           : nullptr;
  SetTaskbarCreatedMessage(RegisterWindowMessageA("TaskbarCreated"));
  RegisterFindGlobalComponentProc(&FindFormByName);
}

void FormsModuleShutdown() {
  ApplicationExitStep();
  UnregisterFindGlobalComponentProc(&FindFormByName);
  SetTaskbarCreatedMessage(0);
  layeredWindowAttributes = nullptr;
}
