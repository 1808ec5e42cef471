#pragma once
// A white canvas on the shared test surface, for text tests that look at pixels, and fonts
// made by face, height and weight.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win32.h"
#include "tests/support/dib_surface.h"

namespace text_test {

inline HFONT MakeFont(const char* face, LONG height, LONG weight, BYTE italic = 0,
                      BYTE underline = 0, BYTE strikeOut = 0) {
  LOGFONTA logFont{};
  logFont.lfHeight = height;
  logFont.lfWeight = weight;
  logFont.lfItalic = italic;
  logFont.lfUnderline = underline;
  logFont.lfStrikeOut = strikeOut;
  logFont.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&logFont);
}

// Ink of dark text on the white canvas: the box of changed pixels and the summed
// darkness of the blue channel.
struct Ink {
  RECT box{0, 0, 0, 0};
  long long amount = 0;
};

class TextCanvas {
 public:
  TextCanvas(int width, int height) : surface_(width, height), width_(width), height_(height) {
    Clear();
  }

  HDC dc() const { return surface_.Dc(); }
  void Clear() { surface_.FillRaw(0xFFFFFF); }
  // The pixel as 0x00RRGGBB.
  uint32_t At(int x, int y) const {
    GdiFlush();
    return surface_.Raw(x, y);
  }
  // Ink inside [top, bottom) rows, all rows by default.
  Ink InkOf(int top = 0, int bottom = -1) const {
    GdiFlush();
    if (bottom < 0) bottom = height_;
    Ink ink;
    ink.box = {width_, height_, -1, -1};
    for (int y = top; y < bottom; ++y) {
      for (int x = 0; x < width_; ++x) {
        const int darkness = 255 - int(surface_.Raw(x, y) & 0xFF);
        if (darkness == 0) continue;
        ink.amount += darkness;
        ink.box.left = std::min<LONG>(ink.box.left, x);
        ink.box.top = std::min<LONG>(ink.box.top, y);
        ink.box.right = std::max<LONG>(ink.box.right, x + 1);
        ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
      }
    }
    if (ink.amount == 0) ink.box = {0, 0, 0, 0};
    return ink;
  }
  // Boxes of the bands of rows that hold ink, top to bottom (one per drawn line, and
  // one for an underline below its line).
  std::vector<RECT> InkBands() const {
    std::vector<RECT> bands;
    int y = 0;
    while (y < height_) {
      const int start = y;
      while (y < height_ && InkOf(y, y + 1).amount > 0) ++y;
      if (y > start) {
        bands.push_back(InkOf(start, y).box);
      } else {
        ++y;
      }
    }
    return bands;
  }

 private:
  test_support::DibSurface surface_;
  int width_;
  int height_;
};

}  // namespace text_test
