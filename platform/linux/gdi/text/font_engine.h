#pragma once
// Realised fonts: a face found by name, sized as the logical font asks, with the metrics
// the text functions report and a cache of rendered glyphs.
#include <compare>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace gdi_text {

// What a logical font asks for, reduced to what changes the realised font.
struct FontRequest {
  std::string face;
  int height = 0;  // < 0: character height; > 0: cell height; 0: the default height
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  unsigned char charset = 0;  // the character set reported in the metrics

  auto operator<=>(const FontRequest&) const = default;
};

// The text metrics in the units and meaning the API reports them.
struct FontMetrics {
  int height = 0;
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = 0;
  unsigned char firstChar = 0;
  unsigned char lastChar = 0;
  unsigned char defaultChar = 0;
  unsigned char breakChar = 0;
  unsigned char pitchAndFamily = 0;
  unsigned char charset = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  // Decoration lines, in pixels below (+) or above (-) the baseline, and their thickness.
  int underlineOffset = 0;
  int underlineThickness = 1;
  int strikeOutOffset = 0;
  int strikeOutThickness = 1;
};

// A rendered glyph: 8-bit coverage rows, placed relative to the pen position on the baseline.
struct Glyph {
  int advance = 0;      // what measuring counts
  int drawAdvance = 0;  // how far drawing moves the pen (differs for embedded bitmaps)
  int left = 0;         // first column, right of the pen
  int top = 0;          // first row, above the baseline
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;  // width * height, row by row
};

class FontFace;

class Font {
 public:
  explicit Font(const FontRequest& request);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const FontMetrics& Metrics() const { return metrics_; }
  // The advance of one character, in pixels (without rendering it).
  int Advance(char16_t ch);
  // The rendered glyph of one character (kept until the font goes).
  const Glyph& GlyphOf(char16_t ch);

 private:
  const Glyph& Load(char16_t ch);
  int LoadAdvance(char16_t ch);

  std::mutex lock_;
  std::unique_ptr<FontFace> face_;
  FontMetrics metrics_;
  std::unordered_map<char16_t, Glyph> glyphs_;
  std::unordered_map<char16_t, int> advances_;
};

// The realised font for a request, shared with other users of the same request. A small
// number of recently used fonts is kept.
std::shared_ptr<Font> RealiseFont(const FontRequest& request);

}  // namespace gdi_text
