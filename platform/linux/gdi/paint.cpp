#include "platform/linux/gdi/paint.h"

#include "platform/linux/gdi/rop.h"

namespace linux_gdi {

namespace {

// 8 x 8 hatch patterns, one byte per row, most significant bit leftmost.
constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

int Wrap(int v, int n) {
  const int m = v % n;
  return m < 0 ? m + n : m;
}

}  // namespace

COLORREF ResolveColor(const DcState& state, COLORREF color) {
  if ((color >> 24) == 1) {  // PALETTEINDEX
    const PaletteObject* palette = FindPalette(state.palette);
    const WORD index = static_cast<WORD>(color & 0xFFFF);
    if (palette && index < palette->entries.size()) {
      const PALETTEENTRY& e = palette->entries[index];
      return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    return RGB(0, 0, 0);
  }
  return color & 0x00FFFFFF;
}

BrushPainter::BrushPainter(const DrawTarget& target, HBRUSH handle) : target_(target.surface) {
  const BrushObject* brush = FindBrush(handle);
  if (!brush) return;
  const DcState& s = *target.state;
  const Surface& surface = *target.surface;
  const LOGBRUSH& lb = brush->logBrush;
  origin_ = {s.brushOrg.x + target.dc->origin.x, s.brushOrg.y + target.dc->origin.y};
  switch (lb.lbStyle) {
    case BS_SOLID:
      kind_ = Kind::kSolid;
      solid_ = surface.deviceBitmap
                   ? surface.Encode(ResolveColor(s, lb.lbColor))
                   : surface.EncodeDrawing(ResolveColor(s, lb.lbColor), ResolveColor(s, s.bkColor));
      break;
    case BS_HATCHED:
      kind_ = Kind::kHatch;
      hatch_ = lb.lbHatch <= HS_DIAGCROSS ? static_cast<int>(lb.lbHatch) : HS_HORIZONTAL;
      solid_ = surface.Encode(ResolveColor(s, lb.lbColor));
      background_ = surface.Encode(ResolveColor(s, s.bkColor));
      opaque_ = s.bkMode == OPAQUE;
      break;
    case BS_PATTERN:
      if (brush->pattern.width <= 0 || brush->pattern.height <= 0) break;
      kind_ = Kind::kPattern;
      pattern_ = &brush->pattern;
      monoPattern_ = brush->patternMono;
      foreground_ = surface.Encode(ResolveColor(s, s.textColor));
      background_ = surface.Encode(ResolveColor(s, s.bkColor));
      break;
    default:
      break;
  }
}

bool BrushPainter::At(int x, int y, uint32_t& value) const {
  switch (kind_) {
    case Kind::kSolid:
      value = solid_;
      return true;
    case Kind::kHatch: {
      const int px = Wrap(x - origin_.x, 8), py = Wrap(y - origin_.y, 8);
      if (kHatches[hatch_][py] & (0x80 >> px)) {
        value = solid_;
        return true;
      }
      value = background_;
      return opaque_;
    }
    case Kind::kPattern: {
      const int px = Wrap(x - origin_.x, pattern_->width),
                py = Wrap(y - origin_.y, pattern_->height);
      const uint32_t raw = pattern_->ReadRaw(px, py);
      value =
          monoPattern_ ? (raw ? background_ : foreground_) : target_->EncodeFrom(*pattern_, raw);
      return true;
    }
    default:
      return false;
  }
}

void PaintRect(const DrawTarget& target, const RECT& rect, const BrushPainter& brush,
               unsigned ropIndex) {
  uint32_t solid = 0;
  if (ropIndex == 0xF0 && brush.Solid(solid)) {
    FillSurfaceRect(target, rect, solid);
    return;
  }
  // BLACKNESS and WHITENESS ignore brush and destination: one value everywhere.
  if (ropIndex == 0x00 || ropIndex == 0xFF) {
    FillSurfaceRect(target, rect, Rop3(ropIndex, 0, 0, 0) & target.surface->ValueMask());
    return;
  }
  Region area(rect);
  area.Intersect(target.clip);
  const Surface& s = *target.surface;
  const uint32_t mask = s.ValueMask();
  for (const RECT& r : area.Rects()) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        uint32_t pat = 0;
        if (!brush.At(x, y, pat) && RopUsesPattern(ropIndex)) continue;
        s.WriteRaw(x, y, Rop3(ropIndex, pat, 0, s.ReadRaw(x, y)) & mask);
      }
    }
  }
}

void PaintRectRop2(const DrawTarget& target, const RECT& rect, const BrushPainter& brush) {
  Region area(rect);
  area.Intersect(target.clip);
  const Surface& s = *target.surface;
  const uint32_t mask = s.ValueMask();
  const int rop = target.state->rop2;
  for (const RECT& r : area.Rects()) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        uint32_t pen = 0;
        if (!brush.At(x, y, pen)) continue;
        s.WriteRaw(x, y, Rop2(rop, pen, s.ReadRaw(x, y)) & mask);
      }
    }
  }
}

}  // namespace linux_gdi
