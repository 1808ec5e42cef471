#include "controls/label_text.h"

namespace {

constexpr char kEllipsis[] = "...";

RECT Measure(TCanvas& canvas, const std::string& text, RECT rect, UINT flags) {
  DrawTextA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &rect,
            flags | DT_CALCRECT);
  return rect;
}

// `text` without its last word (cut before the last space or tab), or without its last
// character when it is one word; never ends on the lead byte of a double-byte character.
std::string CutLastPiece(const std::string& text) {
  const size_t blank = text.find_last_of(" \t");
  size_t keep = blank == std::string::npos ? text.size() - 1 : blank;
  if (keep > 0 && IsDBCSLeadByte(static_cast<BYTE>(text[keep - 1]))) --keep;
  return text.substr(0, keep);
}

}  // namespace

std::string ShortenWithEllipsis(TCanvas& canvas, const std::string& text, const RECT& rect,
                                UINT flags, int clientHeight) {
  std::string candidate = text;
  std::string cut = text;
  RECT narrowed = rect;
  narrowed.right -= canvas.TextWidthOf(kEllipsis);
  while (!cut.empty()) {
    const RECT measured = Measure(canvas, candidate, narrowed, flags);
    const int height = measured.bottom - measured.top;
    if (height <= clientHeight || height <= canvas.Font()->Height()) break;
    cut = CutLastPiece(cut);
    candidate = cut + kEllipsis;
  }
  return cut.empty() ? text : candidate;
}

void DrawLabelTextOn(TCanvas& canvas, const TFont& font, std::string text, RECT& rect, UINT flags,
                     const LabelTextOptions& options) {
  // An empty caption (or a lone accelerator mark) still measures one line high.
  if ((flags & DT_CALCRECT) && (text.empty() || (options.showAccelChar && text == "&"))) {
    text += ' ';
  }
  if (!options.showAccelChar) flags |= DT_NOPREFIX;
  flags = MirrorTextFlags(flags, options.alignsRightToLeft, options.readsRightToLeft);
  canvas.SetFont(&font);
  if (options.ellipsis != epNone && !options.autoSize) {
    flags = (flags & ~static_cast<UINT>(DT_EXPANDTABS)) | kEllipsisFlags[options.ellipsis];
    if (options.wordWrap &&
        (options.ellipsis == epEndEllipsis || options.ellipsis == epWordEllipsis)) {
      text = ShortenWithEllipsis(canvas, text, rect, flags, options.clientHeight);
    }
  }
  const int length = static_cast<int>(text.size());
  if (options.enabled) {
    DrawTextA(canvas.Handle(), text.c_str(), length, &rect, flags);
    return;
  }
  OffsetRect(&rect, 1, 1);
  canvas.Font()->SetColor(clBtnHighlight);
  DrawTextA(canvas.Handle(), text.c_str(), length, &rect, flags);
  OffsetRect(&rect, -1, -1);
  canvas.Font()->SetColor(clBtnShadow);
  DrawTextA(canvas.Handle(), text.c_str(), length, &rect, flags);
}
