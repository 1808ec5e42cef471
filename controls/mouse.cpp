#include "controls/mouse.h"

TMouse* Mouse = nullptr;

TMouse::TMouse() {
  wheelPresent_ = GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0;
  UINT lines = 0;
  if (wheelPresent_ && SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) {
    wheelScrollLines_ = lines;
  }
  // Every system this runs on delivers WM_MOUSEWHEEL itself; no registered message needed.
}
