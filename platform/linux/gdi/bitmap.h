#pragma once
// Bitmaps: device-dependent bitmaps (monochrome or the display's depth) and DIB sections
// share one pixel store; they differ in how they describe themselves and whether the
// caller sees the bits.
#include <memory>

#include "platform/linux/gdi/objects.h"

namespace linux_gdi {

// Largest pixel store we allocate; bigger requests fail before allocating.
constexpr int64_t kMaxBitmapBytes = int64_t{1} << 30;

// A zeroed bitmap in DIB row layout (top-down), or nullptr when the size is refused.
// Formats of 8 bits or fewer get a default colour table (black and white for 1 bit).
std::unique_ptr<BitmapObject> NewBitmapObject(int width, int height, int bitsPerPixel);
// Fills in a BITMAP or DIBSECTION as GetObjectA does; returns the bytes written.
int DescribeBitmap(const BitmapObject& bitmap, int size, void* out);
// Takes a private copy of a bitmap's pixels for a pattern brush.
void CopyPattern(const BitmapObject& bitmap, BrushObject& brush);
// Colour table of a format without one of its own (GetDIBits, new bitmaps).
std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel);
// Default masks for BI_RGB 16 (555) and 32 (888) bit formats.
void SetDefaultMasks(Surface& surface);
// The colour table a DIB header carries (DIB_RGB_COLORS) or refers to through a DC's
// palette (DIB_PAL_COLORS). Empty for formats over 8 bits.
std::vector<RGBQUAD> ReadColorTable(const BITMAPINFO& info, UINT usage, HDC dc);
// Header checks shared by DIB creation and transfer: a usable bit count and size.
bool ValidDibHeader(const BITMAPINFOHEADER& header, bool allowRle);
// The 20 reserved colours of the system palette.
const PALETTEENTRY* SystemColors();

}  // namespace linux_gdi
