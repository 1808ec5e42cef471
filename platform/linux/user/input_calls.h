#pragma once
// What the windowing layer calls in the input part (activation, focus, capture, hit
// testing). The input part defines these.
#include "platform/linux/display/driver.h"
#include "platform/win32.h"

namespace linux_user {

void OnPointerMoved(POINT screen, unsigned buttons);
void OnButtonChanged(linux_display::Button button, bool down, POINT screen, unsigned buttons);
void OnFocusChanged(HWND window, bool focused);
void OnKeyChanged(unsigned virtualKey, bool down);

// A top-level window is shown or raised without SWP_NOACTIVATE.
void ActivateWindow(HWND window);
// A window is hidden or destroyed: capture, focus, activation and tracking forget it.
void WindowGoing(HWND window);

// DefWindowProcA's cases for WM_SETCURSOR, WM_MOUSEACTIVATE, WM_NCHITTEST, WM_ACTIVATE.
LRESULT DefSetCursor(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT DefMouseActivate(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT DefNcHitTest(HWND window, LPARAM lParam);
LRESULT DefActivate(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace linux_user
