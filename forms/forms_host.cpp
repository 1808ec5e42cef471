#include "forms/forms_host.h"

#include "controls/control.h"
#include "forms/application.h"
#include "forms/screen.h"

void FormsControlsHost::CreateProcessObjects() {
  SetScreen(new TScreen(nullptr));
  SetApplication(new TApplication(nullptr));
  Application()->SetShowHint(true);
}

void FormsControlsHost::DestroyProcessObjects() {
  // Each object stays reachable while it is destroyed: forms going with the application
  // still delist themselves from the screen and the application.
  if (TApplication* application = Application()) {
    application->Free();
    SetApplication(nullptr);
  }
  if (TScreen* screen = Screen()) {
    screen->Free();
    SetScreen(nullptr);
  }
}

HCURSOR FormsControlsHost::CursorHandleFor(TCursor cursor) {
  if (TScreen* screen = Screen()) return screen->CursorHandleFor(cursor);
  return ControlsHost::CursorHandleFor(cursor);
}

TCursor FormsControlsHost::CursorOverride() {
  TScreen* screen = Screen();
  return screen ? screen->CursorOverride() : crDefault;
}

void FormsControlsHost::ForgetControl(TControl* control) {
  if (TApplication* application = Application()) application->ForgetControl(control);
}

void FormsControlsHost::ReportException(TControl* control, const std::exception_ptr& error) {
  if (TApplication* application = Application()) application->ReportException(control, error);
}

HWND FormsControlsHost::AppWindow() {
  TApplication* application = Application();
  return application ? application->AppWindow() : nullptr;
}

void FormsControlsHost::BringToFront() {
  if (TApplication* application = Application()) application->BringToFront();
}
