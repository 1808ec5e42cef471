// Text painting: everything is clipped rectangle by rectangle against the target's clip,
// in 64-bit coordinates so that far-away or very long text cannot overflow.
#include "platform/linux/gdi/text/text_render.h"

#include <algorithm>

#include "platform/linux/gdi/text/text_context.h"

namespace gdi_text {
namespace {

// Narrows the rectangle to its part inside `r`; false when nothing is left.
bool Clamp(const RECT& r, long long& left, long long& top, long long& right, long long& bottom) {
  left = std::max<long long>(left, r.left);
  top = std::max<long long>(top, r.top);
  right = std::min<long long>(right, r.right);
  bottom = std::min<long long>(bottom, r.bottom);
  return left < right && top < bottom;
}

uint8_t Mix(unsigned ink, unsigned under, unsigned coverage) {
  return static_cast<uint8_t>((ink * coverage + under * (255 - coverage) + 127) / 255);
}

}  // namespace

TextPainter::TextPainter(const linux_gdi::DrawTarget& target, const RECT* limit)
    : target_(target),
      textPixel_(target.surface->EncodeDrawing(target.state->textColor, target.state->bkColor)),
      textColor_(target.surface->Decode(textPixel_)) {
  linux_gdi::Region clip = target.clip;
  if (limit) clip.Intersect(*limit);
  clip_ = clip.Rects();
  bounds_ = clip.Extents();
}

void TextPainter::Fill(long long left, long long top, long long right, long long bottom,
                       uint32_t pixel) {
  left += target_.offset.x;
  right += target_.offset.x;
  top += target_.offset.y;
  bottom += target_.offset.y;
  for (const RECT& r : clip_) {
    long long l = left, t = top, rr = right, b = bottom;
    if (!Clamp(r, l, t, rr, b)) continue;
    for (long long y = t; y < b; ++y) {
      for (long long x = l; x < rr; ++x) target_.surface->WriteRaw(int(x), int(y), pixel);
    }
  }
}

void TextPainter::Bar(long long left, long long top, long long right, long long bottom) {
  Fill(left, top, right, bottom, textPixel_);
}

void TextPainter::Blend(const Glyph& glyph, long long x, long long y) {
  const long long left = x + glyph.left + target_.offset.x;
  const long long top = y - glyph.top + target_.offset.y;
  const linux_gdi::Surface& surface = *target_.surface;
  for (const RECT& r : clip_) {
    long long l = left, t = top, rr = left + glyph.width, b = top + glyph.height;
    if (!Clamp(r, l, t, rr, b)) continue;
    for (long long sy = t; sy < b; ++sy) {
      const uint8_t* row = &glyph.coverage[size_t(sy - top) * size_t(glyph.width)];
      for (long long sx = l; sx < rr; ++sx) {
        const unsigned coverage = row[sx - left];
        if (coverage == 0) continue;
        if (coverage == 255) {
          surface.WriteRaw(int(sx), int(sy), textPixel_);
          continue;
        }
        const COLORREF under = surface.ReadColor(int(sx), int(sy));
        const COLORREF mixed = RGB(Mix(GetRValue(textColor_), GetRValue(under), coverage),
                                   Mix(GetGValue(textColor_), GetGValue(under), coverage),
                                   Mix(GetBValue(textColor_), GetBValue(under), coverage));
        surface.WriteRaw(int(sx), int(sy), surface.Encode(mixed));
      }
    }
  }
}

void TextPainter::Run(Font& font, long long x, long long y, std::string_view text,
                      long long width) {
  if (clip_.empty()) return;
  const FontMetrics& metrics = font.Metrics();
  if (target_.state->bkMode == OPAQUE) {
    Fill(x, y, x + width, y + metrics.height, target_.surface->Encode(target_.state->bkColor));
  }
  const std::array<char16_t, 256>& characters = AnsiCharacters();
  const long long baseline = y + metrics.ascent;
  // Glyphs reach at most this far beyond their cell: enough to skip those that cannot
  // touch the clip without missing overhanging ones.
  const long long margin = 2LL * (metrics.maxCharWidth + metrics.height);
  const long long first = bounds_.left - target_.offset.x - margin;
  const long long last = bounds_.right - target_.offset.x + margin;
  long long pen = x;
  for (char c : text) {
    if (pen > last) break;
    const Glyph& glyph = font.GlyphOf(characters[static_cast<unsigned char>(c)]);
    if (pen >= first && !glyph.coverage.empty()) Blend(glyph, pen, baseline);
    pen += glyph.drawAdvance;
  }
  if (metrics.underline) {
    const long long top = baseline + metrics.underlineOffset;
    Bar(x, top, x + width, top + metrics.underlineThickness);
  }
  if (metrics.strikeOut) {
    const long long top = baseline + metrics.strikeOutOffset;
    Bar(x, top, x + width, top + metrics.strikeOutThickness);
  }
}

}  // namespace gdi_text
