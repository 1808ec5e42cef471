// ShowWindow with minimise, maximise and restore, and the window placement that remembers
// the restored place.
#include <optional>

#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

constexpr int kMinimizedWidth = 160, kMinimizedHeight = 24;
constexpr int kIconicPosition = -32000;

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

// What ShowWindow does for a command: the SetWindowPos flags and the place to move to, or
// the answer it gives at once when nothing is to change.
struct ShowPlan {
  UINT swp = 0;
  RECT place{};
  std::optional<BOOL> answer;
};

ShowPlan Answer(BOOL answer) { return ShowPlan{0, {}, answer}; }

ShowPlan PlanShow(Window& window, int command, bool child) {
  const HWND handle = window.handle;
  const DWORD style = window.style;
  const bool wasVisible = style & WS_VISIBLE;
  ShowPlan plan{0, window.window, std::nullopt};
  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return Answer(FALSE);
      plan.swp |= SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_FORCEMINIMIZE:
      plan.swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      [[fallthrough]];
    case SW_SHOWMINIMIZED:
      plan.swp |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
      if ((style & WS_MINIMIZE) && wasVisible) return Answer(TRUE);
      plan.swp |= MinMaximize(window, SW_MINIMIZE, &plan.place);
      break;
    case SW_SHOWMAXIMIZED:
      plan.swp |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
      if ((style & WS_MAXIMIZE) && wasVisible) return Answer(TRUE);
      plan.swp |= MinMaximize(window, SW_MAXIMIZE, &plan.place);
      break;
    case SW_SHOWNA:
      plan.swp |= SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      if (child) plan.swp |= SWP_NOZORDER;
      break;
    case SW_SHOW:
      if (wasVisible) return Answer(TRUE);
      plan.swp |= SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      if (child) plan.swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWNOACTIVATE:
      plan.swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      [[fallthrough]];
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    default:
      plan.swp |= SWP_SHOWWINDOW;
      if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        LRESULT open = TRUE;
        Window* self = &window;
        if (style & WS_MINIMIZE) self = SendAndPeek(handle, WM_QUERYOPEN, 0, 0, &open);
        if (!open) return Answer(wasVisible);
        if (!self) return Answer(FALSE);
        plan.swp |= SWP_FRAMECHANGED | MinMaximize(*self, SW_RESTORE, &plan.place);
      } else {
        if (wasVisible) return Answer(TRUE);
        plan.swp |= SWP_NOSIZE | SWP_NOMOVE;
      }
      if (child && !(plan.swp & SWP_STATECHANGED)) plan.swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      break;
  }
  return plan;
}

}  // namespace

}  // namespace linux_user

using namespace linux_user;

extern "C" {

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  const bool wasVisible = window->style & WS_VISIBLE;
  const bool child = (window->style & WS_CHILD) && window->parent;
  const ShowPlan plan = PlanShow(*window, nCmdShow, child);
  if (plan.answer) return *plan.answer;
  if (!(window = Peek(hWnd))) return wasVisible;
  const bool show = nCmdShow != SW_HIDE;
  if (show != wasVisible && !(plan.swp & SWP_STATECHANGED) &&
      !(window = SendAndPeek(hWnd, WM_SHOWWINDOW, show, 0)))
    return wasVisible;
  if (child && window->parent && !IsWindowVisible(window->parent)) {
    // Under a hidden parent only the flag changes; the parent's showing repaints it.
    if (show)
      window->style |= WS_VISIBLE;
    else
      window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (!(plan.swp & SWP_STATECHANGED)) return wasVisible;
  }
  const RECT& place = plan.place;
  SetWindowPosition(*window, HWND_TOP, place.left, place.top, place.right - place.left,
                    place.bottom - place.top, plan.swp);
  if (!Peek(hWnd)) return wasVisible;
  if (nCmdShow == SW_HIDE) WindowGoing(hWnd);
  if (!(window = Peek(hWnd))) return wasVisible;
  if (window->needSize) {
    // An overlapped window's first WM_SIZE and WM_MOVE, held back since creation.
    window->needSize = false;
    SendSizeAndMove(hWnd, SizeTypeOf(*window));
  }
  return wasVisible;
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
