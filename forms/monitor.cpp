#include "forms/monitor.h"

#include "forms/multi_monitor.h"

int TMonitor::Width() const {
  RECT bounds = Bounds();
  return bounds.right - bounds.left;
}

int TMonitor::Height() const {
  RECT bounds = Bounds();
  return bounds.bottom - bounds.top;
}

MONITORINFO TMonitor::Info() const {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!multimon::GetMonitorInfoA(handle_, &info)) {
    info = MONITORINFO{};
    info.cbSize = sizeof info;
  }
  return info;
}
