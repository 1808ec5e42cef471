// Formatted text layout: one logical line at a time (unless single-line), wrapped at
// spaces, with prefixes resolved first, then ellipses, then alignment.
#include "platform/linux/gdi/text/text_layout.h"

#include <algorithm>

namespace gdi_text {
namespace {

namespace lf = layout_flags;

constexpr std::string_view kEllipsis = "...";

// A logical line with its accelerator prefixes resolved.
struct Display {
  std::string text;
  size_t underline = std::string::npos;  // index of the accelerator character
};

Display ResolvePrefixes(std::string_view line, bool noPrefix) {
  Display display;
  if (noPrefix) {
    display.text.assign(line);
    return display;
  }
  display.text.reserve(line.size());
  for (size_t i = 0; i < line.size(); ++i) {
    // "&&" is a literal ampersand; "&x" marks x; a final "&" is drawn as it is.
    if (line[i] == '&' && i + 1 < line.size()) {
      ++i;
      if (line[i] != '&') display.underline = display.text.size();
    }
    display.text.push_back(line[i]);
  }
  return display;
}

class Measurer {
 public:
  Measurer(const LayoutFont& font, bool expandTabs)
      : font_(font), tabWidth_(expandTabs ? std::max(1, font.tabChars * font.aveCharWidth) : 0) {}

  // The pen position after `c` drawn at `x` (from the line's left edge).
  long long Next(long long x, char c) const {
    if (tabWidth_ > 0 && c == '\t') return (x / tabWidth_ + 1) * tabWidth_;
    return x + font_.advance[static_cast<unsigned char>(c)];
  }
  // Pen positions after each character: positions[k] is the width of the first k.
  std::vector<long long> Positions(std::string_view s) const {
    std::vector<long long> positions(s.size() + 1, 0);
    for (size_t i = 0; i < s.size(); ++i) positions[i + 1] = Next(positions[i], s[i]);
    return positions;
  }
  long long Width(std::string_view s) const { return Positions(s).back(); }
  bool ExpandsTabs() const { return tabWidth_ > 0; }

 private:
  const LayoutFont& font_;
  const int tabWidth_;
};

// The end of the first wrapped line of text[start..]: just after the space where it breaks
// (the one space counts in the line's width, as the reference measures it), or the end of
// a word too long for the width (words are not split).
size_t WrapEnd(std::string_view text, size_t start, long long width, const Measurer& measure) {
  size_t lastBreak = std::string_view::npos;
  long long x = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ') {
      if (i > start && text[i - 1] != ' ') lastBreak = i;
    } else {
      const long long next = measure.Next(x, c);
      if (next > width && i > start) {
        if (lastBreak != std::string_view::npos) return lastBreak + 1;
        size_t end = text.find(' ', i);
        return end == std::string_view::npos ? text.size() : end;
      }
    }
    x = measure.Next(x, c);
  }
  return text.size();
}

// Shortens a line that is too wide, as the ellipsis flag asks; keeps the accelerator index
// pointing at the same character, or drops it when the character is cut.
void ApplyEllipsis(Display& line, unsigned flags, long long width, const Measurer& measure) {
  const std::vector<long long> positions = measure.Positions(line.text);
  if (positions.back() <= width) return;
  const long long dots = measure.Width(kEllipsis);
  if (flags & lf::kPathEllipsis) {
    // Keep the last path element whole and cut the folders before it; text without a
    // folder is all last element, and only gains the leading ellipsis.
    size_t slash = line.text.find_last_of("\\/");
    if (slash == std::string::npos) slash = 0;
    const std::string tail = line.text.substr(slash);
    const long long tailWidth = measure.Width(tail);
    size_t keep = slash;
    while (keep > 0 && positions[keep] + dots + tailWidth > width) --keep;
    if (line.underline != std::string::npos) {
      if (line.underline >= slash) {
        line.underline = line.underline - slash + keep + kEllipsis.size();
      } else if (line.underline >= keep) {
        line.underline = std::string::npos;
      }
    }
    line.text = line.text.substr(0, keep) + std::string(kEllipsis) + tail;
    return;
  }
  size_t keep = line.text.size();
  while (keep > 0 && positions[keep] + dots > width) --keep;
  if (line.underline != std::string::npos && line.underline >= keep) {
    line.underline = std::string::npos;
  }
  line.text.resize(keep);
  line.text += kEllipsis;
}

// Splits a line into runs at tabs (when they are expanded) and places its underline.
LaidLine MakeLine(const Display& line, const Measurer& measure) {
  LaidLine laid;
  const std::vector<long long> positions = measure.Positions(line.text);
  laid.width = int(std::min<long long>(positions.back(), 0x3FFFFFFF));
  size_t runStart = 0;
  for (size_t i = 0; i <= line.text.size(); ++i) {
    const bool tab = i < line.text.size() && measure.ExpandsTabs() && line.text[i] == '\t';
    if (i == line.text.size() || tab) {
      if (i > runStart) {
        laid.runs.push_back({line.text.substr(runStart, i - runStart), int(positions[runStart])});
      }
      runStart = i + 1;
    }
  }
  if (line.underline < line.text.size()) {
    laid.underlineX = int(positions[line.underline]);
    laid.underlineWidth =
        std::max(0, int(positions[line.underline + 1] - positions[line.underline]) - 1);
  }
  return laid;
}

// The logical lines of the text: split at "\r\n", "\n" or "\r"; a final line break does
// not start another line.
std::vector<std::string_view> LogicalLines(std::string_view text, bool singleLine) {
  std::vector<std::string_view> lines;
  if (singleLine) {
    lines.push_back(text);
    return lines;
  }
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size())
      pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
  }
  return lines;
}

}  // namespace

TextLayout LayOutText(std::string_view text, unsigned flags, const LayoutBox& box,
                      const LayoutFont& font) {
  TextLayout layout;
  layout.extent = box;
  if (text.empty()) return layout;

  const bool measuring = flags & lf::kCalcRect;
  const bool singleLine = flags & lf::kSingleLine;
  const bool wrap = (flags & lf::kWordBreak) && !singleLine;
  const unsigned ellipsis = flags & (lf::kPathEllipsis | lf::kEndEllipsis | lf::kWordEllipsis);
  const long long width = static_cast<long long>(box.right) - box.left;
  const int lineHeight = font.height + ((flags & lf::kExternalLeading) ? font.externalLeading : 0);
  const Measurer measure(font, flags & lf::kExpandTabs);

  long long y = box.top;
  long long widest = 0;
  for (std::string_view logical : LogicalLines(text, singleLine)) {
    const Display display = ResolvePrefixes(logical, flags & lf::kNoPrefix);
    size_t start = 0;
    do {
      if (!measuring && y > box.bottom) break;
      const size_t end = wrap ? WrapEnd(display.text, start, width, measure) : display.text.size();
      Display line{display.text.substr(start, end - start), std::string::npos};
      if (display.underline >= start && display.underline < end) {
        line.underline = display.underline - start;
      }
      if (ellipsis) ApplyEllipsis(line, ellipsis, width, measure);
      LaidLine laid = MakeLine(line, measure);
      laid.y = int(y);
      widest = std::max<long long>(widest, laid.width);
      if (flags & lf::kCenter) {
        laid.x = int(box.left + (width - laid.width) / 2);
      } else if (flags & lf::kRight) {
        laid.x = int(box.right - laid.width);
      } else {
        laid.x = box.left;
      }
      layout.lines.push_back(std::move(laid));
      y += lineHeight;
      start = end;
      if (wrap) {
        while (start < display.text.size() && display.text[start] == ' ') ++start;
      }
    } while (start < display.text.size());
    if (!measuring && y > box.bottom) break;
  }

  long long offset = 0;
  if (singleLine && (flags & lf::kVCenter)) {
    offset = (static_cast<long long>(box.bottom) - box.top) / 2 - lineHeight / 2;
  } else if (singleLine && (flags & lf::kBottom)) {
    offset = static_cast<long long>(box.bottom) - box.top - lineHeight;
  }
  for (LaidLine& line : layout.lines) line.y = int(line.y + offset);
  const long long height = y - box.top + offset;
  layout.height = int(std::clamp<long long>(height, -0x3FFFFFFF, 0x3FFFFFFF));
  layout.extent.right = int(std::min<long long>(box.left + widest, 0x3FFFFFFF));
  layout.extent.bottom = int(std::clamp<long long>(box.top + height, -0x3FFFFFFF, 0x3FFFFFFF));
  return layout;
}

}  // namespace gdi_text
