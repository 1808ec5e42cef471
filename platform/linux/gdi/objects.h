#pragma once
// The handle table: every GDI object (pens, brushes, fonts, bitmaps, palettes, regions,
// device contexts) lives here behind a handle that carries a generation, so a deleted
// or forged handle is refused instead of reaching freed memory. Live objects are counted
// per type so tests can prove nothing leaks.
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/linux/gdi/region.h"
#include "platform/linux/gdi/surface.h"
#include "platform/win32.h"

namespace linux_gdi {

class GdiObject {
 public:
  explicit GdiObject(DWORD type) : type_(type) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  virtual ~GdiObject() = default;

  // OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP, OBJ_PAL, OBJ_REGION, OBJ_DC or OBJ_MEMDC.
  DWORD Type() const { return type_; }
  bool stock = false;
  // References from DC states (current and saved). DeleteObject of a referenced object
  // only marks it; it goes when the last reference does, as on Windows.
  int selections = 0;
  bool deletePending = false;

 private:
  DWORD type_;
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(OBJ_PEN) {}
  LOGPEN logPen{};
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(OBJ_BRUSH) {}
  LOGBRUSH logBrush{};
  // BS_PATTERN: a private copy of the bitmap's pixels; a 1-bit pattern is drawn in the
  // DC's text (0) and background (1) colours.
  Surface pattern;
  bool patternMono = false;
  std::vector<uint8_t> patternBits;
  HBITMAP patternHandle = nullptr;  // the bitmap named at creation (GetObject reports it)
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(OBJ_FONT) {}
  LOGFONTA logFont{};
};

// Zeroed pixel memory from calloc: a large block comes as fresh pages the system has
// already zeroed, not written over once more (a 1152 x 846 picture is 2.9 MB).
class PixelStorage {
 public:
  // False when out of memory.
  bool Allocate(size_t size);
  uint8_t* data() const { return memory_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const uint8_t* begin() const { return data(); }
  const uint8_t* end() const { return data() + size_; }

 private:
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t, Free> memory_;
  size_t size_ = 0;
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(OBJ_BITMAP) {}
  Surface surface;
  PixelStorage storage;  // the pixels surface.bits points into
  bool dibSection = false;
  DWORD compression = BI_RGB;  // of a DIB section: BI_RGB or BI_BITFIELDS
  int dibHeight = 0;           // signed height the DIB section was created with
  HDC selectedInto = nullptr;  // a bitmap is selected into one DC at a time
};

struct PaletteObject : GdiObject {
  PaletteObject() : GdiObject(OBJ_PAL) {}
  std::vector<PALETTEENTRY> entries;
};

struct RegionObject : GdiObject {
  RegionObject() : GdiObject(OBJ_REGION) {}
  Region region;
};

// Adds an object and returns its new handle (nullptr, ERROR_NOT_ENOUGH_MEMORY, when
// the table is full).
HGDIOBJ AddObject(std::unique_ptr<GdiObject> object);
// The live object behind a handle, or nullptr (ERROR_INVALID_HANDLE set) when the
// handle is unknown, deleted, or not of the wanted type (0: any type).
GdiObject* FindObject(HGDIOBJ handle, DWORD type = 0);
// Removes and destroys an object; false if the handle is not live.
bool RemoveObject(HGDIOBJ handle);
// A DC state starts or stops referring to an object (null and stale handles ignored).
void Retain(HGDIOBJ handle);
void Release(HGDIOBJ handle);
// The stock object `index` (GetStockObject numbering) or the default bitmap of memory
// DCs (kDefaultBitmap).
constexpr int kDefaultBitmap = 100;
HGDIOBJ Stock(int index);
// Number of live objects of a type (OBJ_*), stock objects not counted.
int LiveObjectCount(DWORD type);

template <typename T>
T* Find(HGDIOBJ handle, DWORD type) {
  return static_cast<T*>(FindObject(handle, type));
}
inline PenObject* FindPen(HGDIOBJ h) { return Find<PenObject>(h, OBJ_PEN); }
inline BrushObject* FindBrush(HGDIOBJ h) { return Find<BrushObject>(h, OBJ_BRUSH); }
inline FontObject* FindFont(HGDIOBJ h) { return Find<FontObject>(h, OBJ_FONT); }
inline BitmapObject* FindBitmap(HGDIOBJ h) { return Find<BitmapObject>(h, OBJ_BITMAP); }
inline PaletteObject* FindPalette(HGDIOBJ h) { return Find<PaletteObject>(h, OBJ_PAL); }
inline RegionObject* FindRegion(HGDIOBJ h) { return Find<RegionObject>(h, OBJ_REGION); }

}  // namespace linux_gdi
