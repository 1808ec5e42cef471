#pragma once
// The surfaces tests draw on: DIB sections of any format, and a 32-bit top-down one
// selected into a memory DC whose pixels a test reads straight from memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/gdi_handles.h"
#include "platform/win32.h"

namespace test_support {

struct Dib {
  HBITMAP bitmap = nullptr;
  uint8_t* bits = nullptr;
  size_t size = 0;
};

// A DIB section, bottom-up unless `height` is negative; the caller deletes it. Formats of
// 8 bits or fewer get `colors` (default: a grey ramp), 16 and 32 bits take `masks` as bit
// fields when given.
inline Dib MakeDib(int bpp, int width, int height, const std::vector<RGBQUAD>& colors = {},
                   const DWORD* masks = nullptr) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info = {};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bpp);
  info.header.biCompression = masks ? BI_BITFIELDS : BI_RGB;
  if (masks) {
    for (int i = 0; i < 3; ++i) reinterpret_cast<DWORD*>(info.colors)[i] = masks[i];
  } else if (bpp <= 8) {
    const int n = 1 << bpp;
    for (int i = 0; i < n; ++i) {
      if (i < static_cast<int>(colors.size())) {
        info.colors[i] = colors[static_cast<size_t>(i)];
      } else {
        const BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
        info.colors[i] = {v, v, v, 0};
      }
    }
  }
  Dib dib;
  void* bits = nullptr;
  dib.bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                &bits, nullptr, 0);
  dib.bits = static_cast<uint8_t*>(bits);
  dib.size = static_cast<size_t>(((width * bpp + 31) / 32) * 4) *
             static_cast<size_t>(height < 0 ? -height : height);
  return dib;
}

// A 32-bit top-down DIB section selected into a memory DC. Its pixels are read from
// memory, so a test calls GdiFlush after drawing and before reading.
class DibSurface {
 public:
  DibSurface(int width, int height)
      : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    const Dib dib = MakeDib(32, width, -height);
    bitmap_.Reset(dib.bitmap);
    if (!bitmap_ || dib.bits == nullptr) throw std::runtime_error("no DIB section");
    bits_ = reinterpret_cast<uint32_t*>(dib.bits);
    previous_ = SelectObject(dc_.Get(), bitmap_.Get());
  }
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  ~DibSurface() { SelectObject(dc_.Get(), previous_); }

  HDC Dc() const { return dc_.Get(); }
  HBITMAP Bitmap() const { return bitmap_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel as stored, 0x00RRGGBB (the top byte dropped).
  uint32_t Raw(int x, int y) const {
    return bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] &
           0xFFFFFFu;
  }
  // The pixel as a COLORREF (0x00BBGGRR).
  COLORREF At(int x, int y) const {
    const uint32_t p = Raw(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Sets every pixel to `raw` (0x00RRGGBB) in memory.
  void FillRaw(uint32_t raw) {
    GdiFlush();
    std::fill(bits_, bits_ + static_cast<size_t>(width_) * static_cast<size_t>(height_), raw);
  }

 private:
  int width_;
  int height_;
  OwnedDC dc_;
  GdiObject<HBITMAP> bitmap_;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace test_support
