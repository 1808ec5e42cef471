// Window geometry: SetWindowPos with WM_WINDOWPOSCHANGING/WM_NCCALCSIZE/
// WM_WINDOWPOSCHANGED, the min/max tracking sizes, and what the display driver is told.
#include <algorithm>

#include "platform/linux/display/driver.h"
#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

// After a size change: the whole client area when it is shown anew, its frame changed, it
// moved within the window (or a child moved on its parent), or the class redraws on that
// change (CS_HREDRAW, CS_VREDRAW); otherwise only the part the old client area did not
// cover, as the system keeps the pixels that stay in place.
void InvalidateResized(Window& window, UINT flags, const RECT& oldWindow, const RECT& oldClient) {
  const RECT& nowWindow = window.window;
  const RECT& nowClient = window.client;
  const LONG oldWidth = oldClient.right - oldClient.left,
             oldHeight = oldClient.bottom - oldClient.top;
  const LONG width = nowClient.right - nowClient.left, height = nowClient.bottom - nowClient.top;
  const UINT classStyle = window.cls ? window.cls->style : 0;
  const bool inPlace =
      window.parent ? nowWindow.left == oldWindow.left && nowWindow.top == oldWindow.top : true;
  const bool whole = (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || !inPlace ||
                     nowClient.left - nowWindow.left != oldClient.left - oldWindow.left ||
                     nowClient.top - nowWindow.top != oldClient.top - oldWindow.top ||
                     ((classStyle & CS_HREDRAW) && width != oldWidth) ||
                     ((classStyle & CS_VREDRAW) && height != oldHeight);
  if (whole) {
    Invalidate(window, nullptr, true, true);
    return;
  }
  if (width > oldWidth) {
    const RECT strip{oldWidth, 0, width, height};
    Invalidate(window, &strip, true, true);
  }
  if (height > oldHeight) {
    const RECT strip{0, oldHeight, width, height};
    Invalidate(window, &strip, true, true);
  }
}

}  // namespace

MINMAXINFO QueryMinMaxInfo(Window& window) {
  HWND handle = window.handle;
  RECT insets = FrameInsets(window.style, window.exStyle);
  auto& driver = linux_display::CurrentDriver();
  int frameX = (window.style & WS_THICKFRAME) ? insets.left : 0;
  int frameY = (window.style & WS_THICKFRAME) ? insets.left : 0;
  MINMAXINFO info{};
  info.ptMaxSize = POINT{driver.ScreenWidth() + 2 * frameX, driver.ScreenHeight() + 2 * frameY};
  info.ptMaxPosition = POINT{-frameX, -frameY};
  if (window.maxPosition.x != -1 || window.maxPosition.y != -1)
    info.ptMaxPosition = window.maxPosition;
  if ((window.style & WS_CAPTION) == WS_CAPTION)
    info.ptMinTrackSize = POINT{112, 27};
  else
    info.ptMinTrackSize = POINT{insets.left + insets.right, insets.top + insets.bottom};
  info.ptMaxTrackSize = POINT{driver.ScreenWidth() + 2 * insets.left + 12,
                              driver.ScreenHeight() + 2 * insets.top + 12};
  Send(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  info.ptMaxTrackSize.x = std::max(info.ptMaxTrackSize.x, info.ptMinTrackSize.x);
  info.ptMaxTrackSize.y = std::max(info.ptMaxTrackSize.y, info.ptMinTrackSize.y);
  return info;
}

void SyncDriver(Window& window) {
  if (window.parent) return;
  auto& driver = linux_display::CurrentDriver();
  if (!(window.style & WS_VISIBLE)) {
    driver.Hide(window.handle);
    return;
  }
  if (window.style & WS_MINIMIZE) {
    driver.Iconify(window.handle);
    return;
  }
  // An empty window has nothing to show (the application's own window is one): mapped, it
  // would be a dot of stale pixels, and a window manager would frame it.
  if (window.window.right <= window.window.left || window.window.bottom <= window.window.top) {
    driver.Hide(window.handle);
    return;
  }
  linux_display::WindowLook look;
  // A title bar or sizing border is the window manager's to give; a thin or dialog frame
  // alone (a drop-down list, a tip) is drawn by the window and wants no title bar
  // (WS_CAPTION is WS_BORDER | WS_DLGFRAME: both bits make a caption).
  look.decorated = (window.style & WS_CAPTION) == WS_CAPTION || (window.style & WS_THICKFRAME);
  look.topmost = window.exStyle & WS_EX_TOPMOST;
  look.toolWindow = window.exStyle & WS_EX_TOOLWINDOW;
  look.owner = window.owner;
  look.title = window.text;
  if ((window.style & WS_CAPTION) != WS_CAPTION) {
    for (Window* owner = Peek(window.owner); owner; owner = Peek(owner->owner)) {
      if (!owner->text.empty()) {
        look.title = owner->text;
        break;
      }
    }
  }
  for (Window* w = &window; w && !look.icon; w = Peek(w->owner))
    look.icon = w->iconBig     ? w->iconBig
                : w->iconSmall ? w->iconSmall
                : w->cls       ? w->cls->icon
                               : nullptr;
  driver.Show(window.handle, window.window, look);
}

namespace {

// One SetWindowPos on its way: the window's rectangles before and after.
struct Move {
  RECT oldWindow, oldClient;
  RECT newWindow, newClient;
};

// The request as WM_WINDOWPOSCHANGING sees it: flags for what does not change, and the
// current place and size where they stay.
WINDOWPOS Requested(const Window& window, HWND insertAfter, int x, int y, int cx, int cy,
                    UINT flags) {
  const HWND handle = window.handle;
  // Only a change of visibility shows or hides.
  if (window.style & WS_VISIBLE)
    flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
  else
    flags &= ~static_cast<UINT>(SWP_HIDEWINDOW);
  cx = std::max(cx, 0);
  cy = std::max(cy, 0);
  const RECT& now = window.window;
  if (now.right - now.left == cx && now.bottom - now.top == cy) flags |= SWP_NOSIZE;
  if (now.left == x && now.top == y) flags |= SWP_NOMOVE;
  if (insertAfter == handle) flags |= SWP_NOZORDER;
  if (window.parent && (window.style & WS_CHILD)) flags |= SWP_NOACTIVATE;
  WINDOWPOS pos{handle, insertAfter, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) {
    pos.x = now.left;
    pos.y = now.top;
  }
  if (flags & SWP_NOSIZE) {
    pos.cx = now.right - now.left;
    pos.cy = now.bottom - now.top;
  }
  return pos;
}

// WM_WINDOWPOSCHANGING, whose handler may change the request; the window afterwards.
Window* SendChanging(HWND handle, WINDOWPOS& pos) {
  Window* window = SendAndPeek(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if (!window) return nullptr;
  pos.cx = std::max(pos.cx, 0);
  pos.cy = std::max(pos.cy, 0);
  const RECT& now = window->window;
  if (now.left == pos.x && now.top == pos.y) pos.flags |= SWP_NOMOVE;
  if (now.right - now.left == pos.cx && now.bottom - now.top == pos.cy) pos.flags |= SWP_NOSIZE;
  return window;
}

// WM_NCCALCSIZE for a new size or frame: the client area the window answers goes to
// move.newClient. The window afterwards.
Window* SendCalcSize(HWND handle, WINDOWPOS& pos, Move& move) {
  NCCALCSIZE_PARAMS params{};
  params.rgrc[0] = move.newWindow;
  params.rgrc[1] = move.oldWindow;
  params.rgrc[2] = move.oldClient;
  params.lppos = &pos;
  Window* window = SendAndPeek(handle, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
  if (window) move.newClient = params.rgrc[0];
  return window;
}

// kNoClientSize and kNoClientMove for a client area that kept its size or its place.
UINT ClientKept(const Move& move) {
  const RECT& was = move.oldClient;
  const RECT& now = move.newClient;
  UINT flags = 0;
  if (now.right - now.left == was.right - was.left && now.bottom - now.top == was.bottom - was.top)
    flags |= kNoClientSize;
  if (now.left == was.left && now.top == was.top) flags |= kNoClientMove;
  return flags;
}

// Puts the window in its new place, z-order and visibility. A child leaving or changing
// place uncovers part of its parent: what it covered and no longer does, marked once it is
// in its new place (so the mark does not reach into the child where it still is).
void Relocate(Window& window, HWND insertAfter, UINT flags, const Move& move) {
  const bool uncovers =
      window.parent && IsShowing(window) &&
      ((flags & SWP_HIDEWINDOW) || !(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE));
  window.window = move.newWindow;
  window.client = move.newClient;
  if (!(flags & SWP_NOZORDER)) PlaceInZOrder(window, insertAfter);
  if (flags & SWP_SHOWWINDOW) window.style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) window.style &= ~static_cast<DWORD>(WS_VISIBLE);
  if (uncovers) {
    linux_gdi::Region uncovered(move.oldWindow);
    if (!(flags & SWP_HIDEWINDOW)) uncovered.Subtract(move.newWindow);
    for (const RECT& rect : uncovered.Rects()) InvalidateParentArea(window, rect);
  }
  if (!(window.style & (WS_MINIMIZE | WS_MAXIMIZE))) window.normal = move.newWindow;
  if (window.surface)
    window.surface->Resize(move.newWindow.right - move.newWindow.left,
                           move.newWindow.bottom - move.newWindow.top);
}

// What the move leaves to paint in the window itself (nothing with SWP_NOREDRAW).
void InvalidateMoved(Window& window, UINT flags, const Move& move) {
  if (flags & SWP_NOREDRAW) return;
  const bool sizeChanged = !(flags & SWP_NOSIZE) || (flags & SWP_FRAMECHANGED);
  if ((flags & SWP_SHOWWINDOW) || (sizeChanged && !(flags & kNoClientSize)) ||
      (window.surface && sizeChanged)) {
    InvalidateFrame(window);
    InvalidateResized(window, flags, move.oldWindow, move.oldClient);
  } else if (flags & SWP_FRAMECHANGED) {
    InvalidateFrame(window);
  } else if (window.parent && IsShowing(window) && !(flags & SWP_NOMOVE)) {
    InvalidateFrame(window);
    Invalidate(window, nullptr, true, true);
  }
}

// A top-level window's new place and state go to the display; a z-order change raises it.
void ShowOnDisplay(Window& window, UINT flags) {
  if ((flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) || !(flags & SWP_NOMOVE) ||
      !(flags & SWP_NOSIZE))
    SyncDriver(window);
  if (!(flags & SWP_NOZORDER) && (window.style & WS_VISIBLE))
    linux_display::CurrentDriver().Raise(window.handle);
}

// WM_WINDOWPOSCHANGED with where the window is now, when anything changed; false when the
// window did not survive it.
bool SendChanged(HWND handle, WINDOWPOS& pos, UINT flags, const RECT& newWindow) {
  if ((flags & (SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_HIDEWINDOW |
                SWP_FRAMECHANGED)) == (SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER))
    return true;
  pos.x = newWindow.left;
  pos.y = newWindow.top;
  pos.cx = newWindow.right - newWindow.left;
  pos.cy = newWindow.bottom - newWindow.top;
  pos.flags = flags;
  return SendAndPeek(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos)) != nullptr;
}

}  // namespace

BOOL SetWindowPosition(Window& start, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  const HWND handle = start.handle;
  WINDOWPOS pos = Requested(start, insertAfter, x, y, cx, cy, flags);
  Window* window = &start;
  if (!(pos.flags & SWP_NOSENDCHANGING) && !(window = SendChanging(handle, pos))) return FALSE;
  Move move{window->window, window->client, RECT{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy},
            window->client};
  OffsetRect(&move.newClient, move.newWindow.left - move.oldWindow.left,
             move.newWindow.top - move.oldWindow.top);
  if ((pos.flags & (SWP_NOSIZE | SWP_FRAMECHANGED)) != SWP_NOSIZE &&
      !(window = SendCalcSize(handle, pos, move)))
    return FALSE;
  flags = pos.flags | ClientKept(move);
  const bool child = window->parent != nullptr;
  Relocate(*window, insertAfter, flags, move);
  InvalidateMoved(*window, flags, move);
  if (!child) ShowOnDisplay(*window, flags);
  // Activation happens before WM_WINDOWPOSCHANGED, as Windows does it.
  if (!child && !(flags & SWP_NOACTIVATE) && (window->style & WS_VISIBLE) &&
      ((flags & SWP_SHOWWINDOW) || !(flags & SWP_NOZORDER))) {
    ActivateWindow(handle);
    if (!Peek(handle)) return TRUE;
  }
  if (!SendChanged(handle, pos, flags, move.newWindow)) return TRUE;
  if ((flags & SWP_HIDEWINDOW) && !(flags & SWP_NOACTIVATE)) WindowGoing(handle);
  return TRUE;
}

WPARAM SizeTypeOf(const Window& window) {
  return (window.style & WS_MINIMIZE)   ? SIZE_MINIMIZED
         : (window.style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                        : SIZE_RESTORED;
}

Window* SendSizeAndMove(HWND handle, WPARAM sizeType) {
  Window* window = Peek(handle);
  if (!window) return nullptr;
  const RECT size = window->client;
  if (!(window = SendAndPeek(handle, WM_SIZE, sizeType,
                             MAKELPARAM(size.right - size.left, size.bottom - size.top))))
    return nullptr;
  return SendAndPeek(handle, WM_MOVE, 0, MAKELPARAM(window->client.left, window->client.top));
}

}  // namespace linux_user

using namespace linux_user;

extern "C" {

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  return SetWindowPosition(*window, hWndInsertAfter, X, Y, cx, cy,
                           uFlags & ~static_cast<UINT>(SWP_STATECHANGED));
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI BringWindowToTop(HWND hWnd) {
  return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

}  // extern "C"
