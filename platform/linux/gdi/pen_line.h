#pragma once
// Lines drawn with a pen: the rasterisation of the display driver (the end point is not
// drawn; ties between two pixels break by octant), dash patterns that restart with
// each call, the gaps drawn in the background colour when the background mode is
// opaque, and the DC's binary raster operation.
#include <vector>

#include "platform/linux/gdi/device_context.h"

namespace linux_gdi {

class PenLine {
 public:
  PenLine(const DrawTarget& target, HPEN pen);
  bool Draws() const { return style_ != PS_NULL; }
  // How far a rectangle's outline reaches inwards.
  int FrameWidth() const;
  // A connected run of segments through surface points; the dash pattern continues
  // from one segment to the next.
  void Path(const std::vector<POINT>& points) const;
  // The outline of surface rectangle `r` (right and bottom exclusive).
  void Frame(const RECT& r) const;

 private:
  void Segment(POINT from, POINT to, int64_t& dashPosition) const;
  void Plot(int64_t x, int64_t y, int64_t dashPosition) const;

  const DrawTarget& target_;
  UINT style_ = PS_NULL;
  int width_ = 1;
  uint32_t color_ = 0;
  uint32_t background_ = 0;
  bool opaque_ = false;
  std::vector<int> dashes_;
  int period_ = 0;
  RECT bounds_{0, 0, 0, 0};
};

}  // namespace linux_gdi
