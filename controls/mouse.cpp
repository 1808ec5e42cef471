#include "controls/mouse.h"

namespace {
TOwnedPtr<TMouse> mouse;
}  // namespace

TMouse* Mouse() { return mouse.get(); }
void CreateMouse() { mouse.reset(new TMouse); }
void FreeMouse() { mouse.reset(); }

TMouse::TMouse() {
  wheelPresent_ = GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0;
  UINT lines = 0;
  if (wheelPresent_ && SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) {
    wheelScrollLines_ = lines;
  }
  // Every system this runs on delivers WM_MOUSEWHEEL itself; no registered message needed.
}
