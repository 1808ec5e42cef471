// The text entry points: measuring, metrics, and drawing single runs and formatted text.
#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/linux/gdi/device_context.h"
#include "platform/linux/gdi/text/text_context.h"
#include "platform/linux/gdi/text/text_layout.h"
#include "platform/linux/gdi/text/text_render.h"
#include "platform/win32.h"

namespace {

using gdi_text::Font;

// A text argument: a negative count means "up to the terminating zero".
std::optional<std::string_view> TextArgument(LPCSTR text, int count, bool negativeMeansAll) {
  if (count < 0) {
    if (!negativeMeansAll || !text) return std::nullopt;
    return std::string_view(text);
  }
  if (count > 0 && !text) return std::nullopt;
  return std::string_view(text ? text : "", size_t(count));
}

LONG ClampToLong(long long value) { return LONG(std::clamp<long long>(value, LONG_MIN, LONG_MAX)); }

// A logical rectangle in surface coordinates, computed without overflow near the limits.
RECT SurfaceRect(const linux_gdi::DrawTarget& target, const RECT& logical) {
  const RECT r = linux_gdi::Normalized(logical);
  return {ClampToLong(static_cast<long long>(r.left) + target.offset.x),
          ClampToLong(static_cast<long long>(r.top) + target.offset.y),
          ClampToLong(static_cast<long long>(r.right) + target.offset.x),
          ClampToLong(static_cast<long long>(r.bottom) + target.offset.y)};
}

}  // namespace

extern "C" {

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  linux_gdi::DeviceContext* dc = linux_gdi::FindDC(hdc);
  if (!dc) return FALSE;
  const std::optional<std::string_view> text = TextArgument(lpString, c, false);
  if (!text || !psizl) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::shared_ptr<Font> font = gdi_text::SelectedFont(*dc);
  psizl->cx = ClampToLong(gdi_text::TextWidth(*font, *text));
  psizl->cy = text->empty() ? 0 : font->Metrics().height;
  return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  linux_gdi::DeviceContext* dc = linux_gdi::FindDC(hdc);
  if (!dc) return FALSE;
  if (!lptm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::shared_ptr<Font> font = gdi_text::SelectedFont(*dc);
  const gdi_text::FontMetrics& m = font->Metrics();
  *lptm = TEXTMETRICA{};
  lptm->tmHeight = m.height;
  lptm->tmAscent = m.ascent;
  lptm->tmDescent = m.descent;
  lptm->tmInternalLeading = m.internalLeading;
  lptm->tmExternalLeading = m.externalLeading;
  lptm->tmAveCharWidth = m.aveCharWidth;
  lptm->tmMaxCharWidth = m.maxCharWidth;
  lptm->tmWeight = m.weight;
  lptm->tmOverhang = 0;
  lptm->tmDigitizedAspectX = 96;
  lptm->tmDigitizedAspectY = 96;
  lptm->tmFirstChar = m.firstChar;
  lptm->tmLastChar = m.lastChar;
  lptm->tmDefaultChar = m.defaultChar;
  lptm->tmBreakChar = m.breakChar;
  lptm->tmItalic = m.italic ? 255 : 0;
  lptm->tmUnderlined = m.underline ? 255 : 0;
  lptm->tmStruckOut = m.strikeOut ? 255 : 0;
  lptm->tmPitchAndFamily = m.pitchAndFamily;
  lptm->tmCharSet = m.charset;
  return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  std::optional<linux_gdi::DrawTarget> target = linux_gdi::BeginDraw(hdc);
  if (!target) return FALSE;
  const std::optional<std::string_view> text = TextArgument(lpString, c, false);
  if (!text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::shared_ptr<Font> font = gdi_text::SelectedFont(*target->dc);
  const gdi_text::FontMetrics& metrics = font->Metrics();
  const long long width = gdi_text::TextWidth(*font, *text);
  linux_gdi::DcState& state = *target->state;
  const UINT align = state.textAlign;
  long long left = (align & TA_UPDATECP) ? state.currentPos.x : x;
  long long top = (align & TA_UPDATECP) ? state.currentPos.y : y;
  if ((align & TA_CENTER) == TA_CENTER) {
    left -= width / 2;
  } else if (align & TA_RIGHT) {
    left -= width;
  }
  if ((align & TA_BASELINE) == TA_BASELINE) {
    top -= metrics.ascent;
  } else if (align & TA_BOTTOM) {
    top -= metrics.height;
  }
  gdi_text::TextPainter painter(*target, nullptr);
  painter.Run(*font, left, top, *text, width);
  if ((align & TA_UPDATECP) && !(align & TA_CENTER)) {
    const long long advance = (align & TA_RIGHT) ? -width : width;
    state.currentPos.x = ClampToLong(state.currentPos.x + advance);
  }
  return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  std::optional<linux_gdi::DrawTarget> target = linux_gdi::BeginDraw(hdc);
  if (!target) return 0;
  const std::optional<std::string_view> text = TextArgument(lpchText, cchText, true);
  if (!text || !lprc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::shared_ptr<Font> font = gdi_text::SelectedFont(*target->dc);
  gdi_text::LayoutFont layoutFont = gdi_text::LayoutFontOf(*font, *text);
  if (format & DT_TABSTOP) {
    // The tab size in characters rides in the flags' second byte.
    layoutFont.tabChars = std::max(1u, (format >> 8) & 0xFF);
    format &= ~0xFF00u;
  }
  const gdi_text::LayoutBox box{lprc->left, lprc->top, lprc->right, lprc->bottom};
  const gdi_text::TextLayout layout = gdi_text::LayOutText(*text, format, box, layoutFont);
  if (format & DT_CALCRECT) {
    lprc->right = layout.extent.right;
    lprc->bottom = layout.extent.bottom;
    return layout.height;
  }
  std::optional<RECT> limit;
  if (!(format & DT_NOCLIP)) limit = SurfaceRect(*target, *lprc);
  gdi_text::TextPainter painter(*target, limit ? &*limit : nullptr);
  const gdi_text::FontMetrics& metrics = font->Metrics();
  for (const gdi_text::LaidLine& line : layout.lines) {
    for (const gdi_text::LaidRun& run : line.runs) {
      painter.Run(*font, static_cast<long long>(line.x) + run.x, line.y, run.text,
                  gdi_text::TextWidth(*font, run.text));
    }
    if (line.underlineX >= 0) {
      const long long left = static_cast<long long>(line.x) + line.underlineX;
      const long long top =
          static_cast<long long>(line.y) + metrics.ascent + metrics.underlineOffset;
      painter.Bar(left, top, left + line.underlineWidth, top + metrics.underlineThickness);
    }
  }
  return layout.height;
}

}  // extern "C"
