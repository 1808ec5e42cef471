#pragma once
// Brushes: colour, style and an optional pattern bitmap, shared through the
// brush cache.
#include <cstdint>

#include "graphics/colors.h"
#include "graphics/graphics_object.h"

class TBitmap;

enum TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

extern const TypeDescriptor kTBrushStyleType;
extern const TypeDescriptor kTBrushType;  // class-typed properties holding a TBrush

// The brush cache key; built zeroed and copied as bytes (see FontAttributes).
struct BrushAttributes {
  HBRUSH handle;
  TColor color;
  TBitmap* bitmap;  // pattern bitmap, a link unless ownsBitmap
  TBrushStyle style;
  bool ownsBitmap;
};
#ifdef _WIN32
static_assert(sizeof(BrushAttributes) == 16, "brush key length");
#endif

extern const BrushAttributes DefaultBrushAttributes;

// The LOGBRUSH a brush record without a pattern bitmap asks the platform for.
LOGBRUSH LogBrushOf(const BrushAttributes& attributes);

class TBrush : public TGraphicsObject {
 public:
  TBrush();
  ~TBrush() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void Assign(const TPersistent* source) override;

  // The native brush, created on first request; 0 when creation fails.
  HBRUSH Handle();

  TColor Color() const { return Attr().color; }
  // A clear brush becomes solid in the same change.
  void SetColor(TColor value);
  TBrushStyle Style() const { return Attr().style; }
  // Clearing the brush also makes its colour white.
  void SetStyle(TBrushStyle value);
  TBitmap* PatternBitmap() const { return Attr().bitmap; }
  // The default brush with this bitmap as its pattern.
  void SetPatternBitmap(TBitmap* bitmap);

 private:
  const BrushAttributes& Attr() const { return Attributes<BrushAttributes>(); }
  template <typename Edit>
  void Change(Edit edit);
  friend struct BrushMetadata;
};

// Bitmap services the brush needs; they live beside the bitmap code.
// The pattern's device-dependent native handle (the bitmap is switched to one first).
HBITMAP PatternBitmapHandle(TBitmap* bitmap);
// Frees a pattern bitmap that a brush record or the pattern cache owns.
void FreePatternBitmap(TBitmap* bitmap);
// A dormant 8x8 bitmap filled with `first`, with `second` on every pixel whose
// row and column have the same parity.
TBitmap* MakeCheckerboardBitmap(COLORREF first, COLORREF second);
