#pragma once
// Shared between the windowing layer's own sources (not for the input part).
#include <vector>

#include "platform/linux/user/delivery.h"
#include "platform/linux/user/input.h"
#include "platform/linux/user/window.h"

namespace linux_user {

Window* AllocateWindow();
void FreeWindow(HWND handle);
std::vector<HWND> AllWindows();
POINT ClientOriginOnScreen(const Window& window);

std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE instance);

// Geometry (geometry.cpp, z_order.cpp).
// WINDOWPOS flags of the system's own that DefWindowProc reads: the client area kept its
// size, or its place.
constexpr UINT kNoClientSize = 0x0800;
constexpr UINT kNoClientMove = 0x1000;
BOOL SetWindowPosition(Window& window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// The window's default min/max information after WM_GETMINMAXINFO.
MINMAXINFO QueryMinMaxInfo(Window& window);
// Tells the display driver where and how a top-level window is shown now.
void SyncDriver(Window& window);
void PlaceInZOrder(Window& window, HWND insertAfter);
// WM_SIZE's type for the window's state: minimised, maximised or restored.
WPARAM SizeTypeOf(const Window& window);
// WM_SIZE, then WM_MOVE, for the client area as it is; the window afterwards (nullptr when a
// handler destroyed it).
Window* SendSizeAndMove(HWND window, WPARAM sizeType);

// Painting (paint.cpp).
void Invalidate(Window& window, const RECT* clientRect, bool erase, bool children);
void InvalidateFrame(Window& window);
// Area of the parent uncovered when a child moves or hides (parent-client coordinates).
void InvalidateParentArea(Window& window, const RECT& area);
void ValidateAll(Window& window);
bool NeedsPaint(const Window& window);
// Presents every top-level window's changed pixels through the driver.
void PresentDirty();
void ForgetPainting(Window& window);
void InstallDcHooks();
LRESULT DefaultEraseBackground(Window& window, HDC dc);
void DrawFrame(Window& window);

// Queue (queue.cpp).
void DropMessagesFor(HWND window);
void KillTimersOf(HWND window);
// Pumps the display driver once (non-blocking).
void PumpDriver();

}  // namespace linux_user
