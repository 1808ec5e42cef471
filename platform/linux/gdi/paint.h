#pragma once
// What pens and brushes put on a surface: colours resolved through the DC, encoded for
// the target format, and a brush sampled per pixel (solid, hatched or patterned).
#include "platform/linux/gdi/device_context.h"

namespace linux_gdi {

// A COLORREF with palette-index and palette-relative forms resolved through the DC.
COLORREF ResolveColor(const DcState& state, COLORREF color);

class BrushPainter {
 public:
  BrushPainter(const DrawTarget& target, HBRUSH brush);
  // False for the null brush: nothing to paint.
  bool Paints() const { return kind_ != Kind::kNone; }
  // The brush's pixel value at surface (x, y); false where a hatched brush on a
  // transparent background leaves the pixel alone.
  bool At(int x, int y, uint32_t& value) const;
  // A solid brush's single value.
  bool Solid(uint32_t& value) const {
    value = solid_;
    return kind_ == Kind::kSolid;
  }

 private:
  enum class Kind { kNone, kSolid, kHatch, kPattern };
  Kind kind_ = Kind::kNone;
  uint32_t solid_ = 0;
  uint32_t background_ = 0;
  bool opaque_ = true;
  int hatch_ = 0;
  const Surface* pattern_ = nullptr;
  bool monoPattern_ = false;
  uint32_t foreground_ = 0;
  POINT origin_{0, 0};
  const Surface* target_ = nullptr;
};

// Fills surface rectangle `rect` (clipped) with a brush under a ternary raster operation
// that uses no source (PatBlt and the brush part of the shapes).
void PaintRect(const DrawTarget& target, const RECT& rect, const BrushPainter& brush,
               unsigned ropIndex);

// Fills with a brush under the DC's binary raster operation (shape interiors).
void PaintRectRop2(const DrawTarget& target, const RECT& rect, const BrushPainter& brush);

}  // namespace linux_gdi
