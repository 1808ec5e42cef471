// Reaches the Win32 subset the way an outside program would: through platform/win32.h,
// found on the include path the `platform` target carries.
#include <cstdio>
#include <cstdlib>

#include "platform/win32.h"

int main() {
  setenv("LAUNCHER_DISPLAY", "headless", 1);
  setenv("LAUNCHER_SCREEN", "640x480", 1);
  int failures = 0;
  if (GetSystemMetrics(SM_CXSCREEN) != 640 || GetSystemMetrics(SM_CYSCREEN) != 480) {
    std::fprintf(stderr, "screen size not taken from LAUNCHER_SCREEN\n");
    ++failures;
  }
  // A bitmap compatible with the screen (a memory DC's own would be monochrome).
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 2, 1, RGB(10, 20, 30));
  if (GetPixel(dc, 2, 1) != RGB(10, 20, 30)) {
    std::fprintf(stderr, "pixel not kept by the memory bitmap\n");
    ++failures;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return failures;
}
