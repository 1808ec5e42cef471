// The window tree: parents, owners, z-order walks and enumeration, state queries.
#include <strings.h>

#include <algorithm>

#include "platform/linux/user/internal.h"

using namespace linux_user;

namespace {

HWND Neighbour(Window& window, int step) {
  auto& siblings = Siblings(window);
  auto it = std::find(siblings.begin(), siblings.end(), window.handle);
  if (it == siblings.end()) return nullptr;
  if (step < 0) return it == siblings.begin() ? nullptr : *(it - 1);
  return it + 1 == siblings.end() ? nullptr : *(it + 1);
}

bool EnumList(const std::vector<HWND>& list, WNDENUMPROC proc, LPARAM lParam, bool recurse) {
  for (HWND handle : std::vector<HWND>(list)) {
    Window* window = Peek(handle);
    if (!window) continue;
    if (!proc(handle, lParam)) return false;
    if (recurse && (window = Peek(handle)) && !EnumList(window->children, proc, lParam, true))
      return false;
  }
  return true;
}

}  // namespace

extern "C" {

HWND WINAPI GetParent(HWND hWnd) {
  Window* window = Find(hWnd);
  if (!window) return nullptr;
  if (window->style & WS_CHILD) return window->parent;
  if (window->style & WS_POPUP) return window->owner;
  return nullptr;
}

HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags) {
  Window* window = Find(hwnd);
  if (!window) return nullptr;
  switch (gaFlags) {
    case GA_PARENT:
      return window->parent;
    case GA_ROOT:
      return TopLevelOf(window)->handle;
    case GA_ROOTOWNER: {
      Window* root = TopLevelOf(window);
      while (root->owner && Peek(root->owner)) root = Peek(root->owner);
      return root->handle;
    }
    default:
      return nullptr;
  }
}

HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent) {
  Window* window = Find(hWndChild);
  if (!window) return nullptr;
  if (hWndNewParent && !Find(hWndNewParent)) return nullptr;
  if (hWndNewParent == hWndChild || (hWndNewParent && IsChild(hWndChild, hWndNewParent))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HWND old = window->parent;
  bool visible = window->style & WS_VISIBLE;
  if (visible) ShowWindow(hWndChild, SW_HIDE);
  if (!(window = Peek(hWndChild))) return nullptr;
  {
    std::lock_guard lock(TableLock());
    auto& siblings = Siblings(*window);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hWndChild), siblings.end());
    window->parent = hWndNewParent;
    Siblings(*window).insert(Siblings(*window).begin(), hWndChild);
  }
  if (!hWndNewParent && !window->surface) {
    window->surface = std::make_unique<WindowSurface>();
    window->surface->Resize(window->window.right - window->window.left,
                            window->window.bottom - window->window.top);
  } else if (hWndNewParent && window->surface) {
    window->surface.reset();
  }
  SetWindowPos(hWndChild, HWND_TOP, window->window.left, window->window.top, 0, 0,
               SWP_NOSIZE | (visible ? SWP_SHOWWINDOW : 0));
  return old;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
  Window* window = Find(hWnd);
  if (!window) return nullptr;
  switch (uCmd) {
    case GW_HWNDFIRST: {
      auto& siblings = Siblings(*window);
      return siblings.empty() ? nullptr : siblings.front();
    }
    case GW_HWNDLAST: {
      auto& siblings = Siblings(*window);
      return siblings.empty() ? nullptr : siblings.back();
    }
    case GW_HWNDNEXT:
      return Neighbour(*window, 1);
    case GW_HWNDPREV:
      return Neighbour(*window, -1);
    case GW_OWNER:
      return window->owner;
    case GW_CHILD:
      return window->children.empty() ? nullptr : window->children.front();
    case GW_ENABLEDPOPUP:
      return nullptr;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND WINAPI GetTopWindow(HWND hWnd) {
  if (!hWnd) return TopLevels().empty() ? nullptr : TopLevels().front();
  return GetWindow(hWnd, GW_CHILD);
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
  Window* window = Peek(hWnd);
  while (window && (window->style & WS_CHILD) && window->parent) {
    if (window->parent == hWndParent) return TRUE;
    window = Peek(window->parent);
  }
  return FALSE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return Peek(hWnd) != nullptr; }

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  Window* window = Peek(hWnd);
  return window && IsShowing(*window);
}

BOOL WINAPI IsIconic(HWND hWnd) {
  Window* window = Peek(hWnd);
  return window && (window->style & WS_MINIMIZE);
}

BOOL WINAPI IsZoomed(HWND hWnd) {
  Window* window = Peek(hWnd);
  return window && (window->style & WS_MAXIMIZE);
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  Window* window = Peek(hWnd);
  return window && !(window->style & WS_DISABLED);
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) != 0;
  if (bEnable && wasDisabled) {
    window->style &= ~static_cast<DWORD>(WS_DISABLED);
    Send(hWnd, WM_ENABLE, TRUE, 0);
  } else if (!bEnable && !wasDisabled) {
    if ((window = SendAndPeek(hWnd, WM_CANCELMODE, 0, 0))) window->style |= WS_DISABLED;
    Send(hWnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
  if (!lpfn) return FALSE;
  std::vector<HWND> mine;
  for (HWND handle : TopLevels()) {
    Window* window = Peek(handle);
    if (window && window->thread == dwThreadId) mine.push_back(handle);
  }
  EnumList(mine, lpfn, lParam, false);
  return !mine.empty();
}

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  if (!lpEnumFunc) return FALSE;
  return EnumList(TopLevels(), lpEnumFunc, lParam, false);
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  Window* window = hWndParent ? Find(hWndParent) : nullptr;
  if (!lpEnumFunc) return FALSE;
  if (!hWndParent) return EnumWindows(lpEnumFunc, lParam);
  if (!window) return FALSE;
  return EnumList(window->children, lpEnumFunc, lParam, true);
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  auto cls = lpClassName ? FindClass(lpClassName, nullptr) : nullptr;
  if (lpClassName && !cls) return nullptr;
  for (HWND handle : TopLevels()) {
    Window* window = Peek(handle);
    if (!window || (cls && window->cls != cls)) continue;
    if (lpWindowName && strcasecmp(window->text.c_str(), lpWindowName) != 0) continue;
    return handle;
  }
  return nullptr;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  Window* window = Find(hWnd);
  if (!window) return 0;
  if (lpdwProcessId) *lpdwProcessId = GetCurrentProcessId();
  return window->thread;
}

HWND WINAPI GetLastActivePopup(HWND hWnd) {
  Window* window = Find(hWnd);
  if (!window) return nullptr;
  Window* popup = Peek(window->lastActivePopup);
  if (popup && popup->owner == hWnd && (popup->style & WS_VISIBLE) && !(popup->style & WS_DISABLED))
    return popup->handle;
  return hWnd;
}

BOOL WINAPI ShowOwnedPopups(HWND hWnd, BOOL fShow) {
  if (!Find(hWnd)) return FALSE;
  std::vector<HWND> list = TopLevels();
  if (fShow) std::reverse(list.begin(), list.end());
  for (HWND handle : list) {
    Window* popup = Peek(handle);
    if (!popup || popup->owner != hWnd || !(popup->style & WS_POPUP)) continue;
    if (fShow) {
      if (popup->hiddenByOwner) {
        popup->hiddenByOwner = false;
        Send(handle, WM_SHOWWINDOW, SW_SHOWNORMAL, SW_PARENTOPENING);
      }
    } else if (popup->style & WS_VISIBLE) {
      popup->hiddenByOwner = true;
      Send(handle, WM_SHOWWINDOW, SW_HIDE, SW_PARENTCLOSING);
    }
  }
  return TRUE;
}

}  // extern "C"
