// The screen DC, device capabilities and system colours.
#include "platform/linux/gdi/screen.h"

#include <mutex>
#include <set>
#include <utility>

#include "platform/linux/gdi/device_context.h"

namespace linux_gdi {

namespace {
WindowDcHooks windowHooks;

// Screen DCs handed out by GetDC(nullptr) and not yet released.
std::set<HDC>& ScreenDCs() {
  static auto* dcs = new std::set<HDC>;
  return *dcs;
}

// The light theme's colours, indexed by COLOR_*.
constexpr COLORREF kSysColors[] = {
    RGB(255, 255, 255), RGB(37, 111, 149),  RGB(50, 150, 250),  RGB(128, 128, 128),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(158, 158, 158), RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(128, 128, 128), RGB(48, 150, 250),  RGB(255, 255, 255), RGB(245, 245, 245),
    RGB(166, 166, 166), RGB(166, 166, 166), RGB(0, 0, 0),       RGB(200, 200, 200),
    RGB(255, 255, 255), RGB(106, 106, 106), RGB(227, 227, 227), RGB(0, 0, 0),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(224, 224, 224), RGB(50, 150, 250),
    RGB(128, 128, 128), RGB(48, 150, 250),  RGB(255, 255, 255)};
constexpr int kSysColorCount = sizeof kSysColors / sizeof kSysColors[0];
}  // namespace

void (*screenSource)() = nullptr;

ScreenInfo& Screen() {
  static ScreenInfo info;
  return info;
}

const ScreenInfo& DescribedScreen() {
  // Taken before the call: whatever the source does runs it only once.
  if (auto describe = std::exchange(screenSource, nullptr)) describe();
  return Screen();
}

void InstallScreenSource(void (*describe)()) { screenSource = describe; }

void InstallWindowDcHooks(const WindowDcHooks& hooks) { windowHooks = hooks; }

}  // namespace linux_gdi

using namespace linux_gdi;

extern "C" {

HDC WINAPI GetDC(HWND hWnd) {
  if (hWnd) {
    if (windowHooks.get) return windowHooks.get(hWnd);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HDC dc = NewDC(OBJ_DC);
  if (dc) ScreenDCs().insert(dc);
  return dc;
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
  if (ScreenDCs().erase(hDC)) return DestroyDC(hDC) ? 1 : 0;
  if (hWnd && windowHooks.release) return windowHooks.release(hWnd, hDC);
  return 0;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return 0;
  const ScreenInfo& screen = DescribedScreen();
  switch (index) {
    case DRIVERVERSION:
      return 0x4000;
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZSIZE:
      return dc->deviceWidth * 254 / (screen.pixelsPerInch * 10);
    case VERTSIZE:
      return dc->deviceHeight * 254 / (screen.pixelsPerInch * 10);
    case HORZRES:
    case DESKTOPHORZRES:
      return dc->deviceWidth;
    case VERTRES:
    case DESKTOPVERTRES:
      return dc->deviceHeight;
    case BITSPIXEL:
      return dc->deviceBitsPerPixel;
    case PLANES:
      return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
      return -1;
    case RASTERCAPS:
      // Also RC_GDI20_OUTPUT (0x10), RC_BIGFONT (0x400), RC_FLOODFILL (0x1000), RC_DEVBITS
      // (0x8000).
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB |
             0x0010 | 0x0400 | 0x1000 | 0x8000;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return screen.pixelsPerInch;
    case SIZEPALETTE:
      return 0;
    case NUMRESERVED:
      return 20;
    case COLORRES:
      return 24;
    default:
      return 0;
  }
}

DWORD WINAPI GetSysColor(int nIndex) {
  return nIndex >= 0 && nIndex < kSysColorCount ? kSysColors[nIndex] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  static HBRUSH brushes[kSysColorCount] = {};
  static std::once_flag once;
  std::call_once(once, [] {
    for (int i = 0; i < kSysColorCount; ++i) {
      auto brush = std::make_unique<BrushObject>();
      brush->logBrush = {BS_SOLID, kSysColors[i], 0};
      brush->stock = true;
      brushes[i] = static_cast<HBRUSH>(AddObject(std::move(brush)));
    }
  });
  return nIndex >= 0 && nIndex < kSysColorCount ? brushes[nIndex] : nullptr;
}

}  // extern "C"
