// Stand-ins for the input part until it is merged; that part deletes this file.
#include "platform/linux/user/input_calls.h"

namespace linux_user {

void OnPointerMoved(POINT, unsigned) {}
void OnButtonChanged(linux_display::Button, bool, POINT, unsigned) {}
void OnFocusChanged(HWND, bool) {}
void OnKeyChanged(unsigned, bool) {}
void ActivateWindow(HWND) {}
void WindowGoing(HWND) {}
LRESULT DefSetCursor(HWND, WPARAM, LPARAM) { return FALSE; }
LRESULT DefMouseActivate(HWND, WPARAM, LPARAM) { return 1; }  // MA_ACTIVATE
LRESULT DefNcHitTest(HWND, LPARAM) { return 1; }              // HTCLIENT
LRESULT DefActivate(HWND, WPARAM, LPARAM) { return 0; }

}  // namespace linux_user
