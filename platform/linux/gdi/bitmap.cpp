// Bitmap and DIB section creation and description.
#include "platform/linux/gdi/bitmap.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/linux/gdi/device_context.h"

namespace linux_gdi {

namespace {

int RoundBitCount(UINT bits) {
  if (bits == 1) return 1;
  if (bits <= 4) return 4;
  if (bits <= 8) return 8;
  if (bits <= 16) return 16;
  if (bits <= 24) return 24;
  if (bits <= 32) return 32;
  return 0;
}

// Rows of a device-dependent bitmap as GetBitmapBits and CreateBitmap see them: 16-bit aligned.
int DdbStride(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 15) / 16) * 2; }

void CopyDdbRows(const Surface& surface, const void* source) {
  const int rowBytes = DdbStride(surface.width, surface.bitsPerPixel);
  const auto* src = static_cast<const uint8_t*>(source);
  const size_t n = static_cast<size_t>(std::min(rowBytes, surface.stride));
  for (int y = 0; y < surface.height; ++y)
    std::memcpy(surface.Row(y), src + static_cast<size_t>(y) * rowBytes, n);
}

HBITMAP AddBitmap(std::unique_ptr<BitmapObject> bitmap) {
  if (!bitmap) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return static_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

}  // namespace

std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel) {
  std::vector<RGBQUAD> colors;
  if (bitsPerPixel > 8) return colors;
  const PALETTEENTRY* system = SystemColors();
  auto add = [&](const PALETTEENTRY& e) { colors.push_back({e.peBlue, e.peGreen, e.peRed, 0}); };
  if (bitsPerPixel == 1) {
    add(system[0]);
    add(system[19]);
  } else if (bitsPerPixel == 4) {
    // The sixteen colours of a 4-bit display: dark ones, the two greys, bright ones.
    for (int i = 0; i < 7; ++i) add(system[i]);
    add(system[12]);
    add(system[7]);
    for (int i = 13; i < 20; ++i) add(system[i]);
  } else {
    // The reserved colours at both ends, an 8 x 8 x 4 colour grid between them.
    for (int i = 0; i < 10; ++i) add(system[i]);
    for (int i = 10; i < 246; ++i)
      colors.push_back({static_cast<BYTE>(((i >> 6) & 3) * 64),
                        static_cast<BYTE>(((i >> 3) & 7) * 32), static_cast<BYTE>((i & 7) * 32),
                        0});
    for (int i = 10; i < 20; ++i) add(system[i]);
  }
  return colors;
}

void SetDefaultMasks(Surface& surface) {
  if (surface.bitsPerPixel == 16) {
    surface.masks[0] = 0x7C00;
    surface.masks[1] = 0x03E0;
    surface.masks[2] = 0x001F;
  } else if (surface.bitsPerPixel == 32 || surface.bitsPerPixel == 24) {
    surface.masks[0] = 0xFF0000;
    surface.masks[1] = 0x00FF00;
    surface.masks[2] = 0x0000FF;
  }
}

bool PixelStorage::Allocate(size_t size) {
  memory_.reset(static_cast<uint8_t*>(std::calloc(size ? size : 1, 1)));
  size_ = memory_ ? size : 0;
  return memory_ != nullptr;
}

std::unique_ptr<BitmapObject> NewBitmapObject(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0) return nullptr;
  const int64_t stride = ((static_cast<int64_t>(width) * bitsPerPixel + 31) / 32) * 4;
  if (stride * height > kMaxBitmapBytes) return nullptr;
  auto bitmap = std::make_unique<BitmapObject>();
  if (!bitmap->storage.Allocate(static_cast<size_t>(stride * height))) return nullptr;
  Surface& s = bitmap->surface;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = bitsPerPixel;
  s.stride = static_cast<int>(stride);
  s.topDown = true;
  s.bits = bitmap->storage.data();
  SetDefaultMasks(s);
  s.colors = DefaultColorTable(bitsPerPixel);
  return bitmap;
}

int DescribeBitmap(const BitmapObject& bitmap, int size, void* out) {
  const Surface& s = bitmap.surface;
  BITMAP bm{0, s.width, s.height, 0, 1, static_cast<WORD>(s.bitsPerPixel), nullptr};
  if (bitmap.dibSection) {
    bm.bmWidthBytes = s.stride;
    bm.bmBits = s.bits;
  } else {
    bm.bmWidthBytes = DdbStride(s.width, s.bitsPerPixel);
  }
  if (!out) return sizeof(BITMAP);
  if (bitmap.dibSection && size >= static_cast<int>(sizeof(DIBSECTION))) {
    DIBSECTION ds{};
    ds.dsBm = bm;
    BITMAPINFOHEADER& h = ds.dsBmih;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = s.width;
    h.biHeight = s.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.bitsPerPixel);
    // A 16-bit section always names its masks.
    h.biCompression = s.bitsPerPixel == 16 ? BI_BITFIELDS : bitmap.compression;
    h.biSizeImage = static_cast<DWORD>(s.stride) * static_cast<DWORD>(s.height);
    h.biClrUsed = static_cast<DWORD>(s.colors.size());
    if (h.biCompression == BI_BITFIELDS)
      std::memcpy(ds.dsBitfields, s.masks, sizeof ds.dsBitfields);
    std::memcpy(out, &ds, sizeof ds);
    return sizeof ds;
  }
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  std::memcpy(out, &bm, sizeof bm);
  return sizeof bm;
}

void CopyPattern(const BitmapObject& bitmap, BrushObject& brush) {
  brush.pattern = bitmap.surface;
  brush.patternMono = !bitmap.dibSection && bitmap.surface.bitsPerPixel == 1;
  brush.patternBits.assign(bitmap.storage.begin(), bitmap.storage.end());
  if (bitmap.storage.empty()) {  // bits owned elsewhere: copy row by row
    brush.patternBits.resize(static_cast<size_t>(bitmap.surface.stride) * bitmap.surface.height);
    for (int y = 0; y < bitmap.surface.height; ++y)
      std::memcpy(&brush.patternBits[static_cast<size_t>(y) * bitmap.surface.stride],
                  bitmap.surface.Row(y), static_cast<size_t>(bitmap.surface.stride));
    brush.pattern.topDown = true;
  } else {
    brush.pattern.topDown = bitmap.surface.topDown;
  }
  brush.pattern.bits = brush.patternBits.data();
}

bool ValidDibHeader(const BITMAPINFOHEADER& h, bool allowRle) {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1)
    return false;
  switch (h.biBitCount) {
    case 1:
    case 24:
      return h.biCompression == BI_RGB;
    case 4:
      return h.biCompression == BI_RGB || (allowRle && h.biCompression == BI_RLE4);
    case 8:
      return h.biCompression == BI_RGB || (allowRle && h.biCompression == BI_RLE8);
    case 16:
    case 32:
      return h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS;
    default:
      return false;
  }
}

std::vector<RGBQUAD> ReadColorTable(const BITMAPINFO& info, UINT usage, HDC dc) {
  const BITMAPINFOHEADER& h = info.bmiHeader;
  if (h.biBitCount > 8) return {};
  const DWORD full = 1u << h.biBitCount;
  const DWORD count = h.biClrUsed && h.biClrUsed < full ? h.biClrUsed : full;
  const auto* table = reinterpret_cast<const uint8_t*>(&info) + h.biSize;
  std::vector<RGBQUAD> colors(count);
  if (usage == DIB_PAL_COLORS) {
    const DeviceContext* context = dc ? FindDC(dc) : nullptr;
    const PaletteObject* palette =
        FindPalette(context ? context->state.palette : Stock(DEFAULT_PALETTE));
    for (DWORD i = 0; i < count; ++i) {
      WORD index;
      std::memcpy(&index, table + 2 * i, sizeof index);
      if (palette && index < palette->entries.size()) {
        const PALETTEENTRY& e = palette->entries[index];
        colors[i] = {e.peBlue, e.peGreen, e.peRed, 0};
      }
    }
  } else {
    std::memcpy(colors.data(), table, count * sizeof(RGBQUAD));
    for (RGBQUAD& q : colors) q.rgbReserved = 0;
  }
  return colors;
}

}  // namespace linux_gdi

using namespace linux_gdi;

extern "C" {

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                            const void* lpBits) {
  const int width = std::abs(nWidth), height = std::abs(nHeight);
  if (width == 0 || height == 0) return static_cast<HBITMAP>(Stock(kDefaultBitmap));
  const int bits = RoundBitCount(nPlanes * nBitCount);
  if (nPlanes != 1 || bits == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::unique_ptr<BitmapObject> bitmap = NewBitmapObject(width, height, bits);
  if (bitmap) bitmap->surface.deviceBitmap = true;
  if (bitmap && lpBits) CopyDdbRows(bitmap->surface, lpBits);
  return AddBitmap(std::move(bitmap));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return nullptr;
  const int width = std::abs(cx), height = std::abs(cy);
  if (width == 0 || height == 0) return static_cast<HBITMAP>(Stock(kDefaultBitmap));
  const BitmapObject* selected = dc->Type() == OBJ_MEMDC ? FindBitmap(dc->state.bitmap) : nullptr;
  std::unique_ptr<BitmapObject> bitmap = NewBitmapObject(
      width, height, selected ? selected->surface.bitsPerPixel : dc->deviceBitsPerPixel);
  if (bitmap) bitmap->surface.deviceBitmap = true;
  if (bitmap && selected && selected->dibSection) {
    // A DC showing a DIB section makes DIB sections of the same format.
    bitmap->dibSection = true;
    bitmap->surface.deviceBitmap = false;
    bitmap->compression = selected->compression;
    bitmap->dibHeight = -height;
    std::memcpy(bitmap->surface.masks, selected->surface.masks, sizeof bitmap->surface.masks);
    bitmap->surface.colors = selected->surface.colors;
  }
  return AddBitmap(std::move(bitmap));
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                HANDLE hSection, DWORD offset) {
  (void)hSection;
  (void)offset;
  if (ppvBits) *ppvBits = nullptr;
  if (!pbmi || !ValidDibHeader(pbmi->bmiHeader, false) || usage > DIB_PAL_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BITMAPINFOHEADER& h = pbmi->bmiHeader;
  const int height = h.biHeight == INT32_MIN ? 0 : std::abs(h.biHeight);
  std::unique_ptr<BitmapObject> bitmap = NewBitmapObject(h.biWidth, height, h.biBitCount);
  if (!bitmap) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  bitmap->dibSection = true;
  bitmap->compression = h.biCompression;
  bitmap->dibHeight = h.biHeight;
  Surface& s = bitmap->surface;
  s.topDown = h.biHeight < 0;
  if (h.biCompression == BI_BITFIELDS) {
    std::memcpy(s.masks, reinterpret_cast<const uint8_t*>(pbmi) + sizeof(BITMAPINFOHEADER),
                sizeof s.masks);
  }
  if (h.biBitCount <= 8) s.colors = ReadColorTable(*pbmi, usage, hdc);
  if (ppvBits) *ppvBits = s.bits;
  return AddBitmap(std::move(bitmap));
}

HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit,
                              const void* pjBits, const BITMAPINFO* pbmi, UINT iUsage) {
  if (!pbmih) return nullptr;
  HBITMAP bitmap = CreateCompatibleBitmap(hdc, pbmih->biWidth, pbmih->biHeight);
  if (bitmap && (flInit & 4 /* CBM_INIT */) && pjBits && pbmi)
    SetDIBits(hdc, bitmap, 0, static_cast<UINT>(std::abs(pbmih->biHeight)), pjBits, pbmi, iUsage);
  return bitmap;
}

LONG WINAPI GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits) {
  const BitmapObject* bitmap = FindBitmap(hbit);
  if (!bitmap) return 0;
  const Surface& s = bitmap->surface;
  const int rowBytes = DdbStride(s.width, s.bitsPerPixel);
  const LONG total = rowBytes * s.height;
  if (!lpvBits) return total;
  const LONG n = std::min(cb, total);
  auto* out = static_cast<uint8_t*>(lpvBits);
  for (LONG done = 0, y = 0; done < n; ++y) {
    const LONG chunk = std::min<LONG>(rowBytes, n - done);
    std::memcpy(out + done, s.Row(y), static_cast<size_t>(std::min<LONG>(chunk, s.stride)));
    done += chunk;
  }
  return n;
}

LONG WINAPI SetBitmapBits(HBITMAP hbm, DWORD cb, const void* pvBits) {
  const BitmapObject* bitmap = FindBitmap(hbm);
  if (!bitmap || !pvBits) return 0;
  const Surface& s = bitmap->surface;
  const LONG rowBytes = DdbStride(s.width, s.bitsPerPixel);
  const LONG n =
      std::min<LONG>(static_cast<LONG>(std::min<DWORD>(cb, INT32_MAX)), rowBytes * s.height);
  const auto* in = static_cast<const uint8_t*>(pvBits);
  for (LONG done = 0, y = 0; done < n; ++y) {
    const LONG chunk = std::min<LONG>(rowBytes, n - done);
    std::memcpy(s.Row(y), in + done, static_cast<size_t>(std::min<LONG>(chunk, s.stride)));
    done += chunk;
  }
  return n;
}

}  // extern "C"
