// Moving pixels between bitmaps and caller-held DIBs: GetDIBits, SetDIBits (with
// run-length decoding) and DIB colour tables.
#include <algorithm>
#include <cstring>

#include "platform/linux/gdi/bitmap.h"
#include "platform/linux/gdi/device_context.h"

using namespace linux_gdi;

namespace {

// A caller's DIB described as a surface over its memory.
Surface DibSurface(const BITMAPINFO& info, const void* bits, std::vector<RGBQUAD> colors) {
  const BITMAPINFOHEADER& h = info.bmiHeader;
  Surface s;
  s.width = h.biWidth;
  s.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  s.bitsPerPixel = h.biBitCount;
  s.stride = DibStride(s.width, s.bitsPerPixel);
  s.topDown = h.biHeight < 0;
  s.bits = static_cast<uint8_t*>(const_cast<void*>(bits));
  SetDefaultMasks(s);
  if (h.biCompression == BI_BITFIELDS)
    std::memcpy(s.masks, reinterpret_cast<const uint8_t*>(&info) + h.biSize, sizeof s.masks);
  s.colors = std::move(colors);
  return s;
}

bool SameFormat(const Surface& a, const Surface& b) {
  if (a.bitsPerPixel != b.bitsPerPixel) return false;
  if (a.bitsPerPixel > 8) return std::memcmp(a.masks, b.masks, sizeof a.masks) == 0;
  return a.colors.size() == b.colors.size() &&
         std::equal(a.colors.begin(), a.colors.end(), b.colors.begin(),
                    [](const RGBQUAD& x, const RGBQUAD& y) {
                      return x.rgbRed == y.rgbRed && x.rgbGreen == y.rgbGreen &&
                             x.rgbBlue == y.rgbBlue;
                    });
}

void CopyRow(const Surface& from, int fromY, const Surface& to, int toY, int width) {
  if (SameFormat(from, to)) {
    const size_t bytes =
        static_cast<size_t>((static_cast<int64_t>(width) * from.bitsPerPixel + 7) / 8);
    if (from.bitsPerPixel >= 8 || width == from.width) {
      std::memcpy(to.Row(toY), from.Row(fromY),
                  std::min<size_t>(bytes, static_cast<size_t>(std::min(from.stride, to.stride))));
      return;
    }
  }
  for (int x = 0; x < width; ++x) to.WriteRaw(x, toY, to.EncodeFrom(from, from.ReadRaw(x, fromY)));
}

// Expands run-length data into `out` (bottom-up, one row per stride); stops at the
// end-of-bitmap code or the end of the data. Pixels the data skips stay unset in `set`.
void DecodeRle(const uint8_t* data, size_t size, bool fourBit, Surface& out,
               std::vector<uint8_t>& set) {
  int x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](uint32_t value) {
    if (x < out.width && y < out.height) {
      const int row = out.height - 1 - y;
      out.WriteRaw(x, row, value);
      set[static_cast<size_t>(row) * out.width + x] = 1;
    }
    ++x;
  };
  size_t i = 0;
  while (i + 1 < size && y < out.height) {
    const uint8_t count = data[i], value = data[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(fourBit ? ((k & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (i + 1 >= size) break;
      x += data[i];
      y += data[i + 1];
      i += 2;
    } else {  // a literal run, padded to 16 bits
      const size_t bytes = fourBit ? (value + 1u) / 2 : value;
      if (i + bytes > size) break;
      for (int k = 0; k < value; ++k)
        put(fourBit ? ((k & 1) ? data[i + k / 2] & 0x0F : data[i + k / 2] >> 4) : data[i + k]);
      i += (bytes + 1) & ~size_t{1};
    }
  }
}

// Colour table GetDIBits reports for a format: the bitmap's own when it has one of the
// same depth, else the default one.
std::vector<RGBQUAD> TableFor(const BitmapObject& bitmap, int bitsPerPixel) {
  if (bitmap.surface.bitsPerPixel == bitsPerPixel && !bitmap.surface.colors.empty())
    return bitmap.surface.colors;
  return DefaultColorTable(bitsPerPixel);
}

}  // namespace

extern "C" {

int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits,
                     LPBITMAPINFO lpbmi, UINT usage) {
  (void)usage;
  if (!FindDC(hdc)) return 0;
  const BitmapObject* bitmap = FindBitmap(hbm);
  if (!bitmap || !lpbmi || lpbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  const Surface& s = bitmap->surface;
  if (!lpvBits && h.biBitCount == 0) {
    // A format query: the bitmap's own description.
    h.biWidth = s.width;
    h.biHeight = bitmap->dibSection ? bitmap->dibHeight : s.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.bitsPerPixel);
    h.biCompression = bitmap->dibSection
                          ? bitmap->compression
                          : (s.bitsPerPixel == 16 || s.bitsPerPixel == 32 ? BI_BITFIELDS : BI_RGB);
    h.biSizeImage =
        static_cast<DWORD>(DibStride(s.width, s.bitsPerPixel)) * static_cast<DWORD>(s.height);
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    return s.height;
  }
  const int bpp = h.biBitCount;
  if (!(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32) ||
      (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32))))
    return 0;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return 0;
  std::vector<RGBQUAD> table;
  if (bpp <= 8) {
    table = TableFor(*bitmap, bpp);
    std::memcpy(lpbmi->bmiColors, table.data(), table.size() * sizeof(RGBQUAD));
  }
  h.biSizeImage =
      static_cast<DWORD>(DibStride(h.biWidth, bpp)) * static_cast<DWORD>(std::abs(h.biHeight));
  if (!lpvBits) return 1;
  Surface out = DibSurface(*lpbmi, lpvBits, std::move(table));
  if (h.biCompression == BI_BITFIELDS && out.masks[0] == 0 && out.masks[1] == 0 &&
      out.masks[2] == 0)
    SetDefaultMasks(out);
  const int height = s.height;
  if (start >= static_cast<UINT>(height)) return 0;
  const int lines = static_cast<int>(
      std::min<UINT>(cLines, static_cast<UINT>(std::min(height, out.height)) -
                                 std::min(start, static_cast<UINT>(std::min(height, out.height)))));
  const int width = std::min(s.width, out.width);
  const bool topDown = h.biHeight < 0;
  for (int r = 0; r < lines; ++r) {
    const int line =
        static_cast<int>(start) + r;  // counted from the top or the bottom, like the DIB
    const int sourceY = topDown ? line : height - 1 - line;
    const int outY = topDown ? line : out.height - 1 - line;
    CopyRow(s, sourceY, out, outY, width);
  }
  return lines;
}

int WINAPI SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits,
                     const BITMAPINFO* lpbmi, UINT ColorUse) {
  BitmapObject* bitmap = FindBitmap(hbm);
  if (!bitmap || !lpBits || !lpbmi || !ValidDibHeader(lpbmi->bmiHeader, true)) return 0;
  const BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  const Surface& s = bitmap->surface;
  std::vector<RGBQUAD> colors = ReadColorTable(*lpbmi, ColorUse, hdc);
  if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
    // Run-length data always runs bottom-up over the whole height.
    const int width = h.biWidth, height = std::abs(h.biHeight);
    if (static_cast<int64_t>(DibStride(width, h.biBitCount)) * height > kMaxBitmapBytes) return 0;
    std::vector<uint8_t> expanded(static_cast<size_t>(DibStride(width, h.biBitCount)) * height);
    std::vector<uint8_t> set(static_cast<size_t>(width) * height);
    Surface plain = DibSurface(*lpbmi, expanded.data(), colors);
    plain.height = height;
    plain.topDown = true;
    DecodeRle(static_cast<const uint8_t*>(lpBits), h.biSizeImage, h.biCompression == BI_RLE4, plain,
              set);
    const int rows = std::min(height, s.height), cols = std::min(width, s.width);
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < cols; ++x)
        if (set[static_cast<size_t>(y) * width + x])
          s.WriteRaw(x, y, s.Encode(plain.ReadColor(x, y)));
    return rows;
  }
  const Surface in = DibSurface(*lpbmi, lpBits, std::move(colors));
  const int height = std::min(in.height, s.height);
  if (start >= static_cast<UINT>(height)) return 0;
  const int lines = static_cast<int>(std::min<UINT>(cLines, static_cast<UINT>(height) - start));
  const int width = std::min(in.width, s.width);
  const bool topDown = h.biHeight < 0;
  for (int r = 0; r < lines; ++r) {
    const int line = static_cast<int>(start) + r;
    const int inY = topDown ? line : in.height - 1 - line;
    const int targetY = topDown ? line : s.height - 1 - line;
    CopyRow(in, inY, s, targetY, width);
  }
  return lines;
}

UINT WINAPI GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq) {
  const DeviceContext* dc = FindDC(hdc);
  const BitmapObject* bitmap = dc ? FindBitmap(dc->state.bitmap) : nullptr;
  if (!bitmap || !bitmap->dibSection || !prgbq) return 0;
  const auto& colors = bitmap->surface.colors;
  if (iStart >= colors.size()) return 0;
  const UINT n = std::min<UINT>(cEntries, static_cast<UINT>(colors.size()) - iStart);
  std::memcpy(prgbq, &colors[iStart], n * sizeof(RGBQUAD));
  return n;
}

UINT WINAPI SetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, const RGBQUAD* prgbq) {
  const DeviceContext* dc = FindDC(hdc);
  BitmapObject* bitmap = dc ? FindBitmap(dc->state.bitmap) : nullptr;
  if (!bitmap || !bitmap->dibSection || !prgbq) return 0;
  auto& colors = bitmap->surface.colors;
  if (iStart >= colors.size()) return 0;
  const UINT n = std::min<UINT>(cEntries, static_cast<UINT>(colors.size()) - iStart);
  std::memcpy(&colors[iStart], prgbq, n * sizeof(RGBQUAD));
  for (UINT i = 0; i < n; ++i) colors[iStart + i].rgbReserved = 0;
  return n;
}

}  // extern "C"
