// GetSystemMetrics and SystemParametersInfoA: the classic look's sizes and fonts, the
// screen from the display driver, and the one animation setting the framework changes.
#include <cstring>

#include "platform/linux/display/driver.h"
#include "platform/linux/gdi/screen.h"
#include "platform/linux/user/system_info.h"

namespace linux_user {

RECT ScreenRect() {
  linux_display::Driver& driver = linux_display::CurrentDriver();
  return RECT{0, 0, driver.ScreenWidth(), driver.ScreenHeight()};
}

namespace {
// The driver describes the screen when it is made: the first reader of the description
// (often a screen DC, before any window exists) has it made.
[[maybe_unused]] const bool screenDescribed =
    (linux_gdi::InstallScreenSource([] { linux_display::CurrentDriver(); }), true);
}  // namespace

}  // namespace linux_user

namespace {

using linux_user::kBorder;
using linux_user::kCaptionSize;

int ScreenWidth() { return linux_user::ScreenRect().right; }
int ScreenHeight() { return linux_user::ScreenRect().bottom; }

// Metrics that do not depend on the screen, indexed by SM_*; 0 where none is given.
struct FixedMetric {
  int index;
  int value;
};
constexpr FixedMetric kFixedMetrics[] = {
    {SM_CXVSCROLL, linux_user::kScrollSize},
    {SM_CYHSCROLL, linux_user::kScrollSize},
    {SM_CYCAPTION, kCaptionSize + kBorder},
    {SM_CXBORDER, kBorder},
    {SM_CYBORDER, kBorder},
    {SM_CXDLGFRAME, linux_user::kFixedFrame},
    {SM_CYDLGFRAME, linux_user::kFixedFrame},
    {SM_CYVTHUMB, linux_user::kScrollSize},
    {SM_CXHTHUMB, linux_user::kScrollSize},
    {SM_CXICON, 32},
    {SM_CYICON, 32},
    {SM_CXCURSOR, 32},
    {SM_CYCURSOR, 32},
    {SM_CYMENU, linux_user::kMenuSize + kBorder},
    {SM_MOUSEPRESENT, 1},
    {SM_CYVSCROLL, linux_user::kScrollSize},
    {SM_CXHSCROLL, linux_user::kScrollSize},
    {SM_CXMIN, 112},
    {SM_CYMIN, 27},
    {SM_CXSIZE, kCaptionSize},
    {SM_CYSIZE, kCaptionSize},
    {SM_CXFRAME, linux_user::kSizeFrame},
    {SM_CYFRAME, linux_user::kSizeFrame},
    {SM_CXMINTRACK, 112},
    {SM_CYMINTRACK, 27},
    {SM_CXDOUBLECLK, linux_user::kDoubleClickSize},
    {SM_CYDOUBLECLK, linux_user::kDoubleClickSize},
    {SM_CXICONSPACING, 75},
    {SM_CYICONSPACING, 75},
    {SM_CMOUSEBUTTONS, 3},
    {SM_CXEDGE, linux_user::kEdge},
    {SM_CYEDGE, linux_user::kEdge},
    {SM_CXMINSPACING, 160},
    {SM_CYMINSPACING, 24},
    {SM_CXSMICON, 16},
    {SM_CYSMICON, 16},
    {SM_CYSMCAPTION, linux_user::kSmallCaptionSize + kBorder},
    {SM_CXSMSIZE, linux_user::kSmallCaptionSize},
    {SM_CYSMSIZE, linux_user::kSmallCaptionSize},
    {SM_CXMENUSIZE, linux_user::kMenuSize},
    {SM_CYMENUSIZE, linux_user::kMenuSize},
    {SM_ARRANGE, 8},
    {SM_CXMINIMIZED, 160},
    {SM_CYMINIMIZED, 24},
    {SM_NETWORK, 3},
    {SM_CXDRAG, 4},
    {SM_CYDRAG, 4},
    {SM_CXMENUCHECK, 13},
    {SM_CYMENUCHECK, 13},
    {SM_MOUSEWHEELPRESENT, 1},
    {SM_CMONITORS, 1},
    {SM_SAMEDISPLAYFORMAT, 1},
    {SM_CXFOCUSBORDER, 1},
    {SM_CYFOCUSBORDER, 1},
};

// The classic fonts: Tahoma 8 point, bold in captions.
LOGFONTA ClassicFont(LONG weight) {
  LOGFONTA font{};
  font.lfHeight = -11;
  font.lfWeight = weight;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  std::strcpy(font.lfFaceName, "Tahoma");
  return font;
}

bool minimizeAnimation = false;

// The part of NONCLIENTMETRICSA a caller of the older size (without the padded border)
// has room for.
constexpr UINT kNonClientMetricsOldSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);

BOOL GetNonClientMetrics(NONCLIENTMETRICSA* out) {
  if (out == nullptr ||
      (out->cbSize != sizeof(NONCLIENTMETRICSA) && out->cbSize != kNonClientMetricsOldSize)) {
    return FALSE;
  }
  NONCLIENTMETRICSA m{};
  m.cbSize = out->cbSize;
  m.iBorderWidth = kBorder;
  m.iScrollWidth = m.iScrollHeight = linux_user::kScrollSize;
  m.iCaptionWidth = m.iCaptionHeight = kCaptionSize;
  m.lfCaptionFont = ClassicFont(FW_BOLD);
  m.iSmCaptionWidth = m.iSmCaptionHeight = linux_user::kSmallCaptionSize;
  m.lfSmCaptionFont = ClassicFont(FW_NORMAL);
  m.iMenuWidth = m.iMenuHeight = linux_user::kMenuSize;
  m.lfMenuFont = m.lfStatusFont = m.lfMessageFont = ClassicFont(FW_NORMAL);
  std::memcpy(out, &m, out->cbSize);
  return TRUE;
}

}  // namespace

extern "C" {

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CXFULLSCREEN:
      return ScreenWidth();
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
      return ScreenHeight();
    case SM_CYFULLSCREEN:
      return ScreenHeight() - (kCaptionSize + kBorder);
    case SM_CXMAXTRACK:
    case SM_CXMAXIMIZED:
      return ScreenWidth() + 2 * linux_user::kSizeFrame;
    case SM_CYMAXTRACK:
    case SM_CYMAXIMIZED:
      return ScreenHeight() + 2 * linux_user::kSizeFrame;
    default:
      break;
  }
  for (const FixedMetric& metric : kFixedMetrics) {
    if (metric.index == nIndex) return metric.value;
  }
  return 0;
}

UINT WINAPI GetDoubleClickTime(void) { return linux_user::kDoubleClickTime; }

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT /*fWinIni*/) {
  if (pvParam == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  switch (uiAction) {
    case SPI_GETWORKAREA:
      // No panel reserves a part of the screen that we know of.
      *static_cast<RECT*>(pvParam) = linux_user::ScreenRect();
      return TRUE;
    case SPI_GETICONTITLELOGFONT:
      if (uiParam != 0 && uiParam != sizeof(LOGFONTA)) return FALSE;
      *static_cast<LOGFONTA*>(pvParam) = ClassicFont(FW_NORMAL);
      return TRUE;
    case SPI_GETNONCLIENTMETRICS:
      return GetNonClientMetrics(static_cast<NONCLIENTMETRICSA*>(pvParam));
    case SPI_GETANIMATION:
    case SPI_SETANIMATION: {
      auto* info = static_cast<ANIMATIONINFO*>(pvParam);
      if (uiParam != sizeof(ANIMATIONINFO) || info->cbSize != sizeof(ANIMATIONINFO)) return FALSE;
      if (uiAction == SPI_GETANIMATION) {
        info->iMinAnimate = minimizeAnimation ? 1 : 0;
      } else {
        minimizeAnimation = info->iMinAnimate != 0;
      }
      return TRUE;
    }
    case SPI_GETWHEELSCROLLLINES:
      *static_cast<UINT*>(pvParam) = 3;
      return TRUE;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

}  // extern "C"
