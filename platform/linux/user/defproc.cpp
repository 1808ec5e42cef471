// DefWindowProcA: Windows' default handling of the messages the framework relies on.
#include <algorithm>
#include <cstring>

#include "platform/gdi_handles.h"
#include "platform/linux/user/internal.h"

using namespace linux_user;

namespace {

LRESULT WindowPosChanged(HWND hWnd, const WINDOWPOS* pos) {
  Window* window = Peek(hWnd);
  if (!window || !pos) return 0;
  if (!(pos->flags & (kNoClientMove | kNoClientSize)) || (pos->flags & SWP_STATECHANGED))
    window->needSize = false;
  if (!(pos->flags & kNoClientMove) &&
      !(window =
            SendAndPeek(hWnd, WM_MOVE, 0, MAKELPARAM(window->client.left, window->client.top))))
    return 0;
  if (!(pos->flags & kNoClientSize) || (pos->flags & SWP_STATECHANGED))
    Send(hWnd, WM_SIZE, SizeTypeOf(*window),
         MAKELPARAM(window->client.right - window->client.left,
                    window->client.bottom - window->client.top));
  return 0;
}

LRESULT WindowPosChanging(HWND hWnd, WINDOWPOS* pos) {
  Window* window = Peek(hWnd);
  if (!window || !pos) return 0;
  if (!(pos->flags & SWP_NOSIZE) && !(window->style & WS_MINIMIZE) &&
      ((window->style & WS_THICKFRAME) || !(window->style & (WS_POPUP | WS_CHILD)))) {
    MINMAXINFO info = QueryMinMaxInfo(*window);
    pos->cx = std::min<int>(std::max<int>(pos->cx, info.ptMinTrackSize.x), info.ptMaxTrackSize.x);
    pos->cy = std::min<int>(std::max<int>(pos->cy, info.ptMinTrackSize.y), info.ptMaxTrackSize.y);
  }
  return 0;
}

// A window that draws nothing still validates what was to be painted.
LRESULT PaintNothing(HWND hWnd) {
  const PaintSession paint(hWnd);
  return 0;
}

// The client area inside the frame the style gives; none while minimised.
LRESULT NcCalcSize(const Window& window, LPARAM lParam) {
  RECT* rect = reinterpret_cast<RECT*>(lParam);
  if (!rect) return 0;
  if (window.style & WS_MINIMIZE) {
    rect->right = rect->left;
    rect->bottom = rect->top;
    return 0;
  }
  RECT insets = FrameInsets(window.style, window.exStyle);
  rect->left += insets.left;
  rect->top += insets.top;
  rect->right = std::max(rect->left, rect->right - insets.right);
  rect->bottom = std::max(rect->top, rect->bottom - insets.bottom);
  return 0;
}

LRESULT SetText(Window& window, LPARAM lParam) {
  window.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
  if ((window.style & WS_CAPTION) == WS_CAPTION) InvalidateFrame(window);
  if (!window.parent && (window.style & WS_VISIBLE)) SyncDriver(window);
  return TRUE;
}

LRESULT GetText(const Window& window, WPARAM wParam, LPARAM lParam) {
  auto* buffer = reinterpret_cast<char*>(lParam);
  if (!buffer || wParam == 0) return 0;
  size_t length = std::min(window.text.size(), static_cast<size_t>(wParam) - 1);
  std::memcpy(buffer, window.text.data(), length);
  buffer[length] = '\0';
  return static_cast<LRESULT>(length);
}

LRESULT SysCommand(HWND hWnd, const Window& window, WPARAM wParam) {
  switch (wParam & 0xFFF0) {
    // Only the minimise and restore commands take a top-level's owned popups along;
    // ShowWindow alone leaves them where they are, as the reference system does.
    case SC_MINIMIZE:
      if (!window.parent) ShowOwnedPopups(hWnd, FALSE);
      ShowWindow(hWnd, SW_MINIMIZE);
      break;
    case SC_MAXIMIZE:
      ShowWindow(hWnd, SW_MAXIMIZE);
      break;
    case SC_RESTORE: {
      const bool iconic = (window.style & WS_MINIMIZE) != 0 && !window.parent;
      ShowWindow(hWnd, SW_RESTORE);
      if (iconic && Find(hWnd)) ShowOwnedPopups(hWnd, TRUE);
      break;
    }
    case SC_CLOSE:
      Send(hWnd, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
  return 0;
}

// Owned popups hidden and shown with their owner (ShowOwnedPopups).
LRESULT ShowWithOwner(HWND hWnd, const Window& window, WPARAM wParam, LPARAM lParam) {
  if (!lParam || !(window.style & WS_POPUP) || !window.owner) return 0;
  bool visible = window.style & WS_VISIBLE;
  if (visible == (wParam != 0)) return 0;
  ShowWindow(hWnd, wParam ? SW_SHOWNOACTIVATE : SW_HIDE);
  return 0;
}

LRESULT SetIcon(Window& window, WPARAM wParam, LPARAM lParam) {
  HICON& slot = wParam == ICON_SMALL ? window.iconSmall : window.iconBig;
  HICON old = slot;
  slot = reinterpret_cast<HICON>(lParam);
  if (!window.parent && (window.style & WS_VISIBLE)) SyncDriver(window);
  return reinterpret_cast<LRESULT>(old);
}

// The seven colour queries are numbered one after another, message box to static.
bool IsCtlColor(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// Window text on the window colour for edits and lists, on the button face for the rest.
LRESULT CtlColor(UINT message, WPARAM wParam) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  bool edit = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(edit ? COLOR_WINDOW : COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_BTNFACE));
}

}  // namespace

extern "C" {

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = Peek(hWnd);
  if (!window) return 0;
  switch (Msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) window->text = cs->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE:
      return NcCalcSize(*window, lParam);
    case WM_NCHITTEST:
      return DefNcHitTest(hWnd, lParam);
    case WM_SETCURSOR:
      return DefSetCursor(hWnd, wParam, lParam);
    case WM_MOUSEACTIVATE:
      return DefMouseActivate(hWnd, wParam, lParam);
    case WM_ACTIVATE:
      return DefActivate(hWnd, wParam, lParam);
    case WM_NCACTIVATE:
      InvalidateFrame(*window);
      return TRUE;
    case WM_PAINT:
      return PaintNothing(hWnd);
    case WM_ERASEBKGND:
    case WM_ICONERASEBKGND:
      return DefaultEraseBackground(*window, reinterpret_cast<HDC>(wParam));
    case WM_NCPAINT:
      DrawFrame(*window);
      return 0;
    case WM_SETTEXT:
      return SetText(*window, lParam);
    case WM_GETTEXT:
      return GetText(*window, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(window->text.size());
    case WM_WINDOWPOSCHANGING:
      return WindowPosChanging(hWnd, reinterpret_cast<WINDOWPOS*>(lParam));
    case WM_WINDOWPOSCHANGED:
      return WindowPosChanged(hWnd, reinterpret_cast<const WINDOWPOS*>(lParam));
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_SYSCOMMAND:
      return SysCommand(hWnd, *window, wParam);
    case WM_SHOWWINDOW:
      return ShowWithOwner(hWnd, *window, wParam, lParam);
    case WM_SETICON:
      return SetIcon(*window, wParam, lParam);
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(wParam == ICON_SMALL ? window->iconSmall : window->iconBig);
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(window->cls ? window->cls->icon : nullptr);
    default:
      return IsCtlColor(Msg) ? CtlColor(Msg, wParam) : 0;
  }
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) {
  if (!lpPrevWndFunc) return 0;
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

}  // extern "C"
