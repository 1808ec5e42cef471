#include "platform/linux/gdi/surface.h"

#include <bit>
#include <climits>

namespace linux_gdi {

namespace {

// A colour channel held in `mask`: truncated on the way in, widened by repeating its
// top bits on the way out, so white stays white in every format.
uint32_t PutChannel(uint32_t channel, uint32_t mask) {
  if (!mask) return 0;
  const int shift = std::countr_zero(mask);
  const int len = std::popcount(mask);
  const uint32_t value = len >= 8 ? channel << (len - 8) : channel >> (8 - len);
  return (value << shift) & mask;
}

uint32_t GetChannel(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  const int shift = std::countr_zero(mask);
  const int len = std::popcount(mask);
  uint32_t value = (pixel & mask) >> shift;
  if (len >= 8) return value >> (len - 8);
  uint32_t out = value << (8 - len);
  for (int filled = len; filled < 8; filled += len) out |= out >> len;
  return out & 0xFF;
}

}  // namespace

int DibStride(int width, int bitsPerPixel) {
  return static_cast<int>(((static_cast<int64_t>(width) * bitsPerPixel + 31) / 32) * 4);
}

uint32_t Surface::ValueMask() const {
  return bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << bitsPerPixel) - 1;
}

uint32_t Surface::ReadRaw(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (bitsPerPixel) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8:
      return row[x];
    case 16:
      return static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24:
      return static_cast<uint32_t>(row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16));
    default: {
      const uint8_t* p = row + 4 * x;
      return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
             (static_cast<uint32_t>(p[3]) << 24);
    }
  }
}

void Surface::WriteRaw(int x, int y, uint32_t value) const {
  uint8_t* row = Row(y);
  switch (bitsPerPixel) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>((value & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      uint8_t& b = row[x >> 1];
      b = static_cast<uint8_t>((x & 1) ? (b & 0xF0) | (value & 0x0F)
                                       : (b & 0x0F) | ((value & 0x0F) << 4));
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(value);
      row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<uint8_t>(value);
      row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
      break;
    default: {
      uint8_t* p = row + 4 * x;
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      p[3] = static_cast<uint8_t>(value >> 24);
    }
  }
}

uint32_t Surface::Encode(COLORREF color) const {
  const uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  if (bitsPerPixel <= 8) {
    // Exact entry first, else the nearest by squared distance (first of equals).
    uint32_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < colors.size(); ++i) {
      const int64_t dr = static_cast<int>(colors[i].rgbRed) - static_cast<int>(r);
      const int64_t dg = static_cast<int>(colors[i].rgbGreen) - static_cast<int>(g);
      const int64_t db = static_cast<int>(colors[i].rgbBlue) - static_cast<int>(b);
      const int64_t distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<uint32_t>(i);
        if (distance == 0) break;
      }
    }
    return best;
  }
  if (bitsPerPixel == 24) return (r << 16) | (g << 8) | b;
  return PutChannel(r, masks[0]) | PutChannel(g, masks[1]) | PutChannel(b, masks[2]);
}

uint32_t Surface::EncodeFrom(const Surface& source, uint32_t raw) const {
  const COLORREF color = source.Decode(raw);
  return source.bitsPerPixel <= 8 ? Encode(color) : EncodeConverted(color);
}

uint32_t Surface::EncodeConverted(COLORREF color) const {
  if (bitsPerPixel != 8) return Encode(color);
  return Encode((color & 0x00F8F8F8) | 0x00040404);
}

uint32_t Surface::EncodeDrawing(COLORREF color, COLORREF background) const {
  if (bitsPerPixel != 1) return Encode(color);
  for (size_t i = 0; i < colors.size(); ++i) {
    if (RGB(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue) == color)
      return static_cast<uint32_t>(i);
  }
  const uint32_t backgroundPixel = Encode(background);
  return color == background ? backgroundPixel : backgroundPixel ^ 1;
}

COLORREF Surface::Decode(uint32_t value) const {
  if (bitsPerPixel <= 8) {
    if (value >= colors.size()) return RGB(0, 0, 0);
    const RGBQUAD& q = colors[value];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  if (bitsPerPixel == 24) return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
  return RGB(GetChannel(value, masks[0]), GetChannel(value, masks[1]), GetChannel(value, masks[2]));
}

}  // namespace linux_gdi
