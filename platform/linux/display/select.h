#pragma once
// Which driver CurrentDriver() starts, worked out from the environment's values alone so
// the rules can be checked without starting anything.
#include <string>

namespace linux_display {

struct DriverChoice {
  bool x11 = false;
  int width = 1920;  // the headless screen
  int height = 1080;
  std::string warning;  // a value that was ignored, for standard error; empty if none
  std::string error;    // why no driver can start (the program ends); empty if one can
};

// `display` = DISPLAY, `launcherDisplay` = LAUNCHER_DISPLAY, `screen` = LAUNCHER_SCREEN;
// nullptr when unset.
DriverChoice ChooseDriver(const char* display, const char* launcherDisplay, const char* screen);

}  // namespace linux_display
