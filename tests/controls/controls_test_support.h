#pragma once
// Shared set-up of the controls tests: the runtime, graphics, controls and JPEG modules
// started once per process (one gtest environment) with a stand-in host, and control
// classes that log what they receive. The host window comes from tests/support.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/controls_host.h"
#include "controls/graphic_control.h"
#include "controls/win_control.h"
#include "platform/win32.h"
#include "tests/support/host_window.h"

// Records what the controls ask of the application and screen.
class StandInHost : public ControlsHost {
 public:
  HCURSOR CursorHandleFor(TCursor cursor) override;
  TCursor CursorOverride() override { return cursorOverride; }
  void ForgetControl(TControl* control) override { forgotten.push_back(control); }
  void ReportException(TControl* control, const std::exception_ptr& error) override;

  TCursor cursorOverride = crDefault;
  std::vector<TCursor> cursorsAsked;
  std::vector<TControl*> forgotten;
  std::vector<std::string> reported;
};

StandInHost& TestHost();

// A container whose every message is logged (number, WParam, LParam) before handling.
class TLogWinControl : public TWinControl {
 public:
  explicit TLogWinControl(TComponent* owner);
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void HandleControlMessage(MessageRecord& message) override;
  void PaintOwnSurface(HDC dc) override;

  std::vector<MessageRecord> log;
  int surfacePaints = 0;
};

// A non-windowed control that fills itself with one colour and logs what it receives.
class TSwatch : public TGraphicControl {
 public:
  explicit TSwatch(TComponent* owner);
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void HandleControlMessage(MessageRecord& message) override;

  COLORREF fill = RGB(255, 0, 0);
  int paints = 0;
  std::vector<MessageRecord> log;

 protected:
  void DrawContent() override;
};

// Messages of `log` with numbers in `wanted`, in order.
std::vector<UINT> Filtered(const std::vector<MessageRecord>& log, const std::vector<UINT>& wanted);
