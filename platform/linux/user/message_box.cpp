// MessageBoxA over the display driver's box, which has one button: the box is
// dismissed with the button the flags make the default, so a caller that asks a question
// gets the answer it declared safe.
#include <string>

#include "platform/linux/display/driver.h"
#include "platform/linux/user/input.h"

namespace linux_user {

int MessageBoxResult(UINT type) {
  static constexpr int kButtons[][3] = {
      {IDOK, IDOK, IDOK},            // MB_OK
      {IDOK, IDCANCEL, IDOK},        // MB_OKCANCEL
      {IDABORT, IDRETRY, IDIGNORE},  // MB_ABORTRETRYIGNORE
      {IDYES, IDNO, IDCANCEL},       // MB_YESNOCANCEL
      {IDYES, IDNO, IDYES},          // MB_YESNO
      {IDRETRY, IDCANCEL, IDRETRY},  // MB_RETRYCANCEL
  };
  const UINT kind = type & MB_TYPEMASK;
  const UINT button = (type & MB_DEFMASK) >> 8;
  if (kind >= sizeof kButtons / sizeof kButtons[0] || button > 2) return IDOK;
  return kButtons[kind][button];
}

}  // namespace linux_user

extern "C" {

int WINAPI MessageBoxA(HWND /*hWnd*/, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  // The driver's box is modal by itself: no message of ours is handled until it goes.
  linux_display::CurrentDriver().MessageBox(lpCaption != nullptr ? lpCaption : "Error",
                                            lpText != nullptr ? lpText : "");
  return linux_user::MessageBoxResult(uType);
}

BOOL WINAPI MessageBeep(UINT /*uType*/) { return TRUE; }

}  // extern "C"
