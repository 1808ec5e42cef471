#include "graphics/bitmap.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "classes/metadata_builder.h"
#include "platform/gdi_handles.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

CriticalSection& BitmapImageLock();

namespace {

constexpr int kBitCounts[] = {0, 1, 4, 8, 16, 16, 24, 32, 0};

// Whether a DIB section keeps its top row first in memory. A negative height says so;
// a positive one may be the system's description of either kind, so then the memory
// is compared with the bottom-up copy of the rows the system gives out.
bool SectionRowsTopDown(HBITMAP section, const DIBSECTION& dib) {
  if (!section || !dib.dsBm.bmBits) return false;
  if (dib.dsBmih.biHeight < 0) return true;
  const int height = dib.dsBmih.biHeight;
  const size_t size = static_cast<size_t>(DibRowBytes(dib.dsBmih.biWidth, dib.dsBmih.biBitCount)) *
                      static_cast<size_t>(height);
  if (height < 2 || size == 0) return false;
  std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader = dib.dsBmih;
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  std::vector<unsigned char> bottomUp(size);
  DeselectBitmap(section);
  if (GetDIBits(WindowDC(nullptr).Get(), section, 0, static_cast<UINT>(height), bottomUp.data(), bi,
                DIB_RGB_COLORS) != height)
    return false;
  GdiFlush();
  return std::memcmp(bottomUp.data(), dib.dsBm.bmBits, size) != 0;
}

}  // namespace

const ClassMetadata& TBitmap::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TBitmap>("TBitmap", &TGraphic::StaticMeta(), "graphics").Build();
  return meta;
}

const TGraphicClass& TBitmap::StaticClass() {
  static const TGraphicClass cls{&TBitmap::StaticMeta, []() -> TGraphic* { return new TBitmap; }};
  return cls;
}

TBitmap::TBitmap() : image_(new TBitmapImage) {
  image_->Reference();
  if (DdbOnlyBitmaps) SetHandleKind(hkDDB);
}

TBitmap::~TBitmap() {
  canvas_.reset();
  TSharedImage::Release(image_);
}

void TBitmap::NotifyChange() {
  maskBitsValid_ = false;
  TGraphic::NotifyChange();
}

bool TBitmap::IsEmpty() { return !image_->handle && !image_->dibHandle && !image_->saveStream; }

int TBitmap::ImageWidth() { return image_->dib.dsBm.bmWidth; }

int TBitmap::ImageHeight() { return std::abs(image_->dib.dsBm.bmHeight); }

bool TBitmap::Monochrome() const {
  const BITMAP& bm = image_->dib.dsBm;
  return bm.bmPlanes == 1 && bm.bmBitsPixel == 1;
}

TBitmapHandleKind TBitmap::HandleKind() const {
  if (image_->handle && image_->handle != image_->dibHandle) return hkDDB;
  if (image_->dibHandle || image_->dib.dsBmih.biSize != 0) return hkDIB;
  return hkDDB;
}

TPixelLayout TBitmap::PixelLayout() const {
  if (HandleKind() == hkDDB) return pxDevice;
  const BITMAPINFOHEADER& h = image_->dib.dsBmih;
  switch (h.biBitCount) {
    case 1:
      return px1Bit;
    case 4:
      return px4Bit;
    case 8:
      return px8Bit;
    case 16:
      if (h.biCompression == BI_RGB) return px15Bit;
      if (h.biCompression != BI_BITFIELDS) return pxCustom;
      if (image_->dib.dsBitfields[1] == 0x07E0) return px16Bit;
      // The platform may describe a plain 16-bit section by its 5-5-5 masks.
      if (image_->dib.dsBitfields[0] == 0x7C00 && image_->dib.dsBitfields[1] == 0x03E0 &&
          image_->dib.dsBitfields[2] == 0x001F)
        return px15Bit;
      return pxCustom;
    case 24:
      return px24Bit;
    case 32:
      return h.biCompression == BI_RGB ? px32Bit : pxCustom;
    default:
      return pxCustom;
  }
}

void TBitmap::ReleaseCanvasContext() {
  if (canvas_) canvas_->FreeContext();
}

void TBitmap::ReplaceImage(HBITMAP handle, HPALETTE palette, const DIBSECTION& dib, bool os2Format,
                           std::unique_ptr<TMemoryStream> saveStream) {
  auto* image = new TBitmapImage;
  image->handle = handle;
  image->palette = palette;
  image->dib = dib;
  image->os2Format = os2Format;
  image->saveStream = std::move(saveStream);
  if (image->dib.dsBm.bmBits) image->dibHandle = handle;
  {
    CriticalSectionGuard guard(BitmapImageLock());
    TSharedImage::Release(image_);
    image_ = image;
    image_->Reference();
  }
  maskValid_ = false;
}

void TBitmap::EnsureHandle() {
  if (!image_->handle && !image_->dibHandle && image_->saveStream) {
    // The saved stream may be shared with copies: read it, never take it away.
    // Reading replaces this bitmap's image only after every byte is in.
    TMemoryStream* saved = image_->saveStream.get();
    const TNotifyEvent onChange = OnChange;
    OnChange = TNotifyEvent();
    try {
      saved->SetPosition(0);
      ReadBmp(*saved, saved->Size());
    } catch (...) {
      OnChange = onChange;
      throw;
    }
    OnChange = onChange;
  }
  if (!image_->handle) image_->handle = image_->dibHandle;
}

void TBitmap::EnsurePalette() {
  if (noPalette_ || image_->palette || !image_->dibHandle) return;
  if (image_->handle == image_->dibHandle) DeselectBitmap(image_->dibHandle);
  const int bits = image_->dib.dsBmih.biBitCount;
  if (bits > 0 && bits <= 8)
    image_->palette = PaletteFromDibColorTable(image_->dibHandle, 1 << bits);
  if (!image_->palette) {
    WindowDC screenDC(nullptr);
    HDC screen = screenDC.Get();
    const int screenBits =
        screen ? GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) : 0;
    if (image_->halftone || (screen && screenBits < bits)) {
      image_->halftone = true;
      image_->palette = CreateHalftonePalette(screen);
    }
  }
  if (!image_->palette) noPalette_ = true;
}

void TBitmap::EnsureDib() {
  if (!image_->handle || image_->dibHandle) return;
  EnsurePalette();
  DIBSECTION& dib = image_->dib;
  if (dib.dsBmih.biSize == 0) {
    GetObjectA(image_->handle, sizeof dib, &dib);
    dib.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    dib.dsBmih.biWidth = dib.dsBm.bmWidth;
    dib.dsBmih.biHeight = dib.dsBm.bmHeight;
    dib.dsBmih.biPlanes = 1;
    dib.dsBmih.biBitCount = static_cast<WORD>(dib.dsBm.bmPlanes * dib.dsBm.bmBitsPixel);
  }
  DIBSECTION copy = dib;
  HBITMAP section = CopyBitmap(image_->handle, image_->palette, image_->palette, copy, nullptr);
  image_->dibHandle = section;
  // The handle in use stays the DDB; the section is its addressable copy.
  dib.dsBm.bmBits = copy.dsBm.bmBits;
  dib.dsBmih = copy.dsBmih;
  std::memcpy(dib.dsBitfields, copy.dsBitfields, sizeof dib.dsBitfields);
}

void TBitmap::PrepareForChange() {
  // A dormant image is read back first (which also makes it private); freeing its
  // saved stream below would otherwise lose the pixels.
  if (image_->saveStream && !image_->handle && !image_->dibHandle) EnsureHandle();
  TBitmapImage* image = image_;
  if (image->RefCount() > 1) {
    DIBSECTION dib = image->dib;
    GdiObject<HPALETTE> palette(image->halftone ? nullptr : CopyPalette(image->palette));
    HBITMAP handle = CopyBitmap(image->handle, image->palette, palette.Get(), dib, nullptr);
    ReplaceImage(handle, palette.Release(), dib, image->os2Format);
  } else if (image->handle && image->dibHandle && image->handle != image->dibHandle) {
    DeselectBitmap(image->dibHandle);
    if (!DeleteObject(image->dibHandle)) RaiseOutOfResources();
    image->dibHandle = nullptr;
    image->dib.dsBm.bmBits = nullptr;
  }
  image_->dib.dsBmih.biClrUsed = 0;
  image_->dib.dsBmih.biClrImportant = 0;
  image_->saveStream.reset();
}

void TBitmap::CanvasChanging(TObject*) { PrepareForChange(); }

void TBitmap::CanvasChanged(TObject*) { NotifyChange(); }

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    EnsureHandle();
    canvas_.reset(new TBitmapCanvas(this));
    canvas_->OnChange = TNotifyEvent::Bind<&TBitmap::CanvasChanged>(this);
    canvas_->OnChanging = TNotifyEvent::Bind<&TBitmap::CanvasChanging>(this);
  }
  return canvas_.get();
}

void TBitmap::SetImageWidth(int value) { SetImageSize(value, ImageHeight()); }

void TBitmap::SetImageHeight(int value) { SetImageSize(ImageWidth(), value); }

void TBitmap::SetImageSize(int width, int height) {
  if (width == ImageWidth() && height == ImageHeight()) return;
  EnsureHandle();
  DIBSECTION dib = image_->dib;
  dib.dsBm.bmWidth = width;
  dib.dsBm.bmHeight = height;
  dib.dsBmih.biWidth = width;
  dib.dsBmih.biHeight = height;
  HPALETTE palette = image_->palette;
  HBITMAP handle = CopyBitmap(image_->handle, palette, palette, dib, canvas_.get());
  HPALETTE kept = palette == SystemPalette16() ? palette : CopyPalette(palette);
  ReplaceImage(handle, kept, dib, image_->os2Format);
  NotifyChange();
}

void TBitmap::SetPixelLayout(TPixelLayout layout) {
  if (layout == PixelLayout()) return;
  if (layout == pxDevice) {
    SetHandleKind(hkDDB);
    return;
  }
  if (layout == pxCustom) throw EInvalidGraphic(msg::kInvalidPixelFormat, {});
  DIBSECTION dib;
  std::memset(&dib, 0, sizeof dib);
  dib.dsBm = image_->dib.dsBm;
  dib.dsBm.bmBits = nullptr;
  dib.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
  dib.dsBmih.biWidth = ImageWidth();
  dib.dsBmih.biHeight = ImageHeight();
  dib.dsBmih.biPlanes = 1;
  dib.dsBmih.biBitCount = static_cast<WORD>(kBitCounts[layout]);
  HPALETTE palette = image_->palette;
  GdiObject<HPALETTE> halftone;  // made for the conversion only
  if (layout == px4Bit) {
    palette = SystemPalette16();
  } else if (layout == px8Bit) {
    halftone.Reset(CreateHalftonePalette(WindowDC(nullptr).Get()));
    palette = halftone.Get();
  } else if (layout == px16Bit) {
    dib.dsBmih.biCompression = BI_BITFIELDS;
    dib.dsBitfields[0] = 0xF800;
    dib.dsBitfields[1] = 0x07E0;
    dib.dsBitfields[2] = 0x001F;
  }
  EnsureHandle();
  HBITMAP handle = CopyBitmap(image_->handle, image_->palette, palette, dib, canvas_.get());
  HPALETTE kept = palette == SystemPalette16() ? palette : CopyPalette(palette);
  halftone.Reset();
  // An empty bitmap keeps only the wanted description until it has a size.
  if (!handle) dib.dsBm.bmBits = nullptr;
  ReplaceImage(handle, kept, dib, false);
  if (kept) SetPaletteModified(true);
  NotifyChange();
}

void* TBitmap::ScanLineAddress(int row) {
  PrepareForChange();
  const int height = ImageHeight();
  if (row < 0 || row >= height) throw EInvalidGraphicOperation(msg::kScanLineOutOfRange, {});
  EnsureHandle();
  EnsureDib();
  GdiFlush();
  const DIBSECTION& dib = image_->dib;
  if (!image_->topDown) row = height - row - 1;
  auto* bits = static_cast<unsigned char*>(dib.dsBm.bmBits);
  return bits +
         static_cast<ptrdiff_t>(row) * DibRowBytes(dib.dsBmih.biWidth, dib.dsBmih.biBitCount);
}

HBITMAP TBitmap::NativeHandle() {
  ReleaseCanvasContext();
  EnsureHandle();
  PrepareForChange();
  return image_->handle;
}

HPALETTE TBitmap::PaletteHandle() {
  EnsurePalette();
  return image_->palette;
}

void TBitmap::SetHandleKind(TBitmapHandleKind kind) {
  if (kind == HandleKind()) return;
  // A dormant bitmap is not empty: it is read back and converted, or the kind
  // would be lost when its saved stream is read back later.
  if (IsEmpty()) {
    image_->dib.dsBmih.biSize = kind == hkDDB ? 0 : sizeof(BITMAPINFOHEADER);
    return;
  }
  EnsureHandle();  // may replace the image
  TBitmapImage* image = image_;
  EnsurePalette();
  if (kind == hkDDB) {
    DIBSECTION dib = image->dib;
    dib.dsBmih.biSize = 0;
    dib.dsBm.bmBits = nullptr;
    HBITMAP ddb = CopyBitmap(image->dibHandle, image->palette, image->palette, dib, nullptr);
    if (image->RefCount() == 1) {
      image->handle = ddb;
    } else {
      DIBSECTION described = image->dib;
      ReplaceImage(ddb, CopyPalette(image->palette), described, image->os2Format);
      // The new image has no section: the description stays for a later DIB copy.
      image_->dib.dsBm.bmBits = nullptr;
      image_->dibHandle = nullptr;
    }
  } else {
    EnsureDib();
    if (image->RefCount() == 1) {
      HBITMAP section = image->dibHandle;
      HPALETTE palette = image->palette;
      DIBSECTION dib = image->dib;
      GetObjectA(section, sizeof dib, &dib);
      const bool topDown = image->topDown;
      // Hand the section and palette over so releasing the old image keeps them.
      image->dibHandle = nullptr;
      image->palette = nullptr;
      ReplaceImage(section, palette, dib, image->os2Format);
      image_->topDown = topDown;
    } else {
      DIBSECTION dib = image->dib;
      HPALETTE palette = CopyPalette(image->palette);
      HBITMAP copy = CopyBitmap(image->dibHandle, image->palette, palette, dib, nullptr);
      ReplaceImage(copy, palette, dib, image->os2Format);
    }
  }
  NotifyChange();
}

void TBitmap::SetNativeHandle(HBITMAP handle) {
  if (handle == image_->handle) return;
  ReleaseCanvasContext();
  DIBSECTION dib;
  std::memset(&dib, 0, sizeof dib);
  if (handle) GetObjectA(handle, sizeof dib, &dib);
  const bool topDown = SectionRowsTopDown(handle, dib);
  dib.dsBmih.biHeight = std::abs(dib.dsBmih.biHeight);
  HPALETTE palette;
  if (image_->RefCount() == 1) {
    palette = image_->palette;
    image_->palette = nullptr;
  } else {
    palette = image_->palette == SystemPalette16() ? image_->palette : CopyPalette(image_->palette);
  }
  ReplaceImage(handle, palette, dib, false);
  image_->topDown = topDown;
  NotifyChange();
}

void TBitmap::SetPaletteHandle(HPALETTE palette) {
  if (palette == image_->palette) return;
  if (!palette && image_->RefCount() == 1) {
    if (image_->palette != SystemPalette16()) DeleteObject(image_->palette);
    image_->palette = nullptr;
  } else {
    EnsureHandle();
    DIBSECTION dib = image_->dib;
    HBITMAP handle = CopyBitmap(image_->handle, image_->palette, palette, dib, nullptr);
    ReplaceImage(handle, palette, dib, image_->os2Format);
  }
  if (image_->dibHandle && image_->dib.dsBmih.biBitCount <= 8 && palette) {
    PALETTEENTRY entries[256] = {};
    const UINT n = GetPaletteEntries(palette, 0, 256, entries);
    RGBQUAD table[256];
    for (UINT i = 0; i < n; ++i)
      table[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    OwnedDC dc(CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.Get(), image_->dibHandle);
    SetDIBColorTable(dc.Get(), 0, n, table);
  }
  SetPaletteModified(true);
  NotifyChange();
}

void TBitmap::Assign(const TPersistent* source) {
  auto* bitmap = dynamic_cast<const TBitmap*>(source);
  if (source && !bitmap) {
    TGraphic::Assign(source);
    return;
  }
  ReleaseCanvasContext();
  {
    CriticalSectionGuard guard(BitmapImageLock());
    if (bitmap) {
      bitmap->image_->Reference();
      TSharedImage::Release(image_);
      image_ = bitmap->image_;
      StoreTransparentFlag(const_cast<TBitmap*>(bitmap)->IsTransparent());
      transparentColor_ = bitmap->transparentColor_;
      transparentMode_ = bitmap->transparentMode_;
    } else {
      TSharedImage::Release(image_);
      image_ = new TBitmapImage;
      image_->Reference();
    }
  }
  maskValid_ = false;
  if (image_->palette) SetPaletteModified(true);
  NotifyChange();
}

void TBitmap::MakeDormant() {
  auto saved = std::make_unique<TMemoryStream>();
  WriteBmp(*saved);
  saved->SetCapacity(saved->Size());
  DIBSECTION dib = image_->dib;
  dib.dsBm.bmBits = nullptr;
  canvas_.reset();
  ReplaceImage(nullptr, nullptr, dib, image_->os2Format, std::move(saved));
}

TColor TBitmap::TransparentColor() {
  // 0x02000000 asks the platform for the nearest palette colour.
  constexpr TColor kPaletteRelative = 0x02000000;
  if (transparentColor_ == clDefault) {
    if (Monochrome()) return kPaletteRelative | 0xFFFFFF;
    return static_cast<TColor>(Canvas()->PixelAt(0, ImageHeight() - 1)) | kPaletteRelative;
  }
  return static_cast<TColor>(ResolveColor(transparentColor_)) | kPaletteRelative;
}

void TBitmap::SetTransparentColor(TColor color) {
  if (color == transparentColor_) return;
  transparentColor_ = color;
  maskValid_ = false;
  NotifyChange();
}

void TBitmap::LoadClipboardData(uint16_t format, HANDLE data, HPALETTE palette) {
  if (format != CF_BITMAP || !data) throw EInvalidGraphic(msg::kInvalidBitmap, {});
  // Adopt a copy: the clipboard keeps its own.
  DIBSECTION dib;
  std::memset(&dib, 0, sizeof dib);
  GetObjectA(data, sizeof dib, &dib);
  dib.dsBmih.biSize = 0;
  HBITMAP copy =
      CopyBitmap(static_cast<HBITMAP>(data), palette, CopyPalette(palette), dib, nullptr);
  SetNativeHandle(copy);
}

void TBitmap::SaveClipboardData(uint16_t& format, HANDLE& data, HPALETTE& palette) {
  EnsureHandle();
  format = CF_BITMAP;
  DIBSECTION dib = image_->dib;
  dib.dsBmih.biSize = 0;
  dib.dsBm.bmBits = nullptr;
  data = CopyBitmap(image_->handle, image_->palette, image_->palette, dib, nullptr);
  palette = CopyPalette(image_->palette);
}
