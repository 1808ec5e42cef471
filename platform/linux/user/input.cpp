// Mouse and keyboard input: the display's events become messages for the window under
// the pointer (or the capture window, or the focus), with hit testing, double clicks,
// mouse activation, WM_SETCURSOR and mouse-leave tracking as the reference system does
// them when it takes a hardware message from its queue.
#include "platform/linux/user/input.h"

#include <cstdlib>

#include "platform/linux/user/delivery.h"
#include "platform/linux/user/system_info.h"

namespace linux_user {
namespace {

struct Click {
  UINT message = 0;
  HWND window = nullptr;
  POINT point{0, 0};
  DWORD time = 0;
};

struct InputState {
  BYTE keys[256] = {};
  bool pointerKnown = false;
  POINT pointer{0, 0};
  HWND capture = nullptr;
  TRACKMOUSEEVENT tracking{sizeof(TRACKMOUSEEVENT), 0, nullptr, 0};
  HCURSOR cursor = nullptr;
  Click lastClick;
};

InputState& State() {
  static InputState state;
  return state;
}

LPARAM PackPoint(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

POINT Pointer() {
  InputState& s = State();
  if (!s.pointerKnown) {
    s.pointer = linux_display::CurrentDriver().PointerPosition();
    s.pointerKnown = true;
  }
  return s.pointer;
}

bool KeyDown(int vk) { return (State().keys[vk & 0xFF] & 0x80) != 0; }

void SetKey(unsigned vk, bool down) {
  BYTE& key = State().keys[vk & 0xFF];
  if (down && (key & 0x80) == 0) key ^= 0x01;  // the toggle flips on each press
  key = static_cast<BYTE>(down ? (key | 0x80) : (key & ~0x80));
}

unsigned CurrentButtons() {
  unsigned buttons = 0;
  if (KeyDown(VK_LBUTTON)) buttons |= MK_LBUTTON;
  if (KeyDown(VK_RBUTTON)) buttons |= MK_RBUTTON;
  if (KeyDown(VK_MBUTTON)) buttons |= MK_MBUTTON;
  if (KeyDown(VK_SHIFT)) buttons |= MK_SHIFT;
  if (KeyDown(VK_CONTROL)) buttons |= MK_CONTROL;
  return buttons;
}

// The mouse buttons and modifier keys as the display reports them with each event.
void NoteButtons(unsigned buttons) {
  SetKey(VK_LBUTTON, (buttons & MK_LBUTTON) != 0);
  SetKey(VK_RBUTTON, (buttons & MK_RBUTTON) != 0);
  SetKey(VK_MBUTTON, (buttons & MK_MBUTTON) != 0);
  SetKey(VK_SHIFT, (buttons & MK_SHIFT) != 0);
  SetKey(VK_CONTROL, (buttons & MK_CONTROL) != 0);
}

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// Posts WM_MOUSELEAVE to the tracked window once the pointer is off its client area
// (WM_NCMOUSELEAVE off its frame), as the reference system's tracking timer finds it.
void CheckMouseLeave(POINT screen, HWND under, int hitTest) {
  TRACKMOUSEEVENT& tracking = State().tracking;
  if ((tracking.dwFlags & TME_LEAVE) == 0) return;
  if (Live(tracking.hwndTrack) == nullptr) {
    tracking.dwFlags = 0;
    return;
  }
  // Looked for inside the tracked window only: a window above it does not count.
  if (under != tracking.hwndTrack)
    under = WindowFromPointWithHit(tracking.hwndTrack, screen, &hitTest);
  const bool nonClient = (tracking.dwFlags & TME_NONCLIENT) != 0;
  if (under == tracking.hwndTrack && (hitTest == HTCLIENT) != nonClient) return;
  PostMessageA(tracking.hwndTrack, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
  tracking.dwFlags &= ~static_cast<DWORD>(TME_LEAVE);
}

// A double click: the same button on the same window within the time and the small
// square of the previous press. The press after a double click starts afresh.
UINT TranslateDoubleClick(UINT raw, HWND target, int hitTest, POINT screen, DWORD time) {
  Click& last = State().lastClick;
  Window* w = Peek(target);
  const bool classWants = w != nullptr && w->cls && (w->cls->style & CS_DBLCLKS) != 0;
  if ((classWants || hitTest != HTCLIENT) && last.message == raw && last.window == target &&
      time - last.time < GetDoubleClickTime() &&
      std::abs(screen.x - last.point.x) < GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
      std::abs(screen.y - last.point.y) < GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
    last.message = 0;
    return raw + (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
  }
  last = Click{raw, target, screen, time};
  return raw;
}

// WM_PARENTNOTIFY for a press, up the chain of parents that want it.
void NotifyParents(HWND window, UINT raw, POINT screen) {
  for (Window* w = Peek(window); w != nullptr;) {
    if ((w->style & WS_CHILD) == 0 || (w->exStyle & WS_EX_NOPARENTNOTIFY) != 0 ||
        w->parent == nullptr) {
      return;
    }
    const HWND parent = w->parent;
    Window* p = Peek(parent);
    if (p == nullptr) return;
    const RECT client = ScreenClientRect(*p);
    w = SendAndPeek(parent, WM_PARENTNOTIFY, MAKEWPARAM(raw, 0),
                    PackPoint(POINT{screen.x - client.left, screen.y - client.top}));
  }
}

// Offers a press to activation; false when the click is to be eaten.
bool MouseActivate(HWND target, int hitTest, UINT raw) {
  if (target == GetActiveWindow()) return true;
  const HWND top = GetAncestor(target, GA_ROOT);
  Window* t = Peek(top);
  if (t == nullptr || (t->style & (WS_POPUP | WS_CHILD)) == WS_CHILD) return true;
  const LRESULT answer = Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                              MAKELPARAM(static_cast<WORD>(hitTest), raw));
  switch (answer) {
    case MA_NOACTIVATEANDEAT:
      return false;
    case MA_NOACTIVATE:
      return true;
    case MA_ACTIVATEANDEAT:
      SetForeground(top, true);
      return false;
    default:
      return SetForeground(top, true);
  }
}

void ProcessMouse(UINT raw, POINT screen, unsigned buttons) {
  InputState& s = State();
  s.pointer = screen;
  s.pointerKnown = true;
  NoteButtons(buttons);
  const DWORD time = GetTickCount();

  int hitTest = HTCLIENT;
  HWND target = Live(s.capture);
  const bool captured = target != nullptr;
  if (target == nullptr) target = WindowFromPointWithHit(nullptr, screen, &hitTest);
  if ((s.tracking.dwFlags & TME_LEAVE) != 0) {
    int underHit = hitTest;
    HWND under = s.capture != nullptr ? nullptr : target;
    CheckMouseLeave(screen, under, underHit);
  }
  Window* w = Peek(target);
  if (w == nullptr || w->thread != GetCurrentThreadId()) return;

  UINT message = IsButtonDown(raw) ? TranslateDoubleClick(raw, target, hitTest, screen, time) : raw;
  WPARAM wParam = buttons;
  LPARAM lParam;
  if (hitTest != HTCLIENT) {
    message += WM_NCMOUSEMOVE - WM_MOUSEMOVE;
    wParam = static_cast<WPARAM>(hitTest);
    lParam = PackPoint(screen);
  } else {
    const RECT client = ScreenClientRect(*w);
    lParam = PackPoint(POINT{screen.x - client.left, screen.y - client.top});
  }
  const LPARAM cursorQuery = MAKELPARAM(static_cast<WORD>(hitTest), raw);
  if (hitTest == HTERROR || hitTest == HTNOWHERE) {
    Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), cursorQuery);
    return;
  }
  bool eat = false;
  if (IsButtonDown(raw)) {
    NotifyParents(target, raw, screen);
    if (Live(target) == nullptr) return;
    eat = !MouseActivate(target, hitTest, raw);
    if (Live(target) == nullptr) return;
  }
  // A window holding the capture chooses its cursor itself: no WM_SETCURSOR while it lasts.
  if (!captured &&
      SendAndPeek(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), cursorQuery) == nullptr)
    return;
  if (eat) return;
  PostInput(MSG{target, message, wParam, lParam, time, screen});
}

UINT ButtonMessage(linux_display::Button button, bool down) {
  switch (button) {
    case linux_display::Button::kRight:
      return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case linux_display::Button::kMiddle:
      return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    case linux_display::Button::kLeft:
    default:
      return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  }
}

HWND ReleaseCaptureQuietly() {
  const HWND previous = Live(State().capture);
  State().capture = nullptr;
  return previous;
}

}  // namespace

void OnPointerMoved(POINT screen, unsigned buttons) { ProcessMouse(WM_MOUSEMOVE, screen, buttons); }

void OnButtonChanged(linux_display::Button button, bool down, POINT screen, unsigned buttons) {
  ProcessMouse(ButtonMessage(button, down), screen, buttons);
}

void OnKeyChanged(unsigned virtualKey, bool down) {
  const unsigned vk = virtualKey & 0xFF;
  const bool wasDown = KeyDown(static_cast<int>(vk));
  SetKey(vk, down);
  // The sided keys also move their common key.
  if (vk == VK_LSHIFT || vk == VK_RSHIFT)
    SetKey(VK_SHIFT, KeyDown(VK_LSHIFT) || KeyDown(VK_RSHIFT));
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) {
    SetKey(VK_CONTROL, KeyDown(VK_LCONTROL) || KeyDown(VK_RCONTROL));
  }
  if (vk == VK_LMENU || vk == VK_RMENU) SetKey(VK_MENU, KeyDown(VK_LMENU) || KeyDown(VK_RMENU));

  HWND target = GetFocus();
  const bool alt = KeyDown(VK_MENU);
  // Alt without Ctrl, F10, and every key while no window has the focus make system keys.
  bool system = (alt && !KeyDown(VK_CONTROL)) || vk == VK_F10 || vk == VK_MENU;
  if (target == nullptr) {
    target = GetActiveWindow();
    system = true;
  }
  if (target == nullptr) return;
  UINT message = down ? WM_KEYDOWN : WM_KEYUP;
  if (system) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  LPARAM lParam = 1;
  if (alt) lParam |= 1L << 29;
  if (wasDown) lParam |= 1L << 30;
  if (!down) lParam |= static_cast<LPARAM>(1UL << 31);
  PostInput(MSG{target, message, vk, lParam, GetTickCount(), Pointer()});
}

void WindowGoing(HWND window) {
  Window* w = Peek(window);
  if (w == nullptr) return;
  InputState& s = State();
  ForgetActivation(window);
  if (!w->destroying || (w = Peek(window)) == nullptr) return;
  const HWND capture = Live(s.capture);
  if (capture != nullptr && (capture == window || IsChild(window, capture))) {
    ReleaseCaptureQuietly();
    Send(capture, WM_CAPTURECHANGED, 0, 0);
  }
  if (s.tracking.hwndTrack == window)
    s.tracking = TRACKMOUSEEVENT{sizeof(TRACKMOUSEEVENT), 0, nullptr, 0};
  if (s.lastClick.window == window) s.lastClick = Click{};
  ForgetSystemMenu(window);
}

// Input injected by tests and SendInput takes the display's path.
void InjectPointer(POINT screen) {
  const RECT area = ScreenRect();
  screen.x = std::max(area.left, std::min(screen.x, area.right - 1));
  screen.y = std::max(area.top, std::min(screen.y, area.bottom - 1));
  linux_display::CurrentDriver().WarpPointer(screen);
  OnPointerMoved(screen, CurrentButtons());
}

void InjectButton(linux_display::Button button, bool down) {
  unsigned buttons = CurrentButtons();
  const unsigned bit = button == linux_display::Button::kLeft    ? MK_LBUTTON
                       : button == linux_display::Button::kRight ? MK_RBUTTON
                                                                 : MK_MBUTTON;
  buttons = down ? (buttons | bit) : (buttons & ~bit);
  OnButtonChanged(button, down, Pointer(), buttons);
}

}  // namespace linux_user

using linux_user::State;

extern "C" {

SHORT WINAPI GetKeyState(int nVirtKey) {
  const BYTE key = State().keys[nVirtKey & 0xFF];
  return static_cast<SHORT>(((key & 0x80) != 0 ? 0xFF80 : 0) | (key & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vKey) {
  return static_cast<SHORT>(linux_user::KeyDown(vKey) ? 0x8000 : 0);
}

BOOL WINAPI GetKeyboardState(PBYTE lpKeyState) {
  if (lpKeyState == nullptr) return FALSE;
  for (int i = 0; i < 256; ++i) lpKeyState[i] = State().keys[i];
  return TRUE;
}

HKL WINAPI GetKeyboardLayout(DWORD /*idThread*/) {
  // United States English, the layout the virtual-key codes of the display map to.
  return reinterpret_cast<HKL>(static_cast<uintptr_t>(0x04090409));
}

HWND WINAPI SetCapture(HWND hWnd) {
  linux_user::InputState& s = State();
  const HWND previous = linux_user::Live(s.capture);
  if (hWnd != nullptr && linux_user::Find(hWnd) == nullptr) return nullptr;
  s.capture = hWnd;
  if (previous != nullptr && previous != hWnd) {
    linux_user::Send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  }
  return previous;
}

BOOL WINAPI ReleaseCapture(void) {
  const HWND previous = linux_user::ReleaseCaptureQuietly();
  if (previous != nullptr) linux_user::Send(previous, WM_CAPTURECHANGED, 0, 0);
  // The window under the pointer hears of it, as after any pointer move.
  linux_user::OnPointerMoved(linux_user::Pointer(), linux_user::CurrentButtons());
  return TRUE;
}

HWND WINAPI GetCapture(void) { return State().capture = linux_user::Live(State().capture); }

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
  if (lpPoint == nullptr) return FALSE;
  *lpPoint = linux_user::Pointer();
  return TRUE;
}

BOOL WINAPI SetCursorPos(int X, int Y) {
  linux_user::InjectPointer(POINT{X, Y});
  return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  const HCURSOR previous = State().cursor;
  if (hCursor != previous) {
    State().cursor = hCursor;
    linux_display::CurrentDriver().SetCursor(hCursor);
  }
  return previous;
}

HCURSOR WINAPI GetCursor(void) { return State().cursor; }

BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack) {
  if (lpEventTrack == nullptr || lpEventTrack->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  TRACKMOUSEEVENT& tracking = State().tracking;
  if (lpEventTrack->dwFlags & TME_QUERY) {
    *lpEventTrack = tracking;
    lpEventTrack->cbSize = sizeof(TRACKMOUSEEVENT);
    if (linux_user::Live(tracking.hwndTrack) == nullptr || tracking.dwFlags == 0) {
      lpEventTrack->dwFlags = 0;
      lpEventTrack->hwndTrack = nullptr;
    }
    return TRUE;
  }
  if (linux_user::Find(lpEventTrack->hwndTrack) == nullptr) return FALSE;
  if (lpEventTrack->dwFlags & TME_CANCEL) {
    if (tracking.hwndTrack == lpEventTrack->hwndTrack) {
      tracking.dwFlags &= ~(lpEventTrack->dwFlags & ~static_cast<DWORD>(TME_CANCEL));
    }
    return TRUE;
  }
  // A window tracked before that the pointer has left hears of it now.
  const POINT pointer = linux_user::Pointer();
  int hit = HTNOWHERE;
  HWND under = linux_user::WindowFromPointWithHit(lpEventTrack->hwndTrack, pointer, &hit);
  if (tracking.hwndTrack != nullptr) linux_user::CheckMouseLeave(pointer, under, hit);
  tracking = TRACKMOUSEEVENT{sizeof(TRACKMOUSEEVENT), 0, nullptr, 0};
  // The reference system starts tracking only while the pointer is over the window.
  if (under == lpEventTrack->hwndTrack) {
    tracking = *lpEventTrack;
    tracking.dwFlags &= TME_LEAVE | TME_NONCLIENT | TME_HOVER;
  }
  return TRUE;
}

BOOL WINAPI _TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack) {
  return TrackMouseEvent(lpEventTrack);
}

UINT WINAPI SendInput(UINT cInputs, LPINPUT pInputs, int cbSize) {
  if (pInputs == nullptr || cbSize != static_cast<int>(sizeof(INPUT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (UINT i = 0; i < cInputs; ++i) {
    const INPUT& input = pInputs[i];
    if (input.type == INPUT_KEYBOARD) {
      linux_user::OnKeyChanged(input.ki.wVk, (input.ki.dwFlags & KEYEVENTF_KEYUP) == 0);
      continue;
    }
    if (input.type != INPUT_MOUSE) continue;
    const MOUSEINPUT& mouse = input.mi;
    if (mouse.dwFlags & MOUSEEVENTF_MOVE) {
      POINT target = linux_user::Pointer();
      if (mouse.dwFlags & MOUSEEVENTF_ABSOLUTE) {
        // 0..65535 spans the screen.
        const RECT screen = linux_user::ScreenRect();
        target.x = static_cast<LONG>((static_cast<int64_t>(mouse.dx) * screen.right) >> 16);
        target.y = static_cast<LONG>((static_cast<int64_t>(mouse.dy) * screen.bottom) >> 16);
      } else {
        target.x += mouse.dx;
        target.y += mouse.dy;
      }
      linux_user::InjectPointer(target);
    }
    using linux_display::Button;
    const struct {
      DWORD flag;
      Button button;
      bool down;
    } kButtons[] = {{MOUSEEVENTF_LEFTDOWN, Button::kLeft, true},
                    {MOUSEEVENTF_LEFTUP, Button::kLeft, false},
                    {MOUSEEVENTF_RIGHTDOWN, Button::kRight, true},
                    {MOUSEEVENTF_RIGHTUP, Button::kRight, false},
                    {MOUSEEVENTF_MIDDLEDOWN, Button::kMiddle, true},
                    {MOUSEEVENTF_MIDDLEUP, Button::kMiddle, false}};
    for (const auto& b : kButtons) {
      if (mouse.dwFlags & b.flag) linux_user::InjectButton(b.button, b.down);
    }
  }
  return cInputs;
}

}  // extern "C"
