#pragma once
// The decoded picture behind a cursor or icon handle, for the windowing code that turns it
// into a native pointer shape or draws it.
#include <cstdint>
#include <vector>

#include "platform/linux/win32_types.h"

namespace linux_cursor {

struct CursorImage {
  bool isIcon = false;
  // The IDC_/IDI_ number of a shared system shape (no pixels: the display driver maps it
  // to one of its own shapes); 0 for images loaded from the program's resources.
  unsigned systemId = 0;
  int width = 0;
  int height = 0;
  int hotX = 0;  // icons: the centre
  int hotY = 0;
  int bitCount = 0;  // of the stored image
  // Masks as the resource holds them, top row first, (width + 7) / 8 bytes a row, leftmost
  // pixel in the top bit. Where AND is clear the pixel is black (XOR clear), white (XOR
  // set, monochrome images) or its colour; where AND is set the screen shows through,
  // inverted where XOR is set.
  std::vector<uint8_t> andMask;
  std::vector<uint8_t> xorMask;  // monochrome images only
  // The same picture as 0xAARRGGBB, top row first: transparent where the screen shows
  // through (inverted pixels are shown black).
  std::vector<uint32_t> pixels;
  // An icon from a group resource: the group's other images, so a display can offer each
  // size it has (a task bar's small and large icons).
  std::vector<CursorImage> otherSizes;

  bool AndBit(int x, int y) const { return Bit(andMask, x, y); }
  bool XorBit(int x, int y) const { return Bit(xorMask, x, y); }

 private:
  bool Bit(const std::vector<uint8_t>& mask, int x, int y) const {
    size_t at =
        static_cast<size_t>(y) * static_cast<size_t>((width + 7) / 8) + static_cast<size_t>(x / 8);
    return at < mask.size() && (mask[at] & (0x80 >> (x % 8))) != 0;
  }
};

// The image behind a live handle from LoadCursorA or LoadIconA; nullptr for anything else.
const CursorImage* CursorImageOf(HICON handle);

}  // namespace linux_cursor
