#include "controls/frame3d.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "graphics/pen.h"

namespace {

LONG Moved(LONG edge, int64_t by) {
  return static_cast<LONG>(std::clamp<int64_t>(edge + by, std::numeric_limits<LONG>::min(),
                                               std::numeric_limits<LONG>::max()));
}

}  // namespace

void DrawFrame3D(TCanvas& canvas, RECT& rect, TColor topColor, TColor bottomColor, int width) {
  canvas.Pen()->SetWidth(1);
  --rect.bottom;
  --rect.right;
  int drawn = 0;
  // Once the frames meet in the middle every pixel is drawn; an absurd width from a
  // stream must not become billions of lines, so the rest is only stepped over.
  for (; drawn < width && rect.left <= rect.right && rect.top <= rect.bottom; ++drawn) {
    canvas.Pen()->SetColor(topColor);
    const POINT topLeft[] = {
        {rect.left, rect.bottom}, {rect.left, rect.top}, {rect.right, rect.top}};
    canvas.DrawPolyline(topLeft);
    canvas.Pen()->SetColor(bottomColor);
    const POINT bottomRight[] = {
        {rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left - 1, rect.bottom}};
    canvas.DrawPolyline(bottomRight);
    InflateRect(&rect, -1, -1);
  }
  const int64_t rest = width > drawn ? static_cast<int64_t>(width) - drawn : 0;
  rect = {Moved(rect.left, rest), Moved(rect.top, rest), Moved(rect.right, 1 - rest),
          Moved(rect.bottom, 1 - rest)};
}
