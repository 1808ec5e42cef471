// Window geometry: SetWindowPos with WM_WINDOWPOSCHANGING/WM_NCCALCSIZE/
// WM_WINDOWPOSCHANGED, ShowWindow with minimise/maximise/restore, z-order with owned
// windows kept above their owners and topmost windows above the rest, coordinate mapping.
#include <algorithm>

#include "platform/linux/display/driver.h"
#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

// Internal WINDOWPOS flags Windows sets for DefWindowProc: the client area did not move
// or did not change size.
constexpr UINT kNoClientSize = 0x0800;
constexpr UINT kNoClientMove = 0x1000;
constexpr int kMinimizedWidth = 160, kMinimizedHeight = 24;
constexpr int kIconicPosition = -32000;

bool IsTopMost(HWND handle) {
  Window* window = Peek(handle);
  return window && (window->exStyle & WS_EX_TOPMOST);
}

bool OwnedBy(Window* window, HWND owner) {
  for (int depth = 0; window && window->owner && depth < 64; ++depth) {
    if (window->owner == owner) return true;
    window = Peek(window->owner);
  }
  return false;
}

void InsertAt(std::vector<HWND>& list, HWND handle, HWND after) {
  list.erase(std::remove(list.begin(), list.end(), handle), list.end());
  if (after == HWND_TOP) {
    list.insert(list.begin(), handle);
  } else if (after == HWND_BOTTOM) {
    list.push_back(handle);
  } else {
    auto it = std::find(list.begin(), list.end(), after);
    list.insert(it == list.end() ? list.begin() : it + 1, handle);
  }
}

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

void PlaceInZOrder(Window& window, HWND insertAfter) {
  std::lock_guard lock(TableLock());
  auto& siblings = Siblings(window);
  HWND handle = window.handle;
  if (window.parent) {
    InsertAt(siblings, handle,
             insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST ? HWND_TOP : insertAfter);
    return;
  }
  if (insertAfter == HWND_TOPMOST) {
    window.exStyle |= WS_EX_TOPMOST;
    insertAfter = HWND_TOP;
  } else if (insertAfter == HWND_NOTOPMOST) {
    window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
    insertAfter = HWND_TOP;
  } else if (insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM) {
    if (!Peek(insertAfter)) insertAfter = HWND_TOP;
  }
  bool topmost = window.exStyle & WS_EX_TOPMOST;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
  // First position allowed: below topmost windows unless topmost itself; last: above the
  // non-topmost windows when topmost.
  auto firstNormal =
      std::find_if(siblings.begin(), siblings.end(), [](HWND h) { return !IsTopMost(h); });
  size_t lo = topmost ? 0 : static_cast<size_t>(firstNormal - siblings.begin());
  size_t hi = topmost ? static_cast<size_t>(firstNormal - siblings.begin()) : siblings.size();
  size_t at;
  if (insertAfter == HWND_TOP) {
    at = lo;
  } else if (insertAfter == HWND_BOTTOM) {
    at = hi;
  } else {
    auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
    at = static_cast<size_t>(it - siblings.begin()) + 1;
  }
  at = std::clamp(at, lo, hi);
  // Never below the owner.
  if (window.owner) {
    auto owner = std::find(siblings.begin(), siblings.end(), window.owner);
    if (owner != siblings.end()) at = std::min(at, static_cast<size_t>(owner - siblings.begin()));
  }
  siblings.insert(siblings.begin() + static_cast<ptrdiff_t>(at), handle);
  // Owned windows stay above their owner, keeping their order among themselves.
  std::vector<HWND> owned;
  for (HWND other : siblings)
    if (OwnedBy(Peek(other), handle)) owned.push_back(other);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    auto self = std::find(siblings.begin(), siblings.end(), handle);
    auto pos = std::find(siblings.begin(), siblings.end(), *it);
    if (pos > self) {
      HWND moving = *pos;
      siblings.erase(pos);
      self = std::find(siblings.begin(), siblings.end(), handle);
      siblings.insert(self, moving);
    }
  }
}

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

BOOL SetWindowPosition(Window& start, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  HWND handle = start.handle;
  Window* window = &start;
  bool visible = window->style & WS_VISIBLE;
  if (visible)
    flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
  else
    flags &= ~static_cast<UINT>(SWP_HIDEWINDOW);
  if ((flags & SWP_SHOWWINDOW) && (flags & SWP_HIDEWINDOW))
    flags &= ~static_cast<UINT>(SWP_HIDEWINDOW);
  if (cx < 0) cx = 0;
  if (cy < 0) cy = 0;
  if (window->window.right - window->window.left == cx &&
      window->window.bottom - window->window.top == cy)
    flags |= SWP_NOSIZE;
  if (window->window.left == x && window->window.top == y) flags |= SWP_NOMOVE;
  if (insertAfter == handle) flags |= SWP_NOZORDER;
  if (window->parent && (window->style & WS_CHILD)) flags |= SWP_NOACTIVATE;

  WINDOWPOS pos{handle, insertAfter, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) {
    pos.x = window->window.left;
    pos.y = window->window.top;
  }
  if (flags & SWP_NOSIZE) {
    pos.cx = window->window.right - window->window.left;
    pos.cy = window->window.bottom - window->window.top;
  }
  if (!(flags & SWP_NOSENDCHANGING)) {
    Send(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!(window = Peek(handle))) return FALSE;
    if (pos.cx < 0) pos.cx = 0;
    if (pos.cy < 0) pos.cy = 0;
    if (window->window.left == pos.x && window->window.top == pos.y) pos.flags |= SWP_NOMOVE;
    if (window->window.right - window->window.left == pos.cx &&
        window->window.bottom - window->window.top == pos.cy)
      pos.flags |= SWP_NOSIZE;
  }
  flags = pos.flags;
  RECT oldWindow = window->window, oldClient = window->client;
  RECT newWindow{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  RECT newClient = oldClient;
  OffsetRect(&newClient, newWindow.left - oldWindow.left, newWindow.top - oldWindow.top);
  if ((flags & (SWP_NOSIZE | SWP_FRAMECHANGED)) != SWP_NOSIZE) {
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = newWindow;
    params.rgrc[1] = oldWindow;
    params.rgrc[2] = oldClient;
    params.lppos = &pos;
    Send(handle, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    if (!(window = Peek(handle))) return FALSE;
    newClient = params.rgrc[0];
  }
  if (newClient.right - newClient.left == oldClient.right - oldClient.left &&
      newClient.bottom - newClient.top == oldClient.bottom - oldClient.top)
    flags |= kNoClientSize;
  if (newClient.left == oldClient.left && newClient.top == oldClient.top) flags |= kNoClientMove;

  // A child leaving or changing place uncovers part of its parent: what it covered and no
  // longer does, marked once it is in its new place (so the mark does not reach into the
  // child where it still is).
  bool child = window->parent != nullptr;
  bool wasShowing = IsShowing(*window);
  bool uncovers = child && wasShowing &&
                  ((flags & SWP_HIDEWINDOW) || !(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE));

  window->window = newWindow;
  window->client = newClient;
  if (!(flags & SWP_NOZORDER)) PlaceInZOrder(*window, insertAfter);
  if (flags & SWP_SHOWWINDOW) window->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) window->style &= ~static_cast<DWORD>(WS_VISIBLE);
  if (uncovers) {
    linux_gdi::Region uncovered(oldWindow);
    if (!(flags & SWP_HIDEWINDOW)) uncovered.Subtract(newWindow);
    for (const RECT& rect : uncovered.Rects()) InvalidateParentArea(*window, rect);
  }
  if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) window->normal = newWindow;
  if (window->surface) window->surface->Resize(pos.cx, pos.cy);

  bool sizeChanged = !(flags & SWP_NOSIZE) || (flags & SWP_FRAMECHANGED);
  if (!(flags & SWP_NOREDRAW)) {
    if ((flags & SWP_SHOWWINDOW) || (sizeChanged && !(flags & kNoClientSize)) ||
        (window->surface && sizeChanged)) {
      InvalidateFrame(*window);
      InvalidateResized(*window, flags, oldWindow, oldClient);
    } else if (flags & SWP_FRAMECHANGED) {
      InvalidateFrame(*window);
    } else if (child && IsShowing(*window) && !(flags & SWP_NOMOVE)) {
      InvalidateFrame(*window);
      Invalidate(*window, nullptr, true, true);
    }
  }
  if (!child) {
    if ((flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) || !(flags & SWP_NOMOVE) ||
        !(flags & SWP_NOSIZE))
      SyncDriver(*window);
    if (!(flags & SWP_NOZORDER) && (window->style & WS_VISIBLE))
      linux_display::CurrentDriver().Raise(handle);
  }
  // Activation happens before WM_WINDOWPOSCHANGED, as Windows does it.
  if (!child && !(flags & SWP_NOACTIVATE) && (window->style & WS_VISIBLE) &&
      ((flags & SWP_SHOWWINDOW) || !(flags & SWP_NOZORDER))) {
    ActivateWindow(handle);
    if (!(window = Peek(handle))) return TRUE;
  }
  if ((flags & (SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_HIDEWINDOW |
                SWP_FRAMECHANGED)) != (SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER)) {
    pos.x = newWindow.left;
    pos.y = newWindow.top;
    pos.cx = newWindow.right - newWindow.left;
    pos.cy = newWindow.bottom - newWindow.top;
    pos.flags = flags;
    Send(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (!(window = Peek(handle))) return TRUE;
  }
  if ((flags & SWP_HIDEWINDOW) && !(flags & SWP_NOACTIVATE)) WindowGoing(handle);
  return TRUE;
}

namespace {

// Changes the minimised/maximised state for ShowWindow; returns the SWP flags to add and
// the new window rectangle in `place`.
UINT MinMaximize(Window& window, int command, RECT* place) {
  HWND handle = window.handle;
  UINT flags = 0;
  DWORD style = window.style;
  switch (command) {
    case SW_MINIMIZE: {
      if (style & WS_MINIMIZE) return 0;
      if (!(style & WS_MAXIMIZE)) window.normal = window.window;
      window.restoreToMaximized = (style & WS_MAXIMIZE) != 0;
      window.style = (window.style & ~static_cast<DWORD>(WS_MAXIMIZE)) | WS_MINIMIZE;
      POINT at = window.minPosition;
      if (at.x == -1 && at.y == -1) at = POINT{kIconicPosition, kIconicPosition};
      *place = RECT{at.x, at.y, at.x + kMinimizedWidth, at.y + kMinimizedHeight};
      flags |= SWP_NOCOPYBITS;
      break;
    }
    case SW_MAXIMIZE: {
      MINMAXINFO info = QueryMinMaxInfo(window);
      Window* self = Peek(handle);
      if (!self) return 0;
      if (self->style & WS_MINIMIZE) {
        self->style &= ~static_cast<DWORD>(WS_MINIMIZE);
      } else if (!(self->style & WS_MAXIMIZE)) {
        self->normal = self->window;
      }
      self->style |= WS_MAXIMIZE;
      *place =
          RECT{info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + info.ptMaxSize.x,
               info.ptMaxPosition.y + info.ptMaxSize.y};
      break;
    }
    case SW_RESTORE: {
      if (style & WS_MINIMIZE) {
        window.style &= ~static_cast<DWORD>(WS_MINIMIZE);
        if (window.restoreToMaximized) {
          flags |= MinMaximize(window, SW_MAXIMIZE, place);
          return flags | SWP_STATECHANGED;
        }
        *place = window.normal;
      } else if (style & WS_MAXIMIZE) {
        window.style &= ~static_cast<DWORD>(WS_MAXIMIZE);
        window.restoreToMaximized = false;
        *place = window.normal;
      } else {
        return 0;
      }
      break;
    }
    default:
      return 0;
  }
  return flags | SWP_STATECHANGED;
}

}  // namespace

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

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  DWORD style = window->style;
  bool wasVisible = style & WS_VISIBLE;
  bool child = (style & WS_CHILD) && window->parent;
  UINT swp = 0;
  RECT place = window->window;
  switch (nCmdShow) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      swp |= SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_FORCEMINIMIZE:
      swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      [[fallthrough]];
    case SW_SHOWMINIMIZED:
      swp |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
      if ((style & WS_MINIMIZE) && wasVisible) return TRUE;
      swp |= MinMaximize(*window, SW_MINIMIZE, &place);
      break;
    case SW_SHOWMAXIMIZED:
      swp |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
      if ((style & WS_MAXIMIZE) && wasVisible) return TRUE;
      swp |= MinMaximize(*window, SW_MAXIMIZE, &place);
      break;
    case SW_SHOWNA:
      swp |= SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      if (child) swp |= SWP_NOZORDER;
      break;
    case SW_SHOW:
      if (wasVisible) return TRUE;
      swp |= SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      if (child) swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWNOACTIVATE:
      swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      [[fallthrough]];
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    default:
      swp |= SWP_SHOWWINDOW;
      if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        if ((style & WS_MINIMIZE) && !Send(hWnd, WM_QUERYOPEN, 0, 0)) return wasVisible;
        if (!(window = Peek(hWnd))) return FALSE;
        swp |= SWP_FRAMECHANGED | MinMaximize(*window, SW_RESTORE, &place);
      } else {
        if (wasVisible) return TRUE;
        swp |= SWP_NOSIZE | SWP_NOMOVE;
      }
      if (child && !(swp & SWP_STATECHANGED)) swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      break;
  }
  if (!(window = Peek(hWnd))) return wasVisible;
  bool show = nCmdShow != SW_HIDE;
  if (show != wasVisible && !(swp & SWP_STATECHANGED)) {
    Send(hWnd, WM_SHOWWINDOW, show, 0);
    if (!(window = Peek(hWnd))) return wasVisible;
  }
  if (child && window->parent && !IsWindowVisible(window->parent)) {
    // Under a hidden parent only the flag changes; the parent's showing repaints it.
    if (show)
      window->style |= WS_VISIBLE;
    else
      window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (!(swp & SWP_STATECHANGED)) return wasVisible;
  }
  SetWindowPosition(*window, HWND_TOP, place.left, place.top, place.right - place.left,
                    place.bottom - place.top, swp);
  if (!(window = Peek(hWnd))) return wasVisible;
  if (nCmdShow == SW_HIDE) WindowGoing(hWnd);
  if (!(window = Peek(hWnd))) return wasVisible;
  if (window->needSize) {
    // An overlapped window's first WM_SIZE and WM_MOVE, held back since creation.
    window->needSize = false;
    WPARAM type = (window->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                  : (window->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                  : SIZE_RESTORED;
    Send(hWnd, WM_SIZE, type,
         MAKELPARAM(window->client.right - window->client.left,
                    window->client.bottom - window->client.top));
    if ((window = Peek(hWnd)))
      Send(hWnd, WM_MOVE, 0, MAKELPARAM(window->client.left, window->client.top));
  }
  return wasVisible;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  Window* window = Find(hWnd);
  if (!window || !lpRect) return FALSE;
  *lpRect = ScreenWindowRect(*window);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  Window* window = Find(hWnd);
  if (!window || !lpRect) return FALSE;
  *lpRect = RECT{0, 0, window->client.right - window->client.left,
                 window->client.bottom - window->client.top};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  Window* window = Find(hWnd);
  if (!window || !lpPoint) return FALSE;
  POINT origin = ClientOriginOnScreen(*window);
  lpPoint->x += origin.x;
  lpPoint->y += origin.y;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  Window* window = Find(hWnd);
  if (!window || !lpPoint) return FALSE;
  POINT origin = ClientOriginOnScreen(*window);
  lpPoint->x -= origin.x;
  lpPoint->y -= origin.y;
  return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  POINT from{0, 0}, to{0, 0};
  if (hWndFrom) {
    Window* window = Find(hWndFrom);
    if (!window) return 0;
    from = ClientOriginOnScreen(*window);
  }
  if (hWndTo) {
    Window* window = Find(hWndTo);
    if (!window) return 0;
    to = ClientOriginOnScreen(*window);
  }
  int dx = from.x - to.x, dy = from.y - to.y;
  for (UINT i = 0; lpPoints && i < cPoints; ++i) {
    lpPoints[i].x += dx;
    lpPoints[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* wp) {
  Window* window = Find(hWnd);
  if (!window || !wp) return FALSE;
  wp->length = sizeof(WINDOWPLACEMENT);
  wp->flags =
      window->restoreToMaximized && (window->style & WS_MINIMIZE) ? WPF_RESTORETOMAXIMIZED : 0;
  if (window->style & WS_MINIMIZE)
    wp->showCmd = SW_SHOWMINIMIZED;
  else if (window->style & WS_MAXIMIZE)
    wp->showCmd = SW_SHOWMAXIMIZED;
  else
    wp->showCmd = SW_SHOWNORMAL;
  wp->ptMinPosition = window->minPosition;
  wp->ptMaxPosition = window->maxPosition;
  wp->rcNormalPosition =
      (window->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? window->normal : window->window;
  return TRUE;
}

BOOL WINAPI SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* wp) {
  Window* window = Find(hWnd);
  if (!window || !wp) return FALSE;
  if (wp->flags & WPF_SETMINPOSITION) window->minPosition = wp->ptMinPosition;
  window->maxPosition = wp->ptMaxPosition;
  window->restoreToMaximized = (wp->flags & WPF_RESTORETOMAXIMIZED) != 0;
  RECT normal = wp->rcNormalPosition;
  window->normal = normal;
  if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE)))
    SetWindowPos(hWnd, nullptr, normal.left, normal.top, normal.right - normal.left,
                 normal.bottom - normal.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hWnd, static_cast<int>(wp->showCmd));
  return TRUE;
}

}  // extern "C"
