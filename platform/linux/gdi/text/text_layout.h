#pragma once
// Line layout for formatted text drawing: line breaks, word wrapping, tab expansion,
// accelerator prefixes, ellipses and alignment, over a table of character advances.
// Knows nothing of device contexts, so it can be checked on its own.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace gdi_text {

// Formatting flags, with the values the drawing call takes.
namespace layout_flags {
constexpr unsigned kCenter = 0x0001;
constexpr unsigned kRight = 0x0002;
constexpr unsigned kVCenter = 0x0004;
constexpr unsigned kBottom = 0x0008;
constexpr unsigned kWordBreak = 0x0010;
constexpr unsigned kSingleLine = 0x0020;
constexpr unsigned kExpandTabs = 0x0040;
constexpr unsigned kTabStop = 0x0080;
constexpr unsigned kExternalLeading = 0x0200;
constexpr unsigned kCalcRect = 0x0400;
constexpr unsigned kNoPrefix = 0x0800;
constexpr unsigned kPathEllipsis = 0x4000;
constexpr unsigned kEndEllipsis = 0x8000;
constexpr unsigned kWordEllipsis = 0x40000;
}  // namespace layout_flags

struct LayoutBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// What the layout needs to know of the font.
struct LayoutFont {
  std::array<int, 256> advance{};  // per byte of the text
  int height = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int tabChars = 8;  // tab stops lie this many average character widths apart
};

// A piece of a line drawn from one pen position (tabs split a line into runs).
struct LaidRun {
  std::string text;
  int x = 0;  // from the line's left edge
};

struct LaidLine {
  std::vector<LaidRun> runs;
  int x = 0;  // left edge, in the box's coordinates
  int y = 0;  // top edge
  int width = 0;
  int underlineX = -1;  // accelerator underline, from the line's left edge; -1: none
  int underlineWidth = 0;
};

struct TextLayout {
  std::vector<LaidLine> lines;
  int height = 0;    // what the drawing call returns
  LayoutBox extent;  // the box as measuring reports it
};

// Lays out `text` in `box` as the formatting flags ask. With the measuring flag every line
// is laid out; otherwise lines starting below the box are dropped, as they cannot show.
TextLayout LayOutText(std::string_view text, unsigned flags, const LayoutBox& box,
                      const LayoutFont& font);

}  // namespace gdi_text
