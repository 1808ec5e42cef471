// Activation and keyboard focus for the one thread that owns our windows, in the
// reference system's order: the old window hears WM_NCACTIVATE and WM_ACTIVATE before the
// switch, the new one WM_QUERYNEWPALETTE, then every top-level window WM_ACTIVATEAPP when
// the program itself gains or loses activation, then WM_NCACTIVATE and WM_ACTIVATE, and
// last the focus moves (WM_KILLFOCUS, WM_SETFOCUS) unless it already is inside the window.
#include "platform/linux/user/delivery.h"
#include "platform/linux/user/input.h"

namespace linux_user {
namespace {

struct ActivationState {
  HWND active = nullptr;
  HWND focus = nullptr;
  // The program holds the display's activation: its active window is the foreground one.
  bool foreground = false;
};

ActivationState& State() {
  static ActivationState state;
  return state;
}

HWND ActiveWindow() { return State().active = Live(State().active); }
HWND FocusWindow() { return State().focus = Live(State().focus); }
HWND ForegroundWindow() { return State().foreground ? ActiveWindow() : nullptr; }

HWND Root(HWND window) {
  Window* w = Peek(window);
  while (w != nullptr && (w->style & WS_CHILD) != 0 && w->parent != nullptr) w = Peek(w->parent);
  return w != nullptr ? w->handle : nullptr;
}

bool IsChildStyle(DWORD style) { return (style & (WS_POPUP | WS_CHILD)) == WS_CHILD; }

// Activation leaves `window` and its owners remember it as their last active popup.
void NoteLastActive(HWND window) {
  for (Window* w = Peek(window); w != nullptr; w = Peek(w->owner)) {
    w->lastActivePopup = window;
  }
}

HWND SetFocusWindow(HWND window) {
  const HWND previous = FocusWindow();
  State().focus = window;
  if (previous == window) return previous;
  if (previous != nullptr) {
    Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    // The handler moved the focus elsewhere: that choice stands.
    if (FocusWindow() != window) return previous;
  }
  if (Live(window) != nullptr) Send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

bool SetActive(HWND window, HWND* previousOut, bool byMouse, bool moveFocus) {
  const HWND previous = ActiveWindow();
  if (previousOut != nullptr) *previousOut = previous;
  if (previous == window) return true;
  if (previous != nullptr) {
    Send(previous, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(window));
    Send(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(previous) ? 1 : 0),
         reinterpret_cast<LPARAM>(window));
  }
  State().active = window;
  if (window != nullptr) {
    NoteLastActive(window);
    if (SendAndPeek(window, WM_QUERYNEWPALETTE, 0, 0) == nullptr) return false;
  }
  // One thread owns every window: the program as a whole changes activation only
  // between "none" and "some".
  if ((previous == nullptr) != (window == nullptr)) {
    const WPARAM gaining = window != nullptr ? TRUE : FALSE;
    const DWORD thread = GetCurrentThreadId();
    for (HWND top : std::vector<HWND>(TopLevels())) {
      Window* w = Peek(top);
      if (w != nullptr && w->thread == thread) Send(top, WM_ACTIVATEAPP, gaining, 0);
    }
  }
  if (Live(window) != nullptr) {
    Send(window, WM_NCACTIVATE, window == ForegroundWindow() ? TRUE : FALSE,
         reinterpret_cast<LPARAM>(previous));
    Send(window, WM_ACTIVATE,
         MAKEWPARAM(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, IsIconic(window) ? 1 : 0),
         reinterpret_cast<LPARAM>(previous));
  }
  if (moveFocus && window == ActiveWindow()) {
    const HWND focus = FocusWindow();
    if (focus == nullptr || window == nullptr || Root(focus) != window) SetFocusWindow(window);
  }
  return true;
}

bool CanActivate(HWND window) {
  Window* w = Peek(window);
  if (w == nullptr) return false;
  return (w->style & WS_VISIBLE) != 0 && !IsChildStyle(w->style) && (w->style & WS_DISABLED) == 0 &&
         (w->exStyle & WS_EX_NOACTIVATE) == 0;
}

// The window that takes over when the active one goes: its owner, else the next
// activatable window below it, else the topmost one.
void ActivateOther(HWND going) {
  HWND next = nullptr;
  Window* w = Peek(going);
  if (w != nullptr && (w->style & WS_POPUP) != 0 && w->owner != nullptr &&
      CanActivate(Root(w->owner))) {
    next = Root(w->owner);
  }
  const std::vector<HWND> order = TopLevels();
  if (next == nullptr) {
    bool below = false;
    for (HWND candidate : order) {
      if (candidate == going) {
        below = true;
      } else if (below && CanActivate(candidate)) {
        next = candidate;
        break;
      }
    }
  }
  if (next == nullptr) {
    for (HWND candidate : order) {
      if (candidate == going) break;
      if (CanActivate(candidate)) {
        next = candidate;
        break;
      }
    }
  }
  const HWND foreground = ForegroundWindow();
  if (foreground == nullptr || foreground == going) {
    if (SetForeground(next, false)) return;
  }
  if (!SetActive(next, nullptr, false, true)) SetActive(nullptr, nullptr, false, true);
}

}  // namespace

bool SetForeground(HWND window, bool byMouse) {
  const HWND previous = ForegroundWindow();
  State().foreground = window != nullptr;
  if (previous == window) return true;
  return SetActive(window, nullptr, byMouse, true);
}

void ActivateWindow(HWND window) {
  Window* w = Peek(window);
  if (w == nullptr) return;
  if (IsChildStyle(w->style)) {
    Send(window, WM_CHILDACTIVATE, 0, 0);
  } else {
    SetForeground(window, false);
  }
}

void ForgetActivation(HWND window) {
  Window* w = Peek(window);
  if (w == nullptr) return;
  if (window == ActiveWindow()) ActivateOther(window);
  if (w->destroying) {
    // A destroyed window (or its child) that still holds the focus loses it silently.
    const HWND focus = FocusWindow();
    if (focus != nullptr && (focus == window || IsChild(window, focus))) State().focus = nullptr;
    return;
  }
  // Hidden: the focus goes back to the parent.
  if (window == FocusWindow()) {
    const HWND parent = (w->style & WS_CHILD) != 0 ? w->parent : nullptr;
    SetFocus(parent);
  }
}

void OnFocusChanged(HWND window, bool focused) {
  const HWND top = Root(window);
  if (top == nullptr) return;
  if (focused) {
    if (ForegroundWindow() != top && CanActivate(top)) SetForeground(top, false);
  } else if (State().foreground && top == ActiveWindow()) {
    // The display gave the focus to another program.
    State().foreground = false;
    SetActive(nullptr, nullptr, false, true);
  }
}

LRESULT DefActivate(HWND window, WPARAM wParam, LPARAM /*lParam*/) {
  if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(window)) SetFocus(window);
  return 0;
}

}  // namespace linux_user

using linux_user::Peek;
using linux_user::Window;

extern "C" {

HWND WINAPI GetActiveWindow(void) { return linux_user::ActiveWindow(); }
HWND WINAPI GetFocus(void) { return linux_user::FocusWindow(); }
HWND WINAPI GetForegroundWindow(void) { return linux_user::ForegroundWindow(); }

HWND WINAPI SetActiveWindow(HWND hWnd) {
  if (hWnd != nullptr) {
    Window* w = linux_user::Find(hWnd);
    if (w == nullptr) return nullptr;
    if (linux_user::IsChildStyle(w->style)) return linux_user::ActiveWindow();
  }
  HWND previous = nullptr;
  if (!linux_user::SetActive(hWnd, &previous, false, true)) return nullptr;
  return previous;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  const HWND top = linux_user::Root(hWnd);
  if (top == nullptr) return FALSE;
  Window* w = Peek(top);
  if ((w->style & WS_VISIBLE) != 0) linux_display::CurrentDriver().Raise(top);
  return linux_user::SetForeground(top, false) ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hWnd) {
  const HWND previous = linux_user::FocusWindow();
  if (hWnd != nullptr) {
    if (linux_user::Find(hWnd) == nullptr) return nullptr;
    if (hWnd == previous) return previous;
    // The focus may go only to a window whose chain up to its top-level window is
    // neither minimised nor disabled; that top-level window becomes active first.
    HWND top = hWnd;
    for (;;) {
      Window* w = Peek(top);
      if (w == nullptr || (w->style & (WS_MINIMIZE | WS_DISABLED)) != 0) return nullptr;
      if ((w->style & WS_CHILD) == 0) break;
      if (w->parent == nullptr) {
        if (linux_user::IsChildStyle(w->style)) return nullptr;
        break;
      }
      top = w->parent;
    }
    if (top != linux_user::ActiveWindow()) {
      if (!linux_user::SetActive(top, nullptr, false, false)) return nullptr;
      if (Peek(hWnd) == nullptr || top != linux_user::ActiveWindow()) return nullptr;
    }
  } else if (previous == nullptr) {
    return nullptr;
  }
  return linux_user::SetFocusWindow(hWnd);
}

}  // extern "C"
