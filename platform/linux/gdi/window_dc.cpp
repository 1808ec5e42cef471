// Window DCs: a plain DC whose device pixels lie on a window surface.
#include "platform/linux/gdi/window_dc.h"

#include "platform/linux/gdi/device_context.h"
#include "platform/linux/gdi/screen.h"

namespace linux_gdi {

namespace {

void Show(DeviceContext& dc, WindowView view) {
  dc.attached = view.surface;
  dc.makePixels = std::move(view.makePixels);
  dc.origin = view.origin;
  dc.hasVisible = true;
  dc.visible = std::move(view.visible);
  dc.readable = std::move(view.readable);
}

}  // namespace

HDC NewWindowDC(WindowView view) {
  HDC handle = NewDC(OBJ_DC);
  DeviceContext* dc = FindDC(handle);
  if (!dc) return nullptr;
  Show(*dc, std::move(view));
  return handle;
}

void SetVisibleRegion(HDC handle, const Region& visible) {
  if (DeviceContext* dc = FindDC(handle)) dc->visible = visible;
}

POINT WindowDCOrigin(HDC handle) {
  const DeviceContext* dc = FindDC(handle);
  return dc ? dc->origin : POINT{0, 0};
}

void DetachSurface(HDC handle) {
  if (DeviceContext* dc = FindDC(handle)) Show(*dc, WindowView{});
}

}  // namespace linux_gdi
