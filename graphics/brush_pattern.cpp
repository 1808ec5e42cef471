// The brush's and the pattern cache's use of bitmaps, kept apart from the cache
// code so that only this file depends on the bitmap.
#include "graphics/bitmap.h"
#include "graphics/brush.h"
#include "graphics/canvas.h"

HBITMAP PatternBitmapHandle(TBitmap* bitmap) {
  // Pattern brushes take device-dependent bitmaps only.
  bitmap->SetHandleKind(hkDDB);
  return bitmap->NativeHandle();
}

void FreePatternBitmap(TBitmap* bitmap) { TObject::FreeObject(bitmap); }

TBitmap* MakeCheckerboardBitmap(COLORREF first, COLORREF second) {
  auto* bitmap = new TBitmap;
  try {
    bitmap->SetImageWidth(8);
    bitmap->SetImageHeight(8);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(static_cast<TColor>(first));
    canvas->FillRectangle({0, 0, 8, 8});
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        if ((x & 1) == (y & 1)) canvas->SetPixelAt(x, y, static_cast<TColor>(second));
    bitmap->MakeDormant();
  } catch (...) {
    TObject::FreeObject(bitmap);
    throw;
  }
  return bitmap;
}
