// Creating and destroying windows, with Windows' message sequences: WM_GETMINMAXINFO,
// WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE on creation; WM_DESTROY parent
// first and WM_NCDESTROY children first on destruction, owned windows before their owner.
#include <algorithm>

#include "platform/linux/display/driver.h"
#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

constexpr int kDefaultX = 26, kDefaultY = 26;

DWORD FixExStyle(DWORD style, DWORD exStyle) {
  if ((exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_BORDER)) ||
      (style & WS_THICKFRAME) || ((style & WS_CAPTION) == WS_CAPTION))
    exStyle |= WS_EX_WINDOWEDGE;
  else
    exStyle &= ~static_cast<DWORD>(WS_EX_WINDOWEDGE);
  return exStyle;
}

void SendDestroy(HWND handle) {
  Window* window = Peek(handle);
  if (!window) return;
  Send(handle, WM_DESTROY, 0, 0);
  if (!(window = Peek(handle))) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) SendDestroy(child);
}

void FreeTree(HWND handle) {
  Window* window = Peek(handle);
  if (!window) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) FreeTree(child);
  if (!(window = Peek(handle))) return;
  KillTimersOf(handle);
  Send(handle, WM_NCDESTROY, 0, 0);
  if (!(window = Peek(handle))) return;
  DropMessagesFor(handle);
  ForgetPainting(*window);
  if (!window->parent) linux_display::CurrentDriver().Forget(handle);
  {
    std::lock_guard lock(TableLock());
    auto& siblings = Siblings(*window);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    for (HWND other : AllWindows()) {
      Window* w = Peek(other);
      if (w && w->owner == handle) w->owner = nullptr;
      if (w && w->lastActivePopup == handle) w->lastActivePopup = nullptr;
    }
    if (window->cls) --window->cls->windows;
  }
  FreeWindow(handle);
}

}  // namespace

}  // namespace linux_user

using namespace linux_user;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
  auto cls = FindClass(lpClassName, hInstance);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  HWND parent = nullptr, owner = nullptr;
  if (hWndParent == HWND_MESSAGE) hWndParent = nullptr;
  if (dwStyle & WS_CHILD) {
    if (!hWndParent || !Find(hWndParent)) {
      SetLastError(hWndParent ? ERROR_INVALID_WINDOW_HANDLE : 1406 /* no parent */);
      return nullptr;
    }
    parent = hWndParent;
  } else if (hWndParent) {
    Window* ownerWindow = TopLevelOf(Find(hWndParent));
    if (!ownerWindow) return nullptr;
    owner = ownerWindow->handle;
  }

  // Top-level windows always clip their siblings; overlapped ones always have a caption.
  if (!(dwStyle & WS_CHILD)) {
    dwStyle |= WS_CLIPSIBLINGS;
    if (!(dwStyle & WS_POPUP)) dwStyle |= WS_CAPTION;
  }
  dwExStyle = FixExStyle(dwStyle, dwExStyle);

  bool overlapped = !(dwStyle & (WS_CHILD | WS_POPUP));
  if (X == CW_USEDEFAULT) {
    if (overlapped) {
      X = kDefaultX;
      // Windows reads Y as the show command here; the position is the default either way.
      Y = kDefaultY;
    } else {
      X = Y = 0;
    }
  }
  if (nWidth == CW_USEDEFAULT) {
    if (overlapped) {
      auto& screen = linux_display::CurrentDriver();
      nWidth = screen.ScreenWidth() * 3 / 4 - X;
      nHeight = screen.ScreenHeight() * 3 / 4 - Y;
    } else {
      nWidth = nHeight = 0;
    }
  }
  if (nWidth < 0) nWidth = 0;
  if (nHeight < 0) nHeight = 0;

  Window* window = AllocateWindow();
  if (!window) return nullptr;
  // Window DCs may be asked for before any message is pumped (a form measures text while
  // it is being read).
  static const bool dcHooks = (InstallDcHooks(), true);
  (void)dcHooks;
  HWND handle = window->handle;
  window->thread = GetCurrentThreadId();
  window->cls = cls;
  window->proc = cls->proc;
  window->style = dwStyle & ~static_cast<DWORD>(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
  window->exStyle = dwExStyle;
  window->parent = parent;
  window->owner = owner;
  window->instance = hInstance;
  window->id = reinterpret_cast<LONG_PTR>(hMenu);
  window->extra.assign(static_cast<size_t>(cls->windowExtra), 0);
  window->window = RECT{X, Y, X + nWidth, Y + nHeight};
  window->client = window->window;
  window->normal = window->window;
  {
    std::lock_guard lock(TableLock());
    ++cls->windows;
    auto& siblings = Siblings(*window);
    // New top-level windows go on top (below topmost ones unless topmost); new children
    // below their siblings, as Windows places them.
    auto at = parent ? siblings.end() : siblings.begin();
    if (!parent && !(dwExStyle & WS_EX_TOPMOST))
      while (at != siblings.end() && Peek(*at) && (Peek(*at)->exStyle & WS_EX_TOPMOST)) ++at;
    siblings.insert(at, handle);
  }
  if (!parent) window->surface = std::make_unique<WindowSurface>();

  CREATESTRUCTA cs{lpParam,
                   hInstance,
                   hMenu,
                   hWndParent,
                   nHeight,
                   nWidth,
                   Y,
                   X,
                   static_cast<LONG>(dwStyle),
                   lpWindowName,
                   lpClassName,
                   dwExStyle};
  if ((dwStyle & WS_THICKFRAME) || !(dwStyle & (WS_POPUP | WS_CHILD))) {
    MINMAXINFO info = QueryMinMaxInfo(*window);
    if (!(window = Peek(handle))) return nullptr;
    cs.cx = std::clamp<int>(cs.cx, std::min(info.ptMinTrackSize.x, info.ptMaxTrackSize.x),
                            info.ptMaxTrackSize.x);
    cs.cy = std::clamp<int>(cs.cy, std::min(info.ptMinTrackSize.y, info.ptMaxTrackSize.y),
                            info.ptMaxTrackSize.y);
    window->window = RECT{X, Y, X + cs.cx, Y + cs.cy};
    window->client = window->normal = window->window;
  }

  if (!Send(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    if (Peek(handle)) DestroyWindow(handle);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (!(window = Peek(handle))) return nullptr;
  window->created = true;

  RECT client = window->window;
  Send(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
  if (!(window = Peek(handle))) return nullptr;
  window->client = client;
  if (window->surface)
    window->surface->Resize(window->window.right - window->window.left,
                            window->window.bottom - window->window.top);

  if (Send(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    if (Peek(handle)) DestroyWindow(handle);
    return nullptr;
  }
  if (!(window = Peek(handle))) return nullptr;

  if (overlapped) {
    window->needSize = true;
  } else {
    Send(handle, WM_SIZE, SIZE_RESTORED,
         MAKELPARAM(window->client.right - window->client.left,
                    window->client.bottom - window->client.top));
    if (!(window = Peek(handle))) return nullptr;
    Send(handle, WM_MOVE, 0, MAKELPARAM(window->client.left, window->client.top));
    if (!(window = Peek(handle))) return nullptr;
  }

  if (parent && !(dwExStyle & WS_EX_NOPARENTNOTIFY))
    Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, window->id),
         reinterpret_cast<LPARAM>(handle));
  if (!Peek(handle)) return nullptr;

  if (dwStyle & WS_MINIMIZE)
    ShowWindow(handle, (dwStyle & WS_VISIBLE) ? SW_SHOWMINIMIZED : SW_MINIMIZE);
  else if (dwStyle & WS_MAXIMIZE)
    ShowWindow(handle, SW_SHOWMAXIMIZED);
  if ((dwStyle & WS_VISIBLE) && Peek(handle) && !(Peek(handle)->style & WS_VISIBLE))
    ShowWindow(handle, SW_SHOW);
  return Peek(handle) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  if (window->thread != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (window->destroying) return TRUE;
  window->destroying = true;
  bool child = (window->style & WS_CHILD) && window->parent;
  if (child && !(window->exStyle & WS_EX_NOPARENTNOTIFY))
    Send(window->parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, window->id),
         reinterpret_cast<LPARAM>(hWnd));
  if (!(window = Peek(hWnd))) return TRUE;

  if (window->style & WS_VISIBLE) {
    if (child)
      ShowWindow(hWnd, SW_HIDE);
    else
      SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  }
  if (!(window = Peek(hWnd))) return TRUE;

  if (!child) {
    // Owned windows go first, each with its own full sequence.
    for (HWND other : std::vector<HWND>(TopLevels())) {
      Window* owned = Peek(other);
      if (owned && owned->owner == hWnd && !owned->destroying) DestroyWindow(other);
    }
  }
  if (Peek(hWnd)) WindowGoing(hWnd);
  SendDestroy(hWnd);
  FreeTree(hWnd);
  return TRUE;
}

}  // extern "C"
