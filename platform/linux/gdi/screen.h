#pragma once
// The display as GDI sees it: size, depth and resolution reported for screen and memory
// DCs, and how window DCs are obtained once the windowing layer exists.
#include "platform/win32.h"

namespace linux_gdi {

struct ScreenInfo {
  int width = 1920;
  int height = 1080;
  int bitsPerPixel = 32;
  int pixelsPerInch = 96;
};

// The current display description, as the display driver fills it in at start-up.
ScreenInfo& Screen();
// The description for its readers (device contexts and their capabilities): the installed
// source runs first, once, so the first reader of the screen's size or resolution (a
// font's point size, long before any window) sees the display's and not the defaults.
const ScreenInfo& DescribedScreen();
void InstallScreenSource(void (*describe)());

// Creates a DC of a kind (OBJ_DC or OBJ_MEMDC) with default state, and destroys one.
HDC NewDC(DWORD type);
bool DestroyDC(HDC dc);

// Window DCs come from the windowing layer: it installs these at start-up. Without
// them GetDC(window) fails and only the screen DC exists.
struct WindowDcHooks {
  HDC (*get)(HWND window) = nullptr;
  int (*release)(HWND window, HDC dc) = nullptr;
};
void InstallWindowDcHooks(const WindowDcHooks& hooks);

}  // namespace linux_gdi
