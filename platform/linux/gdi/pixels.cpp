// Single pixels.
#include "platform/linux/gdi/paint.h"

using namespace linux_gdi;

namespace {

// The surface position of a logical point, if drawing may touch it.
bool Locate(const DrawTarget& target, int x, int y, POINT& at) {
  at = target.ToSurface(x, y);
  return target.clip.Contains(at.x, at.y);
}

}  // namespace

extern "C" {

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  std::optional<DrawTarget> target = BeginDraw(hdc);
  if (!target) return CLR_INVALID;
  POINT at;
  if (!Locate(*target, x, y, at)) return CLR_INVALID;
  const Surface& s = *target->surface;
  const uint32_t value = s.Encode(ResolveColor(*target->state, color));
  s.WriteRaw(at.x, at.y, value);
  return s.Decode(value);
}

BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color) {
  return SetPixel(hdc, x, y, color) != CLR_INVALID ? TRUE : FALSE;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  std::optional<DrawTarget> target = BeginDraw(hdc);
  if (!target) return CLR_INVALID;
  // Reading is not limited by the clip region nor by the windows painting excludes, only by
  // the area the DC shows.
  const POINT at = target->ToSurface(x, y);
  const Surface& s = *target->surface;
  if (at.x < 0 || at.y < 0 || at.x >= s.width || at.y >= s.height) return CLR_INVALID;
  if (target->dc->hasVisible && !target->dc->readable.Contains(at.x, at.y)) return CLR_INVALID;
  return s.ReadColor(at.x, at.y);
}

COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color) {
  std::optional<DrawTarget> target = BeginDraw(hdc);
  if (!target) return CLR_INVALID;
  const COLORREF resolved = ResolveColor(*target->state, color);
  const Surface& s = *target->surface;
  return s.width > 0 ? s.Decode(s.Encode(resolved)) : resolved;
}

}  // extern "C"
