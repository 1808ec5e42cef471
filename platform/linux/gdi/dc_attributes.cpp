// Device context attributes: colours, modes, origins, current position.
#include "platform/linux/gdi/device_context.h"

using namespace linux_gdi;

namespace {

// Sets one attribute of a live DC and returns the previous value, or `failed`.
template <typename T, typename Field>
T Exchange(HDC hdc, Field DcState::*field, T value, T failed) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return failed;
  const T previous = static_cast<T>(dc->state.*field);
  dc->state.*field = value;
  return previous;
}

template <typename T, typename Field>
T Read(HDC hdc, Field DcState::*field, T failed) {
  const DeviceContext* dc = FindDC(hdc);
  return dc ? static_cast<T>(dc->state.*field) : failed;
}

BOOL SetPoint(HDC hdc, POINT DcState::*field, int x, int y, LPPOINT previous, bool relative) {
  DeviceContext* dc = FindDC(hdc);
  if (!dc) return FALSE;
  POINT& p = dc->state.*field;
  if (previous) *previous = p;
  p = relative ? POINT{p.x + x, p.y + y} : POINT{x, y};
  return TRUE;
}

BOOL GetPoint(HDC hdc, POINT DcState::*field, LPPOINT out) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->state.*field;
  return TRUE;
}

}  // namespace

extern "C" {

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  return Exchange<COLORREF>(hdc, &DcState::textColor, color, CLR_INVALID);
}
COLORREF WINAPI GetTextColor(HDC hdc) {
  return Read<COLORREF>(hdc, &DcState::textColor, CLR_INVALID);
}
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  return Exchange<COLORREF>(hdc, &DcState::bkColor, color, CLR_INVALID);
}
COLORREF WINAPI GetBkColor(HDC hdc) { return Read<COLORREF>(hdc, &DcState::bkColor, CLR_INVALID); }

int WINAPI SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange<int>(hdc, &DcState::bkMode, mode, 0);
}
int WINAPI GetBkMode(HDC hdc) { return Read<int>(hdc, &DcState::bkMode, 0); }

int WINAPI SetROP2(HDC hdc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange<int>(hdc, &DcState::rop2, rop2, 0);
}
int WINAPI GetROP2(HDC hdc) { return Read<int>(hdc, &DcState::rop2, 0); }

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange<int>(hdc, &DcState::stretchMode, mode, 0);
}
int WINAPI GetStretchBltMode(HDC hdc) { return Read<int>(hdc, &DcState::stretchMode, 0); }

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  return Exchange<UINT>(hdc, &DcState::textAlign, align, GDI_ERROR);
}
UINT WINAPI GetTextAlign(HDC hdc) { return Read<UINT>(hdc, &DcState::textAlign, GDI_ERROR); }

int WINAPI GetMapMode(HDC hdc) { return FindDC(hdc) ? MM_TEXT : 0; }

BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPoint(hdc, &DcState::windowOrg, x, y, lppt, false);
}
BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPoint(hdc, &DcState::windowOrg, x, y, lppt, true);
}
BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT lppoint) {
  return GetPoint(hdc, &DcState::windowOrg, lppoint);
}
BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPoint(hdc, &DcState::viewportOrg, x, y, lppt, false);
}
BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPoint(hdc, &DcState::viewportOrg, x, y, lppt, true);
}
BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint) {
  return GetPoint(hdc, &DcState::viewportOrg, lppoint);
}
BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPoint(hdc, &DcState::brushOrg, x, y, lppt, false);
}
BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT lppt) { return GetPoint(hdc, &DcState::brushOrg, lppt); }
BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPoint(hdc, &DcState::currentPos, x, y, lppt, false);
}
BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
  return GetPoint(hdc, &DcState::currentPos, lppt);
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT lppt, int c) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || (c > 0 && !lppt)) return FALSE;
  for (int i = 0; i < c; ++i) {
    const int64_t dx = int64_t{dc->state.viewportOrg.x} - dc->state.windowOrg.x;
    const int64_t dy = int64_t{dc->state.viewportOrg.y} - dc->state.windowOrg.y;
    lppt[i].x = static_cast<LONG>(lppt[i].x + dx);
    lppt[i].y = static_cast<LONG>(lppt[i].y + dy);
  }
  return TRUE;
}

BOOL WINAPI DPtoLP(HDC hdc, LPPOINT lppt, int c) {
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || (c > 0 && !lppt)) return FALSE;
  for (int i = 0; i < c; ++i) {
    const int64_t dx = int64_t{dc->state.viewportOrg.x} - dc->state.windowOrg.x;
    const int64_t dy = int64_t{dc->state.viewportOrg.y} - dc->state.windowOrg.y;
    lppt[i].x = static_cast<LONG>(lppt[i].x - dx);
    lppt[i].y = static_cast<LONG>(lppt[i].y - dy);
  }
  return TRUE;
}

}  // extern "C"
