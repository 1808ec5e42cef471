#pragma once
// Device contexts. A DC's attributes are one plain copyable struct (DcState); SaveDC
// pushes a copy, RestoreDC pops back to one. Every drawing primitive starts with the same
// step, BeginDraw: it checks the handle, maps logical coordinates to the target
// surface and works out the pixels it may touch (surface bounds, the visible region of
// whatever the DC shows, the DC's clip region). A memory DC shows its selected bitmap;
// a window DC (made for the windowing layer, see window_dc.h) shows part of a window
// surface at an origin, limited to the window's visible region.
#include <functional>
#include <optional>
#include <vector>

#include "platform/linux/gdi/objects.h"
#include "platform/linux/gdi/region.h"
#include "platform/linux/gdi/surface.h"

namespace linux_gdi {

struct DcState {
  POINT windowOrg{0, 0};
  POINT viewportOrg{0, 0};
  // The clip region in DC device coordinates (before the DC origin); none = everything.
  bool hasClip = false;
  Region clip;
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  POINT brushOrg{0, 0};
  POINT currentPos{0, 0};
};

class DeviceContext : public GdiObject {
 public:
  explicit DeviceContext(DWORD type) : GdiObject(type) {}
  DcState state;
  std::vector<DcState> saved;
  // What the DC shows when no bitmap is selected (window and screen DCs): a surface,
  // where this DC's device (0, 0) lies on it, which surface pixels are visible (drawn),
  // and which may be read: the window's own area, children and siblings over it included,
  // as reads through a window DC are not limited by what painting excludes.
  Surface* attached = nullptr;
  // Makes the attached surface's pixels when it has none yet (a window surface is given
  // its storage only when first drawn on or read, not for a DC that only measures text).
  std::function<void()> makePixels;
  POINT origin{0, 0};
  bool hasVisible = false;
  Region visible;
  Region readable;
  // Device size and depth reported by GetDeviceCaps for DCs without a bitmap.
  int deviceWidth = 0;
  int deviceHeight = 0;
  int deviceBitsPerPixel = 32;
};

DeviceContext* FindDC(HDC dc);  // a live DC of either kind, or nullptr (ERROR_INVALID_HANDLE)

// The result of the map-to-device-and-clip step.
struct DrawTarget {
  DeviceContext* dc = nullptr;
  DcState* state = nullptr;
  Surface* surface = nullptr;  // never nullptr in a target BeginDraw returned
  Region clip;                 // surface pixels that may be written
  POINT offset{0, 0};          // logical (x, y) is surface (x + offset.x, y + offset.y)

  // Logical to surface coordinates, held within +-2^30 so later arithmetic cannot overflow.
  POINT ToSurface(int x, int y) const { return {Shift(x, offset.x), Shift(y, offset.y)}; }
  RECT ToSurface(const RECT& r) const {
    return {Shift(r.left, offset.x), Shift(r.top, offset.y), Shift(r.right, offset.x),
            Shift(r.bottom, offset.y)};
  }
  static LONG Shift(int64_t v, int64_t by) {
    const int64_t s = v + by;
    constexpr int64_t kLimit = 0x40000000;
    return static_cast<LONG>(s < -kLimit ? -kLimit : s > kLimit ? kLimit : s);
  }
};

// Looks the DC up and prepares a target. std::nullopt with ERROR_INVALID_HANDLE for a
// bad handle; a DC with nothing to draw on (or an empty clip) gives a target with an
// empty clip, so drawing succeeds and changes nothing, as on Windows.
std::optional<DrawTarget> BeginDraw(HDC dc);

// Fills surface rectangle `rect`, clipped, with pixel `value` (no raster operation).
void FillSurfaceRect(const DrawTarget& target, const RECT& rect, uint32_t value);

// The logical font selected into a DC (always valid for a live DC).
const LOGFONTA* SelectedLogFont(const DeviceContext& dc);

}  // namespace linux_gdi
