#pragma once
// One display monitor as the screen object lists it. Its geometry is asked afresh from
// the system (through the multi-monitor wrappers) every time it is read.
#include "platform/win32.h"

class TMonitor {
 public:
  TMonitor(HMONITOR handle, int number) : handle_(handle), number_(number) {}

  HMONITOR Handle() const { return handle_; }
  // Position in the screen's monitor list.
  int Number() const { return number_; }

  int Left() const { return Bounds().left; }
  int Top() const { return Bounds().top; }
  int Width() const;
  int Height() const;
  RECT Bounds() const { return Info().rcMonitor; }
  bool Primary() const { return (Info().dwFlags & MONITORINFOF_PRIMARY) != 0; }

 private:
  // The record of GetMonitorInfoA; all zero when the system does not answer.
  MONITORINFO Info() const;

  HMONITOR handle_;
  int number_;
};
