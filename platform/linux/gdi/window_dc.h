#pragma once
// Window DCs as the windowing layer makes them: a DC that shows part of a window's surface
// at an origin and draws only inside the window's visible region. The windowing layer
// owns the window geometry; these calls are all it needs of a DC's insides.
#include <functional>

#include "platform/linux/gdi/region.h"
#include "platform/linux/gdi/surface.h"

namespace linux_gdi {

// What a window DC shows, in surface coordinates.
struct WindowView {
  Surface* surface = nullptr;
  POINT origin{0, 0};  // where the DC's device (0, 0) lies on the surface
  Region visible;      // the pixels drawing may change
  // The pixels reads see: the window's own area, children and siblings over it included,
  // as reads through a window DC are not limited by what painting excludes.
  Region readable;
  // Gives the surface its storage before the first drawing or reading while it has none.
  std::function<void()> makePixels;
};

// A new window DC (OBJ_DC) showing `view`.
HDC NewWindowDC(WindowView view);
// Replaces the pixels a window DC may change (surface coordinates).
void SetVisibleRegion(HDC dc, const Region& visible);
// Where a window DC's device (0, 0) lies on its surface; (0, 0) for an unknown DC.
POINT WindowDCOrigin(HDC dc);
// The window behind a DC went: the DC stays valid but shows and draws nothing.
void DetachSurface(HDC dc);

}  // namespace linux_gdi
