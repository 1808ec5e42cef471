// Device context life, object selection and the save/restore stack.
#include <algorithm>

#include "platform/linux/gdi/bitmap.h"
#include "platform/linux/gdi/device_context.h"
#include "platform/linux/gdi/screen.h"

namespace linux_gdi {

namespace {

void RetainState(const DcState& s) {
  for (HGDIOBJ h :
       {HGDIOBJ(s.pen), HGDIOBJ(s.brush), HGDIOBJ(s.font), HGDIOBJ(s.bitmap), HGDIOBJ(s.palette)})
    Retain(h);
}

void ReleaseState(const DcState& s) {
  for (HGDIOBJ h :
       {HGDIOBJ(s.pen), HGDIOBJ(s.brush), HGDIOBJ(s.font), HGDIOBJ(s.bitmap), HGDIOBJ(s.palette)})
    Release(h);
}

void SetSelectedInto(HBITMAP handle, HDC dc) {
  if (BitmapObject* bitmap = handle ? FindBitmap(handle) : nullptr) {
    if (!bitmap->stock) bitmap->selectedInto = dc;
  }
}

// Replaces one selected handle of the current state, keeping references balanced.
template <typename Handle>
HGDIOBJ Swap(Handle& slot, HGDIOBJ object) {
  const HGDIOBJ previous = slot;
  Retain(object);
  slot = static_cast<Handle>(object);
  Release(previous);
  return previous;
}

}  // namespace

DeviceContext* FindDC(HDC dc) {
  GdiObject* object = FindObject(dc);
  if (object && (object->Type() == OBJ_DC || object->Type() == OBJ_MEMDC))
    return static_cast<DeviceContext*>(object);
  if (object) SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

HDC NewDC(DWORD type) {
  auto dc = std::make_unique<DeviceContext>(type);
  DcState& s = dc->state;
  s.pen = static_cast<HPEN>(Stock(BLACK_PEN));
  s.brush = static_cast<HBRUSH>(Stock(WHITE_BRUSH));
  s.font = static_cast<HFONT>(Stock(SYSTEM_FONT));
  s.palette = static_cast<HPALETTE>(Stock(DEFAULT_PALETTE));
  if (type == OBJ_MEMDC) s.bitmap = static_cast<HBITMAP>(Stock(kDefaultBitmap));
  const ScreenInfo& screen = DescribedScreen();
  dc->deviceWidth = screen.width;
  dc->deviceHeight = screen.height;
  dc->deviceBitsPerPixel = screen.bitsPerPixel;
  RetainState(s);
  return static_cast<HDC>(AddObject(std::move(dc)));
}

bool DestroyDC(HDC handle) {
  DeviceContext* dc = FindDC(handle);
  if (!dc) return false;
  ReleaseState(dc->state);
  for (const DcState& s : dc->saved) ReleaseState(s);
  SetSelectedInto(dc->state.bitmap, nullptr);
  RemoveObject(handle);
  return true;
}

const LOGFONTA* SelectedLogFont(const DeviceContext& dc) {
  const FontObject* font = FindFont(dc.state.font);
  if (!font) font = FindFont(Stock(SYSTEM_FONT));
  return &font->logFont;
}

}  // namespace linux_gdi

using namespace linux_gdi;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !FindDC(hdc)) return nullptr;
  return NewDC(OBJ_MEMDC);
}

BOOL WINAPI DeleteDC(HDC hdc) { return DestroyDC(hdc) ? TRUE : FALSE; }

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return nullptr;
  GdiObject* object = FindObject(h);
  if (!object) return nullptr;
  DcState& s = dc->state;
  switch (object->Type()) {
    case OBJ_PEN:
      return Swap(s.pen, h);
    case OBJ_BRUSH:
      return Swap(s.brush, h);
    case OBJ_FONT:
      return Swap(s.font, h);
    case OBJ_BITMAP: {
      auto* bitmap = static_cast<BitmapObject*>(object);
      if (dc->Type() != OBJ_MEMDC) return nullptr;
      if (s.bitmap == h) return h;
      if (!bitmap->stock && bitmap->selectedInto) return nullptr;  // one DC at a time
      SetSelectedInto(s.bitmap, nullptr);
      bitmap->selectedInto = bitmap->stock ? nullptr : hdc;
      return Swap(s.bitmap, h);
    }
    case OBJ_REGION:
      return reinterpret_cast<HGDIOBJ>(
          static_cast<intptr_t>(SelectClipRgn(hdc, static_cast<HRGN>(h))));
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
  }
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return dc->state.pen;
    case OBJ_BRUSH:
      return dc->state.brush;
    case OBJ_FONT:
      return dc->state.font;
    case OBJ_BITMAP:
      return dc->state.bitmap ? dc->state.bitmap : Stock(kDefaultBitmap);
    case OBJ_PAL:
      return dc->state.palette;
    default:
      return nullptr;
  }
}

int WINAPI SaveDC(HDC hdc) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return 0;
  RetainState(dc->state);
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  const int depth = static_cast<int>(dc->saved.size());
  const int level = nSavedDC < 0 ? depth + 1 + nSavedDC : nSavedDC;
  if (nSavedDC == 0 || level < 1 || level > depth) return FALSE;
  // States above the one restored are dropped; the restored one takes over the
  // references its saved copy held.
  for (int i = depth - 1; i >= level; --i) ReleaseState(dc->saved[static_cast<size_t>(i)]);
  SetSelectedInto(dc->state.bitmap, nullptr);
  ReleaseState(dc->state);
  dc->state = std::move(dc->saved[static_cast<size_t>(level - 1)]);
  dc->saved.resize(static_cast<size_t>(level - 1));
  SetSelectedInto(dc->state.bitmap, hdc);
  return TRUE;
}

}  // extern "C"
