// Which window the pointer is over, and DefWindowProcA's answers about it: the hit-test
// code from the frame geometry, the cursor for a hit, and whether a click activates.
#include "platform/linux/user/delivery.h"
#include "platform/linux/user/input.h"
#include "platform/linux/user/system_info.h"

namespace linux_user {
namespace {

LPARAM PackPoint(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

// Every visible window that holds `screen` from `window` down (itself included): the
// children of a window before it, topmost first, each child's own children before the
// child. A disabled or minimised window hides its children.
void CollectAt(HWND window, POINT screen, std::vector<HWND>& out) {
  Window* w = Peek(window);
  if (w == nullptr || (w->style & WS_VISIBLE) == 0) return;
  if ((w->exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT)) {
    return;
  }
  if (!Contains(ScreenWindowRect(*w), screen)) return;
  if ((w->style & (WS_MINIMIZE | WS_DISABLED)) == 0 && Contains(ScreenClientRect(*w), screen)) {
    for (HWND child : std::vector<HWND>(w->children)) CollectAt(child, screen, out);
  }
  out.push_back(window);
}

bool HasIcon(const Window& w) {
  return w.iconSmall != nullptr || w.iconBig != nullptr || (w.cls && w.cls->icon != nullptr);
}

int SizingHit(const RECT& inner, POINT p) {
  const int corner = GetSystemMetrics(SM_CXSIZE);
  if (p.y < inner.top) {
    return p.x < inner.left + corner ? HTTOPLEFT : p.x >= inner.right - corner ? HTTOPRIGHT : HTTOP;
  }
  if (p.y >= inner.bottom) {
    return p.x < inner.left + corner     ? HTBOTTOMLEFT
           : p.x >= inner.right - corner ? HTBOTTOMRIGHT
                                         : HTBOTTOM;
  }
  if (p.x < inner.left) {
    return p.y < inner.top + corner       ? HTTOPLEFT
           : p.y >= inner.bottom - corner ? HTBOTTOMLEFT
                                          : HTLEFT;
  }
  return p.y < inner.top + corner       ? HTTOPRIGHT
         : p.y >= inner.bottom - corner ? HTBOTTOMRIGHT
                                        : HTRIGHT;
}

int CaptionHit(const Window& w, RECT inner, POINT p) {
  const DWORD style = w.style;
  const bool tool = (w.exStyle & WS_EX_TOOLWINDOW) != 0;
  inner.top += tool ? kSmallCaptionSize : kCaptionSize;
  if (Contains(inner, p) || p.y >= inner.top) return HTNOWHERE;
  const bool sizeBoxes = (style & WS_SYSMENU) && (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  if ((style & WS_SYSMENU) && !tool && HasIcon(w)) {
    if (p.x < inner.left + kCaptionSize) return HTSYSMENU;
  }
  if (style & WS_SYSMENU) {
    inner.right -= kCaptionSize + kBorder;
    if (p.x > inner.right) return HTCLOSE;
  }
  if (sizeBoxes && !tool) {
    inner.right -= kCaptionSize;
    if (p.x > inner.right) return HTMAXBUTTON;
    inner.right -= kCaptionSize;
    if (p.x > inner.right) return HTMINBUTTON;
  }
  return HTCAPTION;
}

}  // namespace

HWND WindowFromPointWithHit(HWND scope, POINT screen, int* hitTest) {
  std::vector<HWND> list;
  if (scope != nullptr) {
    CollectAt(scope, screen, list);
  } else {
    for (HWND top : std::vector<HWND>(TopLevels())) CollectAt(top, screen, list);
  }
  *hitTest = HTNOWHERE;
  const DWORD thread = GetCurrentThreadId();
  for (HWND candidate : list) {
    Window* w = Peek(candidate);
    if (w == nullptr) continue;
    if ((w->style & WS_DISABLED) != 0) {
      *hitTest = HTERROR;
      return candidate;
    }
    if (w->thread != thread) {
      *hitTest = HTCLIENT;
      return candidate;
    }
    const LRESULT hit = Send(candidate, WM_NCHITTEST, 0, PackPoint(screen));
    if (hit != HTTRANSPARENT) {
      *hitTest = static_cast<int>(hit);
      return candidate;
    }
  }
  return nullptr;
}

LRESULT DefNcHitTest(HWND window, LPARAM lParam) {
  Window* w = Peek(window);
  if (w == nullptr) return HTNOWHERE;
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT rect = ScreenWindowRect(*w);
  if (!Contains(rect, p)) return HTNOWHERE;
  if (w->style & WS_MINIMIZE) return HTCAPTION;
  if (Contains(ScreenClientRect(*w), p)) return HTCLIENT;
  const DWORD style = w->style, exStyle = w->exStyle;
  if (style & WS_THICKFRAME) {
    RECT inner{rect.left + kSizeFrame, rect.top + kSizeFrame, rect.right - kSizeFrame,
               rect.bottom - kSizeFrame};
    if (!Contains(inner, p)) return SizingHit(inner, p);
    rect = inner;
  } else {
    int frame = 0;
    if ((exStyle & WS_EX_DLGMODALFRAME) || (style & WS_DLGFRAME)) {
      frame = kFixedFrame;
    } else if ((style & WS_BORDER) || (style & (WS_CHILD | WS_POPUP)) == 0) {
      frame = kBorder;
    }
    RECT inner{rect.left + frame, rect.top + frame, rect.right - frame, rect.bottom - frame};
    if (!Contains(inner, p)) return HTBORDER;
    rect = inner;
  }
  if ((style & WS_CAPTION) == WS_CAPTION) return CaptionHit(*w, rect, p);
  return HTNOWHERE;
}

// Only a parent that claims the message ends it with TRUE; otherwise the shape for the hit
// (the class cursor of the window in wParam for the client area) is set and FALSE returned,
// so the caller's own processing continues, as the reference system answers.
LRESULT DefSetCursor(HWND window, WPARAM wParam, LPARAM lParam) {
  Window* w = Peek(window);
  if (w == nullptr) return FALSE;
  const auto hit = static_cast<int16_t>(LOWORD(lParam));
  if ((w->style & WS_CHILD) != 0 && (hit < HTLEFT || hit > HTBOTTOMRIGHT) && w->parent != nullptr) {
    // The parent chooses first, except on a sizing border.
    if (Send(w->parent, WM_SETCURSOR, wParam, lParam) != 0) return TRUE;
  }
  LPCSTR shape = IDC_ARROW;
  switch (hit) {
    case HTCLIENT: {
      Window* target = Peek(reinterpret_cast<HWND>(wParam));
      HCURSOR cursor = target != nullptr && target->cls ? target->cls->cursor : nullptr;
      if (cursor != nullptr) SetCursor(cursor);
      return FALSE;
    }
    case HTLEFT:
    case HTRIGHT:
      shape = IDC_SIZEWE;
      break;
    case HTTOP:
    case HTBOTTOM:
      shape = IDC_SIZENS;
      break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
      shape = IDC_SIZENWSE;
      break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
      shape = IDC_SIZENESW;
      break;
    default:
      break;
  }
  SetCursor(LoadCursorA(nullptr, shape));
  return FALSE;
}

LRESULT DefMouseActivate(HWND window, WPARAM wParam, LPARAM lParam) {
  Window* w = Peek(window);
  if (w != nullptr && (w->style & WS_CHILD) != 0 && w->parent != nullptr) {
    // The parent decides first; a child alone activates.
    const LRESULT answer = Send(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
    if (answer != 0) return answer;
  }
  // A click on the caption activates when the caption code handles it.
  return HIWORD(lParam) == WM_LBUTTONDOWN && LOWORD(lParam) == HTCAPTION ? MA_NOACTIVATE
                                                                         : MA_ACTIVATE;
}

}  // namespace linux_user

extern "C" {

HWND WINAPI WindowFromPoint(POINT Point) {
  int hit = HTNOWHERE;
  return linux_user::WindowFromPointWithHit(nullptr, Point, &hit);
}

HWND WINAPI ChildWindowFromPointEx(HWND hwnd, POINT pt, UINT flags) {
  linux_user::Window* parent = linux_user::Find(hwnd);
  if (parent == nullptr) return nullptr;
  const RECT client{0, 0, parent->client.right - parent->client.left,
                    parent->client.bottom - parent->client.top};
  if (!linux_user::Contains(client, pt)) return nullptr;
  for (HWND handle : parent->children) {
    linux_user::Window* child = linux_user::Peek(handle);
    if (child == nullptr || !linux_user::Contains(child->window, pt)) continue;
    if ((flags & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (child->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (child->exStyle & WS_EX_TRANSPARENT)) continue;
    return handle;
  }
  return hwnd;
}

HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point) {
  return ChildWindowFromPointEx(hWndParent, Point, CWP_ALL);
}

}  // extern "C"
