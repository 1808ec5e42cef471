// The shared pixel store of bitmaps, the process-wide bitmap state, and the one
// routine that makes every new native bitmap.
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "platform/gdi_handles.h"
#include "runtime/critical_section.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

bool DdbOnlyBitmaps = false;

namespace {

HPALETTE systemPalette = nullptr;

constexpr PALETTEENTRY kVgaColors[16] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {128, 128, 128, 0},
    {192, 192, 192, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0},
};

// LOGPALETTE with room for `count` entries.
struct PaletteBuffer {
  explicit PaletteBuffer(int count)
      : bytes(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * std::max(count, 1)) {
    Log()->palVersion = 0x300;
    Log()->palNumEntries = static_cast<WORD>(count);
  }
  LOGPALETTE* Log() { return reinterpret_cast<LOGPALETTE*>(bytes.data()); }
  PALETTEENTRY* Entries() { return Log()->palPalEntry; }
  std::vector<unsigned char> bytes;
};

HPALETTE MakeSystemPalette() {
  PaletteBuffer pal(16);
  PALETTEENTRY* e = pal.Entries();
  std::copy(std::begin(kVgaColors), std::end(kVgaColors), e);
  WindowDC screen(nullptr, GetDC(nullptr));
  HDC dc = screen.Get();
  const int size = dc ? GetDeviceCaps(dc, SIZEPALETTE) : 0;
  if (size >= 16) {
    GetSystemPaletteEntries(dc, 0, 8, e);
    if (e[7].peRed == 0xC0 && e[7].peGreen == 0xC0 && e[7].peBlue == 0xC0) {
      GetSystemPaletteEntries(dc, size - 8, 1, &e[7]);
      GetSystemPaletteEntries(dc, 7, 1, &e[8]);
      GetSystemPaletteEntries(dc, size - 7, 7, &e[9]);
    } else {
      GetSystemPaletteEntries(dc, size - 8, 8, &e[8]);
    }
  }
  return CreatePalette(pal.Log());
}

// The canvases currently holding a memory DC.
struct CanvasList {
  CriticalSection lock;
  std::vector<TBitmapCanvas*> items;
};
std::unique_ptr<CanvasList> canvasList;
std::unique_ptr<CriticalSection> imageLock;

}  // namespace

void BitmapStartup() {
  if (!imageLock) imageLock = std::make_unique<CriticalSection>();
  if (!canvasList) canvasList = std::make_unique<CanvasList>();
  if (!systemPalette) systemPalette = MakeSystemPalette();
}

void BitmapShutdown() {
  if (systemPalette) DeleteObject(systemPalette);
  systemPalette = nullptr;
  canvasList.reset();
  imageLock.reset();
}

HPALETTE SystemPalette16() {
  if (!systemPalette) BitmapStartup();
  return systemPalette;
}

CriticalSection& BitmapImageLock() {
  if (!imageLock) BitmapStartup();
  return *imageLock;
}

void AddMemoryContextCanvas(TBitmapCanvas* canvas) {
  if (!canvasList) BitmapStartup();
  CriticalSectionGuard guard(canvasList->lock);
  canvasList->items.push_back(canvas);
}

void RemoveMemoryContextCanvas(TBitmapCanvas* canvas) {
  if (!canvasList) return;
  CriticalSectionGuard guard(canvasList->lock);
  std::erase(canvasList->items, canvas);
}

void FreeMemoryContexts() {
  if (!canvasList) return;
  CriticalSectionGuard guard(canvasList->lock);
  for (size_t i = canvasList->items.size(); i-- > 0;) {
    if (i >= canvasList->items.size()) continue;
    TBitmapCanvas* canvas = canvasList->items[i];
    if (canvas->TryLockCanvas()) {
      canvas->FreeContext();
      canvas->UnlockCanvas();
    }
  }
}

void DeselectBitmap(HBITMAP bitmap) {
  if (!bitmap || !canvasList) return;
  CriticalSectionGuard guard(canvasList->lock);
  for (size_t i = canvasList->items.size(); i-- > 0;) {
    if (i >= canvasList->items.size()) continue;
    TBitmapCanvas* canvas = canvasList->items[i];
    if (canvas->SelectedBitmap() == bitmap) canvas->FreeContext();
  }
}

void RaiseOutOfResources() {
  const DWORD code = GetLastError();
  char text[256] = {};
  DWORD length = 0;
  if (code != 0)
    length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0x400, text, sizeof text,
                            nullptr);
  std::string message(text, std::min<DWORD>(length, sizeof text));
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  if (message.empty()) throw EOutOfResources(msg::kOutOfResources, {});
  throw EOutOfResources(message);
}

// --- TBitmapImage -----------------------------------------------------------------

TBitmapImage::TBitmapImage() { std::memset(&dib, 0, sizeof dib); }

void TBitmapImage::FreeHandle() {
  if (handle && handle != dibHandle) {
    DeselectBitmap(handle);
    DeleteObject(handle);
  }
  if (maskHandle) {
    DeselectBitmap(maskHandle);
    DeleteObject(maskHandle);
  }
  if (palette && palette != systemPalette) DeleteObject(palette);
  handle = nullptr;
  maskHandle = nullptr;
  palette = nullptr;
}

TBitmapImage::~TBitmapImage() {
  if (dibHandle) {
    DeselectBitmap(dibHandle);
    DeleteObject(dibHandle);
    dibHandle = nullptr;
  }
  if (dib.dshSection) CloseHandle(dib.dshSection);
}

// --- palettes ---------------------------------------------------------------------

HPALETTE CopyPalette(HPALETTE palette) {
  if (!palette) return nullptr;
  WORD count = 0;
  if (!GetObjectA(palette, sizeof count, &count) || count == 0) return nullptr;
  PaletteBuffer copy(count);
  GetPaletteEntries(palette, 0, count, copy.Entries());
  return CreatePalette(copy.Log());
}

HPALETTE PaletteFromDibColorTable(HBITMAP dibHandle, int colors) {
  if (!dibHandle || colors <= 0) return nullptr;
  colors = std::min(colors, 256);
  RGBQUAD table[256] = {};
  OwnedDC dc(CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  SelectGuard selected(dc.Get(), dibHandle);
  const UINT got = GetDIBColorTable(dc.Get(), 0, colors, table);
  if (got == 0) return nullptr;
  PaletteBuffer pal(static_cast<int>(got));
  for (UINT i = 0; i < got; ++i)
    pal.Entries()[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  return CreatePalette(pal.Log());
}

// --- making a new bitmap ----------------------------------------------------------

namespace {

// A memory DC showing a bitmap, through a realized palette when one is given, until it
// goes; a bitmap that cannot be selected is out of resources.
struct BitmapDC {
  BitmapDC(HDC compatible, HBITMAP bitmap, HPALETTE palette)
      : dc(CheckHandle(CreateCompatibleDC(compatible))), selected(dc.Get(), bitmap) {
    if (!selected) RaiseOutOfResources();
    if (palette) {
      realized.emplace(dc.Get(), palette, FALSE);
      RealizePalette(dc.Get());
    }
  }
  HDC Get() const { return dc.Get(); }

  OwnedDC dc;
  SelectGuard selected;
  std::optional<PaletteGuard> realized;
};

void SetCanvasColors(HDC dc, TCanvas* canvas) {
  SetTextColor(dc, ResolveColor(canvas->Font()->Color()));
  SetBkColor(dc, ResolveColor(canvas->Brush()->Color()));
}

RGBQUAD QuadOf(COLORREF c) { return {GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

// The colour table of an indexed copy: black and white for a new monochrome bitmap, else
// the new palette's colours, else the source's own table.
void FillIndexedColors(BITMAPINFO* info, HDC screen, HBITMAP source, const DIBSECTION& old,
                       HPALETTE newPalette) {
  BITMAPINFOHEADER& h = info->bmiHeader;
  RGBQUAD* colors = info->bmiColors;
  if (h.biBitCount == 1 && (!source || old.dsBm.bmBits == nullptr)) {
    colors[0] = {0, 0, 0, 0};
    colors[1] = {255, 255, 255, 0};
  } else if (newPalette) {
    PALETTEENTRY entries[256] = {};
    const UINT n = GetPaletteEntries(newPalette, 0, 256, entries);
    for (UINT i = 0; i < n; ++i)
      colors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  } else if (source) {
    if (old.dsBm.bmBits) {
      BitmapDC sourceDC(screen, source, nullptr);
      h.biClrUsed = GetDIBColorTable(sourceDC.Get(), 0, 256, colors);
    } else {
      GetDIBits(screen, source, 0, std::abs(h.biHeight), nullptr, info, DIB_RGB_COLORS);
    }
  }
}

// The channel masks of a 16- or 32-bit bit-field copy: the described ones, else the usual.
void FillMasks(BITMAPINFO* info, const DIBSECTION& dib) {
  DWORD* masks = reinterpret_cast<DWORD*>(info->bmiColors);
  const bool wide = info->bmiHeader.biBitCount == 32;
  masks[0] = dib.dsBitfields[0] ? dib.dsBitfields[0] : (wide ? 0xFF0000 : 0xF800);
  masks[1] = dib.dsBitfields[1] ? dib.dsBitfields[1] : (wide ? 0x00FF00 : 0x07E0);
  masks[2] = dib.dsBitfields[2] ? dib.dsBitfields[2] : (wide ? 0x0000FF : 0x001F);
}

// The BITMAPINFO of a DIB section copy as `dib` describes it (depth defaulting to the
// screen's), with its colour table or masks; `dib` takes the header's size.
std::vector<unsigned char> DescribeDibCopy(HDC screen, HBITMAP source, const DIBSECTION& old,
                                           HPALETTE newPalette, DIBSECTION& dib) {
  std::vector<unsigned char> infoBytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(infoBytes.data());
  BITMAPINFOHEADER& h = info->bmiHeader;
  h = dib.dsBmih;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biPlanes = 1;
  if (h.biBitCount == 0)
    h.biBitCount =
        static_cast<WORD>(GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES));
  dib.dsBm.bmWidth = h.biWidth;
  dib.dsBm.bmHeight = h.biHeight;
  if (h.biBitCount <= 8)
    FillIndexedColors(info, screen, source, old, newPalette);
  else if ((h.biBitCount == 16 || h.biBitCount == 32) && h.biCompression == BI_BITFIELDS)
    FillMasks(info, dib);
  return infoBytes;
}

// A device-dependent bitmap of `dib`'s size: monochrome when so described, else in the
// screen's format.
HBITMAP CreateDeviceBitmap(HDC screen, const DIBSECTION& dib) {
  const int width = dib.dsBm.bmWidth;
  const int height = std::abs(dib.dsBm.bmHeight);
  if (dib.dsBm.bmPlanes == 1 && dib.dsBm.bmBitsPixel == 1)
    return CheckHandle(CreateBitmap(width, height, 1, 1, nullptr));
  return CheckHandle(CreateCompatibleBitmap(screen, width, height));
}

// Draws the copy into `result`: the canvas's brush (or white) first, then the source
// through its palette.
void DrawCopy(HDC screen, HBITMAP result, bool isDibSection, HBITMAP source, HPALETTE oldPalette,
              HPALETTE newPalette, const DIBSECTION& dib, TCanvas* canvas) {
  const int width = dib.dsBm.bmWidth;
  const int height = std::abs(dib.dsBm.bmHeight);
  BitmapDC memory(screen, result, newPalette);
  if (canvas) {
    const RECT all = {0, 0, width, height};
    FillRect(memory.Get(), &all, canvas->Brush()->Handle());
    SetCanvasColors(memory.Get(), canvas);
    if (isDibSection && dib.dsBmih.biBitCount == 1) {
      const RGBQUAD two[2] = {QuadOf(GetTextColor(memory.Get())), QuadOf(GetBkColor(memory.Get()))};
      SetDIBColorTable(memory.Get(), 0, 2, two);
    }
  } else {
    PatBlt(memory.Get(), 0, 0, width, height, WHITENESS);
  }
  if (source) {
    BitmapDC sourceDC(screen, source, oldPalette);
    if (canvas) SetCanvasColors(sourceDC.Get(), canvas);
    BitBlt(memory.Get(), 0, 0, width, height, sourceDC.Get(), 0, 0, SRCCOPY);
  }
}

}  // namespace

HBITMAP CopyBitmap(HBITMAP source, HPALETTE oldPalette, HPALETTE newPalette, DIBSECTION& dib,
                   TCanvas* canvas) {
  const bool described = dib.dsBmih.biSize != 0;
  if (described ? (dib.dsBmih.biWidth == 0 || dib.dsBmih.biHeight == 0)
                : (dib.dsBm.bmWidth == 0 || dib.dsBm.bmHeight == 0))
    return nullptr;

  DeselectBitmap(source);
  DIBSECTION old;
  std::memset(&old, 0, sizeof old);
  if (source && GetObjectA(source, sizeof old, &old) < static_cast<int>(sizeof(BITMAP)))
    throw EInvalidGraphic(msg::kInvalidBitmap, {});

  WindowDC screen(nullptr, CheckHandle(GetDC(nullptr)));
  GdiObject<HBITMAP> result;
  bool isDibSection = false;
  if (dib.dsBmih.biSize >= sizeof(BITMAPINFOHEADER)) {
    std::vector<unsigned char> infoBytes =
        DescribeDibCopy(screen.Get(), source, old, newPalette, dib);
    auto* info = reinterpret_cast<BITMAPINFO*>(infoBytes.data());
    const BITMAPINFOHEADER& h = info->bmiHeader;
    void* bits = nullptr;
    result.Reset(CreateDIBSection(screen.Get(), info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!result.Get() || !bits) RaiseOutOfResources();
    isDibSection = true;
    // Same size and more than 256 colours: the bits convert straight across.
    if (source && old.dsBm.bmWidth == h.biWidth &&
        std::abs(old.dsBm.bmHeight) == std::abs(h.biHeight) && h.biBitCount > 8) {
      GetDIBits(screen.Get(), source, 0, std::abs(h.biHeight), bits, info, DIB_RGB_COLORS);
      GetObjectA(result.Get(), sizeof dib, &dib);
      return result.Release();
    }
  } else {
    result.Reset(CreateDeviceBitmap(screen.Get(), dib));
  }
  DrawCopy(screen.Get(), result.Get(), isDibSection, source, oldPalette, newPalette, dib, canvas);
  GetObjectA(result.Get(), sizeof dib, &dib);
  return result.Release();
}
