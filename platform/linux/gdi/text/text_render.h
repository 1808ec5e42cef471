#pragma once
// Putting text on a device context's surface: glyph coverage blended in the text colour
// through the clip, the opaque background cell and the font's decoration lines.
#include <string_view>
#include <vector>

#include "platform/linux/gdi/device_context.h"
#include "platform/linux/gdi/text/font_engine.h"

namespace gdi_text {

class TextPainter {
 public:
  // Paints on `target` through its clip, further limited to `limit` (surface pixels)
  // when one is given.
  TextPainter(const linux_gdi::DrawTarget& target, const RECT* limit);

  // One run of ANSI text whose cell starts at logical (x, y) (top-left): the background
  // cell when the mode is opaque, the glyphs, then underline and strike-out as the font
  // asks. `width` is the run's advance.
  void Run(Font& font, long long x, long long y, std::string_view text, long long width);
  // A logical rectangle filled in the text colour (the accelerator underline).
  void Bar(long long left, long long top, long long right, long long bottom);

 private:
  void Fill(long long left, long long top, long long right, long long bottom, uint32_t pixel);
  void Blend(const Glyph& glyph, long long x, long long y);

  const linux_gdi::DrawTarget& target_;
  std::vector<RECT> clip_;  // surface rectangles that may be written
  RECT bounds_{0, 0, 0, 0};
  uint32_t textPixel_;  // the text colour as the surface stores it
  COLORREF textColor_;  // and as it shows
};

}  // namespace gdi_text
