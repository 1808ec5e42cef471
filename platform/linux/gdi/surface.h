#pragma once
// Pixel storage shared by bitmaps, DIB sections and (later) window surfaces: rows of
// 1, 4, 8, 16, 24 or 32 bits per pixel, with a colour table for the indexed formats and
// channel masks for 16 and 32 bits. Drawing code converts a COLORREF once to the
// surface's pixel value (Encode) and then works on raw values, as raster operations on
// indexed formats act on indices.
#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace linux_gdi {

struct Surface {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  int stride = 0;           // bytes from one row to the next, as laid out in memory
  bool topDown = true;      // row 0 first in memory
  uint8_t* bits = nullptr;  // the first byte in memory (row height-1 for bottom-up)
  // Channel masks for 16 and 32 bits (BI_RGB defaults filled in: 555 and 888).
  uint32_t masks[3] = {0, 0, 0};
  std::vector<RGBQUAD> colors;  // colour table of the indexed formats
  bool deviceBitmap = false;    // a device-dependent bitmap rather than a DIB

  uint8_t* Row(int y) const {
    return bits + static_cast<ptrdiff_t>(topDown ? y : height - 1 - y) * stride;
  }
  uint32_t ReadRaw(int x, int y) const;
  void WriteRaw(int x, int y, uint32_t value) const;
  // The pixel value that shows `color` (0x00BBGGRR) best: exact for direct formats
  // within their precision, the nearest colour-table entry for indexed ones.
  uint32_t Encode(COLORREF color) const;
  // Pixels converted from a direct-colour format: for 8-bit surfaces the colour is
  // first reduced to 5 bits per channel (the centre of its cell), as conversions look
  // colours up in a 32 x 32 x 32 table of nearest entries.
  uint32_t EncodeConverted(COLORREF color) const;
  // A pixel of another surface in this format: an indexed source maps each of its
  // entries to the nearest, a direct one goes through the table above.
  uint32_t EncodeFrom(const Surface& source, uint32_t raw) const;
  // The colour a pixel value shows, as 0x00BBGGRR.
  COLORREF Decode(uint32_t value) const;
  COLORREF ReadColor(int x, int y) const { return Decode(ReadRaw(x, y)); }
  // Pen colours (and brush colours on 1-bit DIBs) on a 1-bit surface: a colour the table
  // holds exactly keeps its entry; any other is the background's pixel if it is the
  // background colour, else the other one, so non-background colours stay visible.
  uint32_t EncodeDrawing(COLORREF color, COLORREF background) const;
  // Mask of the bits a pixel value uses (0xFFFFFFFF for 32 bits).
  uint32_t ValueMask() const;
};

// Bytes per row of a DIB: padded to 32 bits.
int DibStride(int width, int bitsPerPixel);

}  // namespace linux_gdi
