#pragma once
// Message delivery between the windowing layer's windows. A window procedure may destroy
// any window, its own included, so whoever sends and then goes on with the window looks it
// up again: SendAndPeek does both.
#include "platform/linux/user/window.h"

namespace linux_user {

// Sends to the window's own thread (or waits for the owning thread to handle it).
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends, then the window as it is afterwards: nullptr when the handler destroyed it. The
// handler's answer goes to `result` when one is given.
Window* SendAndPeek(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT* result = nullptr);
// Posted messages; false when the window is gone.
bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Input messages (mouse, keyboard) for a window's thread: retrieved after posted messages,
// before WM_PAINT and WM_TIMER, with their own time and position.
void PostInput(const MSG& message);

}  // namespace linux_user
