#pragma once
// How a label measures and draws its caption through DrawTextA on a canvas: accelerator
// characters, right-to-left flags, ellipsis shortening and the disabled look.
#include <string>

#include "controls/view_types.h"
#include "graphics/canvas.h"

struct LabelTextOptions {
  bool showAccelChar = true;
  bool alignsRightToLeft = false;
  bool readsRightToLeft = false;
  bool enabled = true;
  bool wordWrap = false;
  bool autoSize = true;
  TEllipsisPosition ellipsis = epNone;
  int clientHeight = 0;
};

// Measures (flags with DT_CALCRECT: the extent is written into `rect`) or draws `text`
// on `canvas`, which takes `font` first. The canvas must be able to get a DC.
void DrawLabelTextOn(TCanvas& canvas, const TFont& font, std::string text, RECT& rect, UINT flags,
                     const LabelTextOptions& options);

// The text a word-wrapped label with an end or word ellipsis draws: cut at word ends
// (or by characters) and followed by "..." until it fits `rect` in height. Returns
// `text` unchanged when it fits or nothing is left to keep.
std::string ShortenWithEllipsis(TCanvas& canvas, const std::string& text, const RECT& rect,
                                UINT flags, int clientHeight);
