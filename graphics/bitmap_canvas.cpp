// The bitmap's own canvas: a memory DC that holds the bitmap only while needed.
#include "graphics/bitmap.h"

void AddMemoryContextCanvas(TBitmapCanvas* canvas);
void RemoveMemoryContextCanvas(TBitmapCanvas* canvas);

TBitmapCanvas::TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::AcquireDeviceContext() {
  LockCanvas();
  try {
    bitmap_->EnsureHandle();
    HBITMAP handle = bitmap_->Image()->handle;
    // A native bitmap can be selected into one DC only.
    DeselectBitmap(handle);
    bitmap_->EnsurePalette();
    HDC dc = CheckHandle(CreateCompatibleDC(nullptr));
    if (handle) {
      // Refused when the bitmap is selected into a DC of someone else's; drawing
      // would otherwise go nowhere without a word.
      bitmapSelection_.emplace(dc, handle);
      if (!*bitmapSelection_) {
        const DWORD error = GetLastError();
        bitmapSelection_.reset();
        DeleteDC(dc);
        SetLastError(error);
        RaiseOutOfResources();
      }
      selected_ = handle;
    }
    HPALETTE palette = bitmap_->Image()->palette;
    if (palette) {
      paletteSelection_.emplace(dc, palette, TRUE);
      RealizePalette(dc);
    }
    SetHandle(dc);
    AddMemoryContextCanvas(this);
  } catch (...) {
    UnlockCanvas();
    throw;
  }
  UnlockCanvas();
}

void TBitmapCanvas::FreeContext() {
  HDC dc = HandleValue();
  if (!dc) return;
  LockCanvas();
  bitmapSelection_.reset();
  paletteSelection_.reset();
  selected_ = nullptr;
  SetHandle(nullptr);
  DeleteDC(dc);
  RemoveMemoryContextCanvas(this);
  UnlockCanvas();
}
