#pragma once
// The forms layer's answers to what the controls ask of the application and the screen.
#include "classes/object.h"
#include "controls/controls_host.h"

class TApplication;
class TScreen;

class FormsControlsHost : public ControlsHost {
 public:
  ~FormsControlsHost() override;

  // Creates the screen, then the application object (with its window), and turns hints
  // on; destroys them in the reverse order.
  void CreateProcessObjects() override;
  void DestroyProcessObjects() override;

  HCURSOR CursorHandleFor(TCursor cursor) override;
  TCursor CursorOverride() override;
  void ForgetControl(TControl* control) override;
  void ReportException(TControl* control, const std::exception_ptr& error) override;
  HWND AppWindow() override;
  void BringToFront() override;

 private:
  TOwnedPtr<TScreen> screen_;
  TOwnedPtr<TApplication> application_;
};
