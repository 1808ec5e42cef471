// CurrentDriver(): the driver chosen from the environment at first use. Built into its own
// target, which links the x11 driver only where that is built.
#include "platform/linux/display/select.h"

#include <errno.h>  // program_invocation_short_name

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/display/driver.h"
#include "platform/linux/gdi/screen.h"

namespace linux_display {

namespace {

// "WIDTHxHEIGHT" or "WIDTHxHEIGHTxDEPTH" (the depth is always 32 here); false for anything
// else, or sizes a surface cannot have.
bool ParseScreen(const char* text, int& width, int& height) {
  char* end = nullptr;
  long w = std::strtol(text, &end, 10);
  if (end == text || (*end != 'x' && *end != 'X')) return false;
  const char* rest = end + 1;
  long h = std::strtol(rest, &end, 10);
  if (end == rest) return false;
  if (*end == 'x' || *end == 'X') {
    rest = end + 1;
    long depth = std::strtol(rest, &end, 10);
    if (end == rest || depth != 32) return false;
  }
  constexpr long kLargest = 16384;
  if (*end != '\0' || w < 1 || h < 1 || w > kLargest || h > kLargest) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

constexpr const char* kStartOne = "start one with 'Xvfb :5 & export DISPLAY=:5'";

// One line on standard error and exit status 1, at once: no exit handlers, since this runs
// while the driver is being made and they could ask for it.
[[noreturn]] void Refuse(const std::string& why) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, why.c_str());
  std::fflush(nullptr);
  std::_Exit(1);
}

}  // namespace

DriverChoice ChooseDriver(const char* display, const char* launcherDisplay, const char* screen) {
  DriverChoice choice;
  const bool headless = launcherDisplay && std::strcmp(launcherDisplay, "headless") == 0;
  if (launcherDisplay && *launcherDisplay && !headless)
    choice.warning = std::string("LAUNCHER_DISPLAY=") + launcherDisplay +
                     " is not a driver (only \"headless\" is); ignored";
  if (headless) {
    if (screen && *screen && !ParseScreen(screen, choice.width, choice.height)) {
      if (!choice.warning.empty()) choice.warning += "; ";
      choice.warning +=
          std::string("LAUNCHER_SCREEN=") + screen + " is not WIDTHxHEIGHT; using 1920x1080";
    }
  } else if (display && *display) {
    choice.x11 = true;
  } else {
    // Never a silent fallback: a window nobody can see would leave the user waiting.
    choice.error = std::string(
                       "no X display to show the window on (DISPLAY is not set): log "
                       "in to a desktop session (or use ssh -X), or ") +
                   kStartOne;
  }
  return choice;
}

Driver& CurrentDriver() {
  static Driver* driver = [] {
    const char* display = std::getenv("DISPLAY");
    DriverChoice choice =
        ChooseDriver(display, std::getenv("LAUNCHER_DISPLAY"), std::getenv("LAUNCHER_SCREEN"));
    if (!choice.warning.empty())
      std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, choice.warning.c_str());
    if (!choice.error.empty()) Refuse(choice.error);
    std::unique_ptr<Driver> made;
    if (choice.x11) {
#ifdef LAUNCHER_DISPLAY_X11
      made = MakeX11Driver(display);
      if (!made)
        Refuse(std::string("cannot open X display \"") + display +
               "\": check DISPLAY (and xhost or XAUTHORITY), or " + kStartOne);
#else
      Refuse(std::string("built without X11, so DISPLAY=") + display +
             " cannot be used; LAUNCHER_DISPLAY=headless runs without a screen");
#endif
    } else {
      made = MakeHeadlessDriver(choice.width, choice.height);
    }
    linux_gdi::ScreenInfo& screen = linux_gdi::Screen();
    screen.width = made->ScreenWidth();
    screen.height = made->ScreenHeight();
    screen.bitsPerPixel = 32;
    // Never destroyed: windows may still be forgotten from static destructors.
    return made.release();
  }();
  return *driver;
}

}  // namespace linux_display
