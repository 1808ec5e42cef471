#pragma once
// Helpers for the label, panel, image and launcher-tree tests: 32-bit surfaces to paint
// into and read back, and the launcher's tree read from the build's compiled definition.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "classes/object.h"
#include "platform/gdi_handles.h"
#include "platform/win32.h"
#include "tests/support/dib_surface.h"
#include "tools/formtool/check_form.h"

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace views_test {

// The shared test surface, filled with a colour to start with.
class Surface : public test_support::DibSurface {
 public:
  Surface(int width, int height, COLORREF fill = RGB(0, 0, 0));
  void Fill(COLORREF color);
  // Bounding box of the pixels for which `ink` is true; empty when none.
  template <class Pred>
  RECT InkBox(const RECT& area, Pred ink) const {
    RECT box = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    GdiFlush();
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (ink(At(x, y))) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box.left == INT32_MAX ? RECT{0, 0, 0, 0} : box;
  }
};

// Copies what a window shows (its client area) into a new surface of that size.
std::unique_ptr<Surface> ReadWindow(HWND window);

// The launcher's tree read from the build's TFORM1.bin into the real classes.
TOwnedPtr<formtool::CheckForm> ReadLauncherTree();

}  // namespace views_test
