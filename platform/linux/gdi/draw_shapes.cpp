// Rectangles: PatBlt, FillRect, FrameRect and Rectangle.
#include <algorithm>
#include <cstdint>

#include "platform/linux/gdi/paint.h"
#include "platform/linux/gdi/pen_line.h"
#include "platform/linux/gdi/rop.h"

using namespace linux_gdi;

namespace {

// Patterned raster operations PatBlt accepts: those that use no source.
bool PatBltRop(DWORD rop) {
  const unsigned code = RopIndex(rop);
  return !RopUsesSource(code);
}

// PatBlt's rectangle: a negative extent covers the pixels before the origin, the origin
// included.
RECT PatBltRect(int x, int y, int w, int h) {
  int64_t left = x, top = y, right = int64_t{x} + w, bottom = int64_t{y} + h;
  if (w < 0) {
    std::swap(left, right);
    ++left;
    ++right;
  }
  if (h < 0) {
    std::swap(top, bottom);
    ++top;
    ++bottom;
  }
  auto clamp = [](int64_t v) {
    return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  return RECT{clamp(left), clamp(top), clamp(right), clamp(bottom)};
}

// The extent between two edges as a 32-bit subtraction gives it (wrapping), as the
// system's FillRect passes it on to PatBlt.
int Extent(LONG from, LONG to) {
  return static_cast<int>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
}

}  // namespace

extern "C" {

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  std::optional<DrawTarget> target = BeginDraw(hdc);
  if (!target) return FALSE;
  if (!PatBltRop(rop)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const BrushPainter brush(*target, target->state->brush);
  PaintRect(*target, target->ToSurface(PatBltRect(x, y, w, h)), brush, RopIndex(rop));
  return TRUE;
}

// A PatBlt of the rectangle's extents with the given brush: an inverted rectangle fills
// the mirrored area, and one whose extent overflows 32 bits lands where the wrapped extent
// puts it (far off any surface for the absurd rectangles a stream can produce).
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  std::optional<DrawTarget> target = BeginDraw(hDC);
  if (!target || !lprc) return 0;
  if (!FindBrush(hbr)) return 0;
  const BrushPainter brush(*target, hbr);
  const RECT area = PatBltRect(lprc->left, lprc->top, Extent(lprc->left, lprc->right),
                               Extent(lprc->top, lprc->bottom));
  PaintRect(*target, target->ToSurface(area), brush, 0xF0);
  return 1;
}

int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  std::optional<DrawTarget> target = BeginDraw(hDC);
  if (!target || !lprc) return 0;
  if (!FindBrush(hbr)) return 0;
  const RECT r = target->ToSurface(*lprc);
  if (r.right <= r.left || r.bottom <= r.top) return 1;
  const BrushPainter brush(*target, hbr);
  PaintRect(*target, {r.left, r.top, r.right, r.top + 1}, brush, 0xF0);
  PaintRect(*target, {r.left, r.bottom - 1, r.right, r.bottom}, brush, 0xF0);
  PaintRect(*target, {r.left, r.top + 1, r.left + 1, r.bottom - 1}, brush, 0xF0);
  PaintRect(*target, {r.right - 1, r.top + 1, r.right, r.bottom - 1}, brush, 0xF0);
  return 1;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  std::optional<DrawTarget> target = BeginDraw(hdc);
  if (!target) return FALSE;
  const RECT r = target->ToSurface(Normalized({left, top, right, bottom}));
  if (r.right == r.left || r.bottom == r.top) return TRUE;
  const PenLine pen(*target, target->state->pen);
  const BrushPainter brush(*target, target->state->brush);
  if (!pen.Draws()) {
    // Without an outline the interior reaches one pixel short of the right and bottom.
    PaintRectRop2(*target, {r.left, r.top, r.right - 1, r.bottom - 1}, brush);
    return TRUE;
  }
  const int inset = pen.FrameWidth();
  PaintRectRop2(*target, {r.left + inset, r.top + inset, r.right - inset, r.bottom - inset}, brush);
  pen.Frame(r);
  return TRUE;
}

}  // extern "C"
