// Drawing a bitmap onto another canvas, plain or through its transparency mask.
#include <cstring>
#include <optional>

#include "graphics/bitmap.h"
#include "platform/gdi_handles.h"
#include "runtime/scope_exit.h"

namespace {

constexpr int kHalftone = 4;
constexpr int kColorOnColor = 3;

int BitsPerPixel(HDC dc) { return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES); }

// Where the mask is white the destination stays; elsewhere the source is copied.
void TransparentStretch(HDC dest, const RECT& r, HDC source, int width, int height, HDC mask) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const COLORREF oldText = SetTextColor(dest, 0);
  const COLORREF oldBack = SetBkColor(dest, 0xFFFFFF);
  StretchBlt(dest, r.left, r.top, w, h, source, 0, 0, width, height, SRCINVERT);
  StretchBlt(dest, r.left, r.top, w, h, mask, 0, 0, width, height, SRCAND);
  StretchBlt(dest, r.left, r.top, w, h, source, 0, 0, width, height, SRCINVERT);
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldBack);
}

}  // namespace

void TBitmap::DrawInto(TCanvas* canvas, const RECT& rect) {
  canvas->EnsureState(TCanvasState::All);
  HDC target = canvas->HandleValue();
  EnsurePalette();
  std::optional<PaletteGuard> realized;
  if (HPALETTE palette = image_->palette) {
    realized.emplace(target, palette, TRUE);
    RealizePalette(target);
  }
  const BITMAP& bm = image_->dib.dsBm;
  const int ownBits = bm.bmPlanes * bm.bmBitsPixel;
  const int targetBits = BitsPerPixel(target);
  bool restoreBrushOrigin = false;
  POINT brushOrigin = {0, 0};
  if (targetBits <= 8 && targetBits < ownBits) {
    GetBrushOrgEx(target, &brushOrigin);
    SetStretchBltMode(target, kHalftone);
    restoreBrushOrigin = true;
  } else if (!Monochrome()) {
    SetStretchBltMode(target, kColorOnColor);
  }
  ScopeExit restoreBrush([&] {
    if (restoreBrushOrigin) SetBrushOrgEx(target, brushOrigin.x, brushOrigin.y, nullptr);
  });
  if (IsTransparent()) TransparencyMask();
  TCanvas* own = Canvas();
  own->EnsureState(TCanvasState::All);
  HDC source = own->HandleValue();
  const int width = ImageWidth();
  const int height = ImageHeight();
  if (!IsTransparent()) {
    StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source,
               0, 0, width, height, canvas->CopyMode());
  } else {
    OwnedDC maskDC(CheckHandle(CreateCompatibleDC(nullptr)));
    SelectGuard mask(maskDC.Get(), image_->maskHandle);
    TransparentStretch(target, rect, source, width, height, maskDC.Get());
  }
}

HBITMAP TBitmap::TransparencyMask() {
  if (!maskValid_ || !image_->maskHandle) BuildMask();
  return image_->maskHandle;
}

void TBitmap::BuildMask() {
  EnsureHandle();
  if (image_->maskHandle) {
    DeselectBitmap(image_->maskHandle);
    DeleteObject(image_->maskHandle);
    image_->maskHandle = nullptr;
  }
  const int width = ImageWidth();
  const int height = ImageHeight();
  if (width == 0 || height == 0) return;
  const bool none = transparentColor_ == clNone;
  const COLORREF color = none ? 0 : static_cast<COLORREF>(TransparentColor());
  GdiObject<HBITMAP> mask(CheckHandle(CreateBitmap(width, height, 1, 1, nullptr)));
  {
    OwnedDC maskDC(CreateCompatibleDC(nullptr));
    SelectGuard maskSelected(maskDC.Get(), mask.Get());
    if (none) {
      PatBlt(maskDC.Get(), 0, 0, width, height, BLACKNESS);
    } else {
      // Colour-to-monochrome conversion by background colour is defined for
      // device-dependent bitmaps, so a DIB section is copied to one first.
      HBITMAP source = image_->handle;
      GdiObject<HBITMAP> temporary;
      if (source == image_->dibHandle) {
        DIBSECTION dib = image_->dib;
        dib.dsBmih.biSize = 0;
        dib.dsBm.bmBits = nullptr;
        DeselectBitmap(source);
        temporary.Reset(CopyBitmap(source, image_->palette, image_->palette, dib, nullptr));
        source = temporary.Get();
      } else {
        DeselectBitmap(source);
      }
      OwnedDC sourceDC(CreateCompatibleDC(nullptr));
      SelectGuard sourceSelected(sourceDC.Get(), source);
      SetBkColor(sourceDC.Get(), color);
      BitBlt(maskDC.Get(), 0, 0, width, height, sourceDC.Get(), 0, 0, SRCCOPY);
    }
  }
  image_->maskHandle = mask.Release();
  maskValid_ = true;
  maskBitsValid_ = true;
}
