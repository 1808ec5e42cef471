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
  if (!Peek(handle)) return;
  Window* window = SendAndPeek(handle, WM_DESTROY, 0, 0);
  if (!window) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) SendDestroy(child);
}

void FreeTree(HWND handle) {
  Window* window = Peek(handle);
  if (!window) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) FreeTree(child);
  if (!Peek(handle)) return;
  KillTimersOf(handle);
  if (!(window = SendAndPeek(handle, WM_NCDESTROY, 0, 0))) return;
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

// A child's parent must exist; any other window named as parent owns the new one through
// its top-level window. False (last error set) when the window cannot be made.
bool ResolveParent(DWORD style, HWND requested, HWND& parent, HWND& owner) {
  parent = owner = nullptr;
  if (style & WS_CHILD) {
    if (!requested || !Find(requested)) {
      SetLastError(requested ? ERROR_INVALID_WINDOW_HANDLE : 1406 /* no parent */);
      return false;
    }
    parent = requested;
  } else if (requested) {
    Window* ownerWindow = TopLevelOf(Find(requested));
    if (!ownerWindow) return false;
    owner = ownerWindow->handle;
  }
  return true;
}

// Top-level windows always clip their siblings; overlapped ones always have a caption.
DWORD FixStyle(DWORD style) {
  if (!(style & WS_CHILD)) {
    style |= WS_CLIPSIBLINGS;
    if (!(style & WS_POPUP)) style |= WS_CAPTION;
  }
  return style;
}

bool IsOverlapped(DWORD style) { return !(style & (WS_CHILD | WS_POPUP)); }

// CW_USEDEFAULT resolved: overlapped windows get the default place and three quarters of
// the screen, others nothing; sizes are never negative.
void ResolvePlacement(DWORD style, int& x, int& y, int& width, int& height) {
  const bool overlapped = IsOverlapped(style);
  if (x == CW_USEDEFAULT) {
    // Windows reads y as the show command here; the position is the default either way.
    x = overlapped ? kDefaultX : 0;
    y = overlapped ? kDefaultY : 0;
  }
  if (width == CW_USEDEFAULT) {
    if (overlapped) {
      auto& screen = linux_display::CurrentDriver();
      width = screen.ScreenWidth() * 3 / 4 - x;
      height = screen.ScreenHeight() * 3 / 4 - y;
    } else {
      width = height = 0;
    }
  }
  width = std::max(width, 0);
  height = std::max(height, 0);
}

// New top-level windows go on top (below topmost ones unless topmost); new children below
// their siblings, as Windows places them.
void InsertInZOrder(const Window& window) {
  std::lock_guard lock(TableLock());
  ++window.cls->windows;
  auto& siblings = Siblings(window);
  auto at = window.parent ? siblings.end() : siblings.begin();
  if (!window.parent && !(window.exStyle & WS_EX_TOPMOST))
    while (at != siblings.end() && Peek(*at) && (Peek(*at)->exStyle & WS_EX_TOPMOST)) ++at;
  siblings.insert(at, window.handle);
}

// The record of a new window, not yet told anything, in its place in the z-order.
Window* MakeWindow(const CREATESTRUCTA& cs, std::shared_ptr<WindowClass> cls, HWND parent,
                   HWND owner) {
  Window* window = AllocateWindow();
  if (!window) return nullptr;
  // Window DCs may be asked for before any message is pumped (a form measures text while
  // it is being read).
  static const bool dcHooks = (InstallDcHooks(), true);
  (void)dcHooks;
  const auto style = static_cast<DWORD>(cs.style);
  window->thread = GetCurrentThreadId();
  window->proc = cls->proc;
  window->extra.assign(static_cast<size_t>(cls->windowExtra), 0);
  window->cls = std::move(cls);
  window->style = style & ~static_cast<DWORD>(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
  window->exStyle = cs.dwExStyle;
  window->parent = parent;
  window->owner = owner;
  window->instance = cs.hInstance;
  window->id = reinterpret_cast<LONG_PTR>(cs.hMenu);
  window->window = RECT{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
  window->client = window->window;
  window->normal = window->window;
  InsertInZOrder(*window);
  if (!parent) window->surface = std::make_unique<WindowSurface>();
  return window;
}

// A sizeable or overlapped window starts within its tracking size (WM_GETMINMAXINFO).
Window* ClampToTrackSize(Window& window, CREATESTRUCTA& cs) {
  const auto style = static_cast<DWORD>(cs.style);
  if (!(style & WS_THICKFRAME) && (style & (WS_POPUP | WS_CHILD))) return &window;
  const HWND handle = window.handle;
  MINMAXINFO info = QueryMinMaxInfo(window);
  Window* self = Peek(handle);
  if (!self) return nullptr;
  cs.cx = std::clamp<int>(cs.cx, std::min(info.ptMinTrackSize.x, info.ptMaxTrackSize.x),
                          info.ptMaxTrackSize.x);
  cs.cy = std::clamp<int>(cs.cy, std::min(info.ptMinTrackSize.y, info.ptMaxTrackSize.y),
                          info.ptMaxTrackSize.y);
  self->window = RECT{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
  self->client = self->normal = self->window;
  return self;
}

// WM_NCCREATE, WM_NCCALCSIZE and WM_CREATE; then WM_SIZE and WM_MOVE, which an overlapped
// window holds back until it is first shown. nullptr when the window did not survive them.
Window* SendCreationMessages(HWND handle, CREATESTRUCTA& cs, DWORD style) {
  LRESULT answer = 0;
  Window* window = SendAndPeek(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs), &answer);
  if (!answer) {
    if (window) DestroyWindow(handle);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (!window) return nullptr;
  window->created = true;

  RECT client = window->window;
  if (!(window = SendAndPeek(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client))))
    return nullptr;
  window->client = client;
  if (window->surface)
    window->surface->Resize(window->window.right - window->window.left,
                            window->window.bottom - window->window.top);

  window = SendAndPeek(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs), &answer);
  if (answer == -1) {
    if (window) DestroyWindow(handle);
    return nullptr;
  }
  if (!window) return nullptr;

  if (IsOverlapped(style)) {
    window->needSize = true;
    return window;
  }
  return SendSizeAndMove(handle, SIZE_RESTORED);
}

// The parent hears of its new child; then the window takes the state and visibility its
// creation style asked for.
HWND Announce(const Window& window, HWND parent, DWORD style, DWORD exStyle) {
  const HWND handle = window.handle;
  if (parent && !(exStyle & WS_EX_NOPARENTNOTIFY))
    Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, window.id),
         reinterpret_cast<LPARAM>(handle));
  if (!Peek(handle)) return nullptr;

  if (style & WS_MINIMIZE)
    ShowWindow(handle, (style & WS_VISIBLE) ? SW_SHOWMINIMIZED : SW_MINIMIZE);
  else if (style & WS_MAXIMIZE)
    ShowWindow(handle, SW_SHOWMAXIMIZED);
  if ((style & WS_VISIBLE) && Peek(handle) && !(Peek(handle)->style & WS_VISIBLE))
    ShowWindow(handle, SW_SHOW);
  return Peek(handle) ? handle : nullptr;
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
  if (hWndParent == HWND_MESSAGE) hWndParent = nullptr;
  HWND parent, owner;
  if (!ResolveParent(dwStyle, hWndParent, parent, owner)) return nullptr;
  dwStyle = FixStyle(dwStyle);
  dwExStyle = FixExStyle(dwStyle, dwExStyle);
  ResolvePlacement(dwStyle, X, Y, nWidth, nHeight);

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
  Window* window = MakeWindow(cs, std::move(cls), parent, owner);
  if (!window) return nullptr;
  const HWND handle = window->handle;
  if (!(window = ClampToTrackSize(*window, cs))) return nullptr;
  if (!(window = SendCreationMessages(handle, cs, dwStyle))) return nullptr;
  return Announce(*window, parent, dwStyle, dwExStyle);
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
