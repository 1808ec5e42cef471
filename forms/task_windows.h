#pragma once
// Disabling the thread's other windows while a modal box or a disabled application
// window keeps the user away from them, and enabling them again afterwards.
#include <vector>

#include "platform/win32.h"

// Disables every visible, enabled top-level window of the calling thread except
// `except`; returns those it disabled.
std::vector<HWND> DisableTaskWindows(HWND except);
// Enables the windows again (those that still exist).
void EnableTaskWindows(const std::vector<HWND>& windows);
// True while DisableTaskWindows is at work (the application window then ignores the
// WM_ENABLE it causes).
bool DisablingTaskWindows();
