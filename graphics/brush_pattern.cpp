#include "graphics/brush.h"

// Until the bitmap code lands, a pattern bitmap yields no native handle and the
// brush falls back to its solid colour.
HBITMAP PatternBitmapHandle(TBitmap*) { return nullptr; }

void FreePatternBitmap(TBitmap*) {}

TBitmap* MakeCheckerboardBitmap(COLORREF, COLORREF) { return nullptr; }
