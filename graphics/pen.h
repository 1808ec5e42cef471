#pragma once
// Pens: colour, width and style shared through the pen cache; Mode is per object.
#include <cstdint>

#include "graphics/colors.h"
#include "graphics/graphics_object.h"

enum TPenStyle : uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate
};

enum TPenMode : uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

extern const TypeDescriptor kTPenStyleType;
extern const TypeDescriptor kTPenModeType;
extern const TypeDescriptor kTPenType;  // class-typed properties holding a TPen

// The pen cache key; built zeroed and copied as bytes (see FontAttributes).
struct PenAttributes {
  HPEN handle;
  TColor color;
  int32_t width;
  TPenStyle style;
};
#ifdef _WIN32
static_assert(sizeof(PenAttributes) == 16, "pen key length");
#endif

extern const PenAttributes DefaultPenAttributes;

// The PS_ value for each TPenStyle, and the R2_ code for each TPenMode.
int NativePenStyle(TPenStyle style);
int RasterOp2Of(TPenMode mode);

class TPen : public TGraphicsObject {
 public:
  TPen();
  ~TPen() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void Assign(const TPersistent* source) override;

  // The native pen, created on first request; 0 when creation fails.
  HPEN Handle();

  TColor Color() const { return Attr().color; }
  void SetColor(TColor value);
  int32_t Width() const { return Attr().width; }
  void SetWidth(int32_t value);
  TPenStyle Style() const { return Attr().style; }
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);

 private:
  const PenAttributes& Attr() const { return Attributes<PenAttributes>(); }
  template <typename Edit>
  void Change(Edit edit);
  friend struct PenMetadata;

  TPenMode mode_ = pmCopy;
};
