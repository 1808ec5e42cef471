#pragma once
// The little the controls need from the application and the screen object, which live
// in the layer above. That layer derives from ControlsHost and installs its object at
// start-up (InstallControlsHost); tests install a stand-in. With no host installed the
// controls use the neutral answers of the base class below.
#include <exception>

#include "controls/control_types.h"
#include "platform/win32.h"

class TControl;
struct MessageRecord;

class ControlsHost {
 public:
  virtual ~ControlsHost() = default;

  // Module start-up/shut-down: make (and later free) the screen and application objects,
  // after the controls module has its atoms and mouse object and before it is done.
  virtual void CreateProcessObjects() {}
  virtual void DestroyProcessObjects() {}

  // The native cursor for an identifier (the screen's cursor table).
  virtual HCURSOR CursorHandleFor(TCursor /*cursor*/) { return LoadCursorA(nullptr, IDC_ARROW); }
  // The application-wide cursor override; crDefault when none.
  virtual TCursor CursorOverride() { return crDefault; }

  // A control is being destroyed: drop every reference the application and screen hold.
  virtual void ForgetControl(TControl* /*control*/) {}

  // Reports the exception being handled (called inside a catch block) that escaped the
  // handling of a message of `control`. The base swallows it: no exception may cross a
  // native window procedure.
  virtual void ReportException(TControl* /*control*/, const std::exception_ptr& /*error*/) {}

  // A mouse move reached `control` (the application's hint tracking).
  virtual void NoteMouseMove(TControl* /*control*/, const MessageRecord& /*message*/) {}

  // The hidden application window (0 when none) and bringing the program to the front,
  // for a click on a window disabled by a modal one.
  virtual HWND AppWindow() { return nullptr; }
  virtual void BringToFront() {}
};

// Installs `host` (not owned; null goes back to the neutral answers). Returns the
// previous one so a test can put it back.
ControlsHost* InstallControlsHost(ControlsHost* host);
// The installed host, or the neutral one; never null.
ControlsHost& Host();
