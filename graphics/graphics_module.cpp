#include "graphics/graphics_module.h"

#include <memory>
#include <string>

#include "classes/ident_maps.h"
#include "graphics/bitmap.h"
#include "graphics/canvas.h"
#include "graphics/file_formats.h"
#include "graphics/font.h"
#include "graphics/pattern_manager.h"
#include "graphics/resource_manager.h"
#include "platform/gdi_handles.h"

namespace {

constexpr char kFontSubstitutesKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

std::string ReadShellDialogSubstitute(HKEY key) {
  char buffer[256] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer - 1;  // keeps a terminator even for an unterminated value
  if (RegQueryValueExA(key, "MS Shell Dlg 2", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  return std::string(buffer);
}

}  // namespace

void InitDefaultFont() {
  DefaultFontAttributes.height = -MulDiv(8, DisplayPixelsPerInch, 72);
  std::string candidate;
  if (IsWin9xPlatform() && ScreenDefaultCharset() == SHIFTJIS_CHARSET) candidate = "Tahoma";
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontSubstitutesKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    candidate = ReadShellDialogSubstitute(key);
    RegCloseKey(key);
  }
  if (!candidate.empty()) DefaultFontAttributes.SetName(candidate);
}

namespace {
bool started = false;
}

void GraphicsModuleStartup() {
  // Once per process, even when test programs and the module table both ask.
  if (started) return;
  started = true;
  const int pixelsPerInch = GetDeviceCaps(WindowDC(nullptr).Get(), LOGPIXELSY);
  // Without a screen the answer is 0, which would turn every point size into
  // MulDiv's failure value; keep the usual 96 then.
  DisplayPixelsPerInch = pixelsPerInch > 0 ? pixelsPerInch : 96;
  // The 16-colour system palette, with the bitmap code's image lock and list of
  // bitmap canvases.
  BitmapStartup();

  CanvasCountLock = std::make_unique<CriticalSection>();

  StockPen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  StockBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  StockFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  StockIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));

  InitDefaultFont();

  FontManager = std::make_unique<TResourceManager>(sizeof(FontAttributes));
  PenManager = std::make_unique<TResourceManager>(sizeof(PenAttributes));
  BrushManager = std::make_unique<TBrushResourceManager>();
  PatternManager = std::make_unique<TPatternManager>();
  AllCanvases = std::make_unique<TCanvasList>();

  RegisterIdentMap(&kTColorType, IdentToColor, ColorToIdent);
  RegisterIdentMap(&kTFontCharsetType, IdentToCharset, CharsetToIdent);
}

void GraphicsModuleShutdown() {
  if (!started) return;
  started = false;
  FreeGraphicFormats();
  // The pattern bitmaps own canvases, so they go before the canvas list.
  PatternManager.reset();
  AllCanvases.reset();
  BrushManager.reset();
  PenManager.reset();
  FontManager.reset();
  BitmapShutdown();
  CanvasCountLock.reset();
}
