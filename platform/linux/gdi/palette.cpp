// Logical palettes. The display is a true-colour device, so realising a palette maps
// nothing and the system palette is not readable.
#include <cstring>

#include "platform/linux/gdi/bitmap.h"
#include "platform/linux/gdi/device_context.h"

using namespace linux_gdi;

extern "C" {

HPALETTE WINAPI CreatePalette(const LOGPALETTE* plpal) {
  if (!plpal) return nullptr;
  auto palette = std::make_unique<PaletteObject>();
  palette->entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
  return static_cast<HPALETTE>(AddObject(std::move(palette)));
}

HPALETTE WINAPI CreateHalftonePalette(HDC hdc) {
  (void)hdc;
  auto palette = std::make_unique<PaletteObject>();
  for (const RGBQUAD& q : DefaultColorTable(8))
    palette->entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  return static_cast<HPALETTE>(AddObject(std::move(palette)));
}

UINT WINAPI GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries,
                              LPPALETTEENTRY pPalEntries) {
  const PaletteObject* palette = FindPalette(hpal);
  if (!palette) return 0;
  const auto size = static_cast<UINT>(palette->entries.size());
  if (!pPalEntries) return size;
  if (iStart >= size) return 0;
  const UINT n = std::min(cEntries, size - iStart);
  std::memcpy(pPalEntries, &palette->entries[iStart], n * sizeof(PALETTEENTRY));
  return n;
}

UINT WINAPI SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries,
                              const PALETTEENTRY* pPalEntries) {
  PaletteObject* palette = FindPalette(hpal);
  if (!palette || !pPalEntries || palette->stock) return 0;
  const auto size = static_cast<UINT>(palette->entries.size());
  if (iStart >= size) return 0;
  const UINT n = std::min(cEntries, size - iStart);
  std::memcpy(&palette->entries[iStart], pPalEntries, n * sizeof(PALETTEENTRY));
  return n;
}

UINT WINAPI GetNearestPaletteIndex(HPALETTE h, COLORREF color) {
  const PaletteObject* palette = FindPalette(h);
  if (!palette || palette->entries.empty()) return CLR_INVALID;
  UINT best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i < palette->entries.size(); ++i) {
    const PALETTEENTRY& e = palette->entries[i];
    const int dr = e.peRed - GetRValue(color), dg = e.peGreen - GetGValue(color),
              db = e.peBlue - GetBValue(color);
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<UINT>(i);
    }
  }
  return best;
}

UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries,
                                    LPPALETTEENTRY pPalEntries) {
  (void)iStart;
  (void)cEntries;
  (void)pPalEntries;
  FindDC(hdc);
  return 0;
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd) {
  (void)bForceBkgd;
  DeviceContext* dc = FindDC(hdc);
  if (!dc || !FindPalette(hPal)) return nullptr;
  const HPALETTE previous = dc->state.palette;
  Retain(hPal);
  dc->state.palette = hPal;
  Release(previous);
  return previous;
}

UINT WINAPI RealizePalette(HDC hdc) {
  FindDC(hdc);
  return 0;
}

}  // extern "C"
