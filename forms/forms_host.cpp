#include "forms/forms_host.h"

#include "controls/control.h"
#include "forms/application.h"
#include "forms/screen.h"

FormsControlsHost::~FormsControlsHost() = default;

void FormsControlsHost::CreateProcessObjects() {
  screen_.reset(new TScreen(nullptr));
  SetScreen(screen_.get());
  application_.reset(new TApplication(nullptr));
  SetApplication(application_.get());
  Application()->SetShowHint(true);
}

void FormsControlsHost::DestroyProcessObjects() {
  // Each object stays reachable while it is destroyed: forms going with the application
  // still delist themselves from the screen and the application.
  application_.reset();
  SetApplication(nullptr);
  screen_.reset();
  SetScreen(nullptr);
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
