// Clipping and the map-to-device-and-clip step every primitive starts with.
#include <cstring>

#include "platform/linux/gdi/device_context.h"

namespace linux_gdi {

namespace {

// Origins may be anywhere in 32 bits; their difference is held within 2^30.
POINT LogicalToDevice(const DcState& s) {
  return {DrawTarget::Shift(s.viewportOrg.x, -int64_t{s.windowOrg.x}),
          DrawTarget::Shift(s.viewportOrg.y, -int64_t{s.windowOrg.y})};
}

RECT LogicalRectToDevice(const DcState& s, int left, int top, int right, int bottom) {
  const POINT d = LogicalToDevice(s);
  return Normalized({DrawTarget::Shift(left, d.x), DrawTarget::Shift(top, d.y),
                     DrawTarget::Shift(right, d.x), DrawTarget::Shift(bottom, d.y)});
}

// Everything the DC can show, in its device coordinates.
Region DeviceArea(const DeviceContext& dc) {
  if (dc.Type() == OBJ_MEMDC) {
    const BitmapObject* bitmap = FindBitmap(dc.state.bitmap);
    return bitmap ? Region(RECT{0, 0, bitmap->surface.width, bitmap->surface.height}) : Region();
  }
  if (dc.hasVisible) {
    Region area = dc.visible;
    area.Translate(-dc.origin.x, -dc.origin.y);
    return area;
  }
  return Region(RECT{0, 0, dc.deviceWidth, dc.deviceHeight});
}

// The clip and device area combined: what a primitive may touch, in device coordinates.
Region EffectiveClip(const DeviceContext& dc) {
  Region area = DeviceArea(dc);
  if (dc.state.hasClip) area.Intersect(dc.state.clip);
  return area;
}

}  // namespace

std::optional<DrawTarget> BeginDraw(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return std::nullopt;
  DrawTarget target;
  target.dc = dc;
  target.state = &dc->state;
  POINT origin{0, 0};
  if (dc->Type() == OBJ_MEMDC) {
    BitmapObject* bitmap = FindBitmap(dc->state.bitmap);
    target.surface = bitmap ? &bitmap->surface : nullptr;
  } else {
    if (dc->attached && !dc->attached->bits && dc->makePixels) dc->makePixels();
    target.surface = dc->attached;
    origin = dc->origin;
  }
  static Surface nothing;  // for DCs with nothing to show: an empty clip keeps it untouched
  if (!target.surface) {
    target.surface = &nothing;
    return target;
  }
  const POINT d = LogicalToDevice(dc->state);
  target.offset = {d.x + origin.x, d.y + origin.y};
  target.clip = Region(RECT{0, 0, target.surface->width, target.surface->height});
  if (dc->hasVisible) target.clip.Intersect(dc->visible);
  if (dc->state.hasClip) {
    Region clip = dc->state.clip;
    clip.Translate(origin.x, origin.y);
    target.clip.Intersect(clip);
  }
  return target;
}

void FillSurfaceRect(const DrawTarget& target, const RECT& rect, uint32_t value) {
  Region area(rect);
  area.Intersect(target.clip);
  const Surface& s = *target.surface;
  const uint8_t b0 = static_cast<uint8_t>(value), b1 = static_cast<uint8_t>(value >> 8),
                b2 = static_cast<uint8_t>(value >> 16);
  const bool sameBytes = b0 == b1 && b1 == b2 && (s.bitsPerPixel != 32 || b2 == value >> 24);
  for (const RECT& r : area.Rects()) {
    // Whole-byte formats (large fills: new bitmaps, backgrounds) fill their first row and
    // copy it to the others; the packed 1- and 4-bit ones go pixel by pixel.
    if (s.bitsPerPixel % 8 != 0) {
      for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x)
          s.WriteRaw(static_cast<int>(x), static_cast<int>(y), value);
      continue;
    }
    const size_t bytesPerPixel = static_cast<size_t>(s.bitsPerPixel / 8);
    const size_t bytes = bytesPerPixel * static_cast<size_t>(r.right - r.left);
    uint8_t* first = s.Row(static_cast<int>(r.top)) + bytesPerPixel * static_cast<size_t>(r.left);
    if (sameBytes || bytesPerPixel == 1) {
      std::memset(first, b0, bytes);
    } else if (bytesPerPixel == 4) {
      std::fill_n(reinterpret_cast<uint32_t*>(first), r.right - r.left, value);
    } else {
      const uint8_t pixel[3] = {b0, b1, b2};
      for (size_t at = 0; at < bytes; at += bytesPerPixel)
        std::memcpy(first + at, pixel, bytesPerPixel);
    }
    for (LONG y = r.top + 1; y < r.bottom; ++y)
      std::memcpy(s.Row(static_cast<int>(y)) + bytesPerPixel * static_cast<size_t>(r.left), first,
                  bytes);
  }
}

}  // namespace linux_gdi

using namespace linux_gdi;

namespace {

// Applies a change to the DC's clip region and answers with the kind of what is left.
template <typename Change>
int ChangeClip(HDC hdc, Change change) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return ERROR;
  DcState& s = dc->state;
  if (!s.hasClip) {
    s.clip = DeviceArea(*dc);
    s.hasClip = true;
  }
  change(*dc, s);
  return s.clip.Kind();
}

}  // namespace

extern "C" {

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return ERROR;
  DcState& s = dc->state;
  const RECT r = LogicalRectToDevice(s, left, top, right, bottom);
  if (!s.hasClip) {
    s.clip = Region(r);
    s.hasClip = true;
  } else {
    s.clip.Intersect(r);
  }
  return s.clip.Kind();
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return ChangeClip(hdc, [&](DeviceContext&, DcState& s) {
    s.clip.Subtract(LogicalRectToDevice(s, left, top, right, bottom));
  });
}

int WINAPI OffsetClipRgn(HDC hdc, int x, int y) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return ERROR;
  if (!dc->state.hasClip) return SIMPLEREGION;
  dc->state.clip.Translate(x, y);
  return dc->state.clip.Kind();
}

int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return ERROR;
  if (!hrgn) {
    dc->state.hasClip = false;
    dc->state.clip = Region();
    return SIMPLEREGION;
  }
  const RegionObject* region = FindRegion(hrgn);
  if (!region) return ERROR;
  dc->state.clip = region->region;
  dc->state.hasClip = true;
  return dc->state.clip.Kind();
}

int WINAPI GetClipBox(HDC hdc, LPRECT lprect) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || !lprect) return ERROR;
  const Region clip = EffectiveClip(*dc);
  const POINT d = LogicalToDevice(dc->state);
  RECT box = clip.Extents();
  if (!clip.IsEmpty()) box = {box.left - d.x, box.top - d.y, box.right - d.x, box.bottom - d.y};
  *lprect = box;
  return clip.Kind();
}

BOOL WINAPI RectVisible(HDC hdc, const RECT* lprect) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || !lprect) return FALSE;
  const RECT r =
      LogicalRectToDevice(dc->state, lprect->left, lprect->top, lprect->right, lprect->bottom);
  return EffectiveClip(*dc).Overlaps(r) ? TRUE : FALSE;
}

BOOL WINAPI PtVisible(HDC hdc, int x, int y) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return -1;
  const POINT d = LogicalToDevice(dc->state);
  return EffectiveClip(*dc).Contains(DrawTarget::Shift(x, d.x), DrawTarget::Shift(y, d.y)) ? TRUE
                                                                                           : FALSE;
}

}  // extern "C"
