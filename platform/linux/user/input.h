#pragma once
// The input half of the windowing layer (activation, focus, capture, hit testing): what
// the rest of platform/linux/user/ and the display sink call.
#include "platform/linux/display/driver.h"
#include "platform/win32.h"

namespace linux_user {

// Display events, already in screen coordinates.
void OnPointerMoved(POINT screen, unsigned buttons);
void OnButtonChanged(linux_display::Button button, bool down, POINT screen, unsigned buttons);
void OnFocusChanged(HWND window, bool focused);
void OnKeyChanged(unsigned virtualKey, bool down);

// A top-level window is shown or placed without SWP_NOACTIVATE.
void ActivateWindow(HWND window);
// A window is hidden (ShowWindow) or being destroyed: activation, focus, capture and
// mouse tracking move away from it.
void WindowGoing(HWND window);

// DefWindowProcA's cases.
LRESULT DefSetCursor(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT DefMouseActivate(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT DefNcHitTest(HWND window, LPARAM lParam);
LRESULT DefActivate(HWND window, WPARAM wParam, LPARAM lParam);

// The window under `screen` as mouse input finds it: the deepest visible window there,
// asked with WM_NCHITTEST and passed over while it answers HTTRANSPARENT; a disabled one
// answers HTERROR without being asked. Only windows inside `scope` when it is given.
HWND WindowFromPointWithHit(HWND scope, POINT screen, int* hitTest);

// The answer MessageBoxA gives for its flags (the default button's).
int MessageBoxResult(UINT type);

// Forgets a destroyed window's system menu.
void ForgetSystemMenu(HWND window);

// Input that tests and SendInput inject: it takes the display's path (the pointer is
// moved on the display too).
void InjectPointer(POINT screen);
void InjectButton(linux_display::Button button, bool down);

// Activation (activation.cpp), with the reference system's message order.
bool SetForeground(HWND window, bool byMouse);
void ForgetActivation(HWND window);

}  // namespace linux_user
