#pragma once
// Cursor and icon drawings kept as text: one character per pixel.
//
//   # comment
//   colour <letter> RRGGBB        (icons: a letter and the colour it paints)
//   image <width> <height> [hotspot <x> <y>]
//   <height rows of <width> characters>
//
// Cursors are monochrome: '.' shows the screen, '#' is black, 'o' white and '~' inverts
// the screen. In icons '.' is transparent and every other letter must be a declared colour.
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace icontool {

struct ArtError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ArtImage {
  int width = 0;
  int height = 0;
  int hotX = 0;
  int hotY = 0;
  std::vector<std::string> rows;  // top row first
};

struct Art {
  std::map<char, uint32_t> colours;  // 0xRRGGBB
  std::vector<ArtImage> images;
};

enum class ArtKind { kCursor, kIcon };

// Parses and checks a drawing; errors name the line.
Art ParseArt(const std::string& text, ArtKind kind);

}  // namespace icontool
