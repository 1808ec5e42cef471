// Pens, brushes, fonts, stock objects, and the calls common to every object kind.
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/linux/gdi/bitmap.h"
#include "platform/linux/gdi/objects.h"

namespace linux_gdi {

namespace {

std::unique_ptr<GdiObject> StockPen(UINT style, COLORREF color) {
  auto pen = std::make_unique<PenObject>();
  pen->logPen = {style, {style == PS_NULL ? 1 : 0, 0}, color};
  return pen;
}

std::unique_ptr<GdiObject> StockBrush(UINT style, COLORREF color) {
  auto brush = std::make_unique<BrushObject>();
  brush->logBrush = {style, color, 0};
  return brush;
}

std::unique_ptr<GdiObject> StockFont(LONG height, LONG width, LONG weight, BYTE charset,
                                     BYTE pitchAndFamily, const char* face) {
  auto font = std::make_unique<FontObject>();
  LOGFONTA& lf = font->logFont;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfWeight = weight;
  lf.lfCharSet = charset;
  lf.lfPitchAndFamily = pitchAndFamily;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

// The twenty colours every palette device reserves.
constexpr PALETTEENTRY kSystemColors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};

std::unique_ptr<GdiObject> MakeStock(int index) {
  switch (index) {
    case WHITE_BRUSH:
      return StockBrush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH:
      return StockBrush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH:
      return StockBrush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH:
      return StockBrush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH:
      return StockBrush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH:
      return StockBrush(BS_NULL, RGB(0, 0, 0));
    case WHITE_PEN:
      return StockPen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN:
      return StockPen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN:
      return StockPen(PS_NULL, RGB(0, 0, 0));
    case OEM_FIXED_FONT:
      return StockFont(12, 0, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN, "");
    case ANSI_FIXED_FONT:
      return StockFont(12, 0, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Courier");
    case ANSI_VAR_FONT:
      return StockFont(12, 0, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    case SYSTEM_FONT:
      return StockFont(16, 7, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "System");
    case DEVICE_DEFAULT_FONT:
      return StockFont(16, 0, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "System");
    case SYSTEM_FIXED_FONT:
      return StockFont(16, 0, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Courier");
    case DEFAULT_GUI_FONT:
      return StockFont(-11, 0, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg");
    case DEFAULT_PALETTE: {
      auto palette = std::make_unique<PaletteObject>();
      palette->entries.assign(std::begin(kSystemColors), std::end(kSystemColors));
      return palette;
    }
    case kDefaultBitmap: {
      std::unique_ptr<BitmapObject> bitmap = NewBitmapObject(1, 1, 1);
      bitmap->surface.deviceBitmap = true;
      return bitmap;
    }
    default:
      return nullptr;
  }
}

}  // namespace

HGDIOBJ Stock(int index) {
  static HGDIOBJ handles[kDefaultBitmap + 1] = {};
  if (index < 0 || index > kDefaultBitmap) return nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    for (int i = 0; i <= kDefaultBitmap; ++i) {
      if (std::unique_ptr<GdiObject> object = MakeStock(i)) {
        object->stock = true;
        handles[i] = AddObject(std::move(object));
      }
    }
  });
  return handles[index];
}

const PALETTEENTRY* SystemColors() { return kSystemColors; }

}  // namespace linux_gdi

using namespace linux_gdi;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int i) { return i == kDefaultBitmap ? nullptr : Stock(i); }

HPEN WINAPI CreatePenIndirect(const LOGPEN* plpen) {
  if (!plpen) return nullptr;
  UINT style = plpen->lopnStyle & PS_STYLE_MASK;
  if (style == PS_NULL) return static_cast<HPEN>(Stock(NULL_PEN));
  if (style > PS_INSIDEFRAME) style = PS_SOLID;
  auto pen = std::make_unique<PenObject>();
  pen->logPen = {style, {std::abs(plpen->lopnWidth.x), 0}, plpen->lopnColor};
  return static_cast<HPEN>(AddObject(std::move(pen)));
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
  const LOGPEN pen{static_cast<UINT>(iStyle), {cWidth, 0}, color};
  return CreatePenIndirect(&pen);
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush) {
  if (!plbrush) return nullptr;
  auto brush = std::make_unique<BrushObject>();
  brush->logBrush = *plbrush;
  switch (plbrush->lbStyle) {
    case BS_NULL:
      return static_cast<HBRUSH>(Stock(NULL_BRUSH));
    case BS_SOLID:
      brush->logBrush.lbHatch = 0;
      break;
    case BS_HATCHED:
      break;
    case BS_PATTERN: {
      const auto bitmapHandle = reinterpret_cast<HBITMAP>(plbrush->lbHatch);
      const BitmapObject* bitmap = FindBitmap(bitmapHandle);
      if (!bitmap) return nullptr;
      CopyPattern(*bitmap, *brush);
      brush->patternHandle = bitmapHandle;
      brush->logBrush.lbColor = 0;
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  const LOGBRUSH brush{BS_SOLID, color, 0};
  return CreateBrushIndirect(&brush);
}

HBRUSH WINAPI CreateHatchBrush(int iHatch, COLORREF color) {
  const LOGBRUSH brush{BS_HATCHED, color, static_cast<ULONG_PTR>(iHatch)};
  return CreateBrushIndirect(&brush);
}

HBRUSH WINAPI CreatePatternBrush(HBITMAP hbm) {
  const LOGBRUSH brush{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(hbm)};
  return CreateBrushIndirect(&brush);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
  if (!lplf) return nullptr;
  auto font = std::make_unique<FontObject>();
  font->logFont = *lplf;
  font->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
  return static_cast<HFONT>(AddObject(std::move(font)));
}

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                         DWORD iPitchAndFamily, LPCSTR pszFaceName) {
  LOGFONTA lf{};
  lf.lfHeight = cHeight;
  lf.lfWidth = cWidth;
  lf.lfEscapement = cEscapement;
  lf.lfOrientation = cOrientation;
  lf.lfWeight = cWeight;
  lf.lfItalic = static_cast<BYTE>(bItalic);
  lf.lfUnderline = static_cast<BYTE>(bUnderline);
  lf.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
  lf.lfCharSet = static_cast<BYTE>(iCharSet);
  lf.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
  lf.lfQuality = static_cast<BYTE>(iQuality);
  lf.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
  if (pszFaceName) std::strncpy(lf.lfFaceName, pszFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  const GdiObject* object = FindObject(h);
  return object ? object->Type() : 0;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
  const GdiObject* object = FindObject(h);
  if (!object) return 0;
  // Fixed-size answers: the size alone when no buffer is given, nothing when it is short.
  auto copyWhole = [&](const void* data, int size) {
    if (!pv) return size;
    if (c < size) return 0;
    std::memcpy(pv, data, static_cast<size_t>(size));
    return size;
  };
  switch (object->Type()) {
    case OBJ_PEN:
      return copyWhole(&static_cast<const PenObject*>(object)->logPen, sizeof(LOGPEN));
    case OBJ_BRUSH: {
      const auto* brush = static_cast<const BrushObject*>(object);
      LOGBRUSH lb = brush->logBrush;
      if (lb.lbStyle == BS_PATTERN) lb.lbHatch = reinterpret_cast<ULONG_PTR>(brush->patternHandle);
      return copyWhole(&lb, sizeof lb);
    }
    case OBJ_FONT: {
      // A font copies as much as fits.
      const int size = static_cast<int>(sizeof(LOGFONTA));
      if (!pv) return size;
      const int n = c < 0 ? 0 : c < size ? c : size;
      std::memcpy(pv, &static_cast<const FontObject*>(object)->logFont, static_cast<size_t>(n));
      return n;
    }
    case OBJ_BITMAP:
      return DescribeBitmap(*static_cast<const BitmapObject*>(object), c, pv);
    case OBJ_PAL: {
      const WORD count =
          static_cast<WORD>(static_cast<const PaletteObject*>(object)->entries.size());
      return copyWhole(&count, sizeof count);
    }
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
  }
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  GdiObject* object = FindObject(ho);
  if (!object) return FALSE;
  if (object->Type() == OBJ_DC || object->Type() == OBJ_MEMDC) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;
  if (object->selections > 0) {
    object->deletePending = true;  // goes when the last DC lets go of it
    return TRUE;
  }
  return RemoveObject(ho) ? TRUE : FALSE;
}

BOOL WINAPI UnrealizeObject(HGDIOBJ h) { return FindObject(h) ? TRUE : FALSE; }

BOOL WINAPI GdiFlush(void) { return TRUE; }

}  // extern "C"
