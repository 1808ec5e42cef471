// Showing and hiding a form: the placement of its first showing, the monitor it is shown
// on, and handing the activation on when it hides.
#include <algorithm>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/multi_monitor.h"
#include "forms/screen.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

namespace {

constexpr UINT kHideFlags =
    SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;

// The show command for a window state when a form is shown.
int ShowingCommand(TWindowState state) {
  switch (state) {
    case wsMinimized:
      return SW_SHOWMINNOACTIVE;
    case wsMaximized:
      return SW_SHOWMAXIMIZED;
    default:
      return SW_SHOWNORMAL;
  }
}

// Another visible, enabled top-level window of this thread to hand the activation to.
struct TaskWindowSearch {
  HWND leaving;
  HWND found;
};
BOOL CALLBACK FindOtherTaskWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TaskWindowSearch*>(data);
  if (window == search->leaving || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}
HWND OtherTaskWindow(HWND leaving) {
  TaskWindowSearch search{leaving, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &FindOtherTaskWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT MonitorRect(HMONITOR monitor) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  multimon::GetMonitorInfoA(monitor, &info);
  return info.rcMonitor;
}

}  // namespace

void TCustomForm::SetVisible(bool value) {
  if (HasFlag(ffInConstruction)) {
    SetFlag(ffVisibleRequested, value);
    return;
  }
  if (value && !Visible()) MoveToDefaultMonitor();
  TControl::SetVisible(value);
}

void TCustomForm::ReleaseForm() { PostMessageA(Handle(), IM_RELEASE, 0, 0); }

void TCustomForm::HandleShowingChanged(MessageRecord& /*m*/) {
  if (HasFlag(ffShowingInProgress)) throw EInvalidOperation(msg::kCannotChangeVisible, {});
  if (TApplication* app = Application()) app->UpdateAppWindowVisible();
  SetFlag(ffShowingInProgress, true);
  ScopeExit clear([this] { SetFlag(ffShowingInProgress, false); });
  if (Showing()) {
    try {
      FireShow();
    } catch (...) {
      if (TApplication* app = Application()) app->ReportException(this);
    }
    PlaceOnFirstShowing();
    ShowWindow(Handle(), ShowingCommand(windowState_));
  } else {
    try {
      FireHide();
    } catch (...) {
      if (TApplication* app = Application()) app->ReportException(this);
    }
    HideWindow();
  }
}

void TCustomForm::HideWindow() {
  const HWND window = HandleValue();
  if (HasFlag(ffShownModally)) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, kHideFlags);
    return;
  }
  if (GetActiveWindow() == window && !IsIconic(window)) {
    if (const HWND other = OtherTaskWindow(window)) {
      SetWindowPos(window, nullptr, 0, 0, 0, 0, kHideFlags);
      SetActiveWindow(other);
      return;
    }
  }
  ShowWindow(window, SW_HIDE);
}

void TCustomForm::PlaceOnFirstShowing() {
  auto centreOver = [this](int32_t left, int32_t top, int32_t width, int32_t height) {
    int32_t x = left + (width - Width()) / 2;
    int32_t y = top + (height - Height()) / 2;
    x = std::max<int32_t>(x, multimon::GetSystemMetrics(SM_XVIRTUALSCREEN));
    y = std::max<int32_t>(y, multimon::GetSystemMetrics(SM_YVIRTUALSCREEN));
    SetBounds(x, y, Width(), Height());
    if (Visible()) MoveToDefaultMonitor();
  };
  TApplication* app = Application();
  FormLink* primary = app != nullptr ? app->PrimaryForm() : nullptr;
  switch (position_) {
    case poScreenCenter:
      centreOver(0, 0, multimon::GetSystemMetrics(SM_CXSCREEN),
                 multimon::GetSystemMetrics(SM_CYSCREEN));
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      FormLink* over = primary != static_cast<FormLink*>(this) ? primary : nullptr;
      if (position_ == poOwnerFormCenter) {
        if (auto* owner = dynamic_cast<TCustomForm*>(Owner())) over = owner;
      }
      if (over != nullptr) {
        const RECT r = over->FormBounds();
        centreOver(r.left, r.top, r.right - r.left, r.bottom - r.top);
      } else {
        centreOver(0, 0, multimon::GetSystemMetrics(SM_CXSCREEN),
                   multimon::GetSystemMetrics(SM_CYSCREEN));
      }
      break;
    }
    case poDesktopCenter: {
      const int32_t x =
          std::max<int32_t>(0, (multimon::GetSystemMetrics(SM_CXVIRTUALSCREEN) - Width()) / 2);
      const int32_t y =
          std::max<int32_t>(0, (multimon::GetSystemMetrics(SM_CYVIRTUALSCREEN) - Height()) / 2);
      SetBounds(x, y, Width(), Height());
      break;
    }
    default:
      break;
  }
  position_ = poDesigned;
}

void TCustomForm::MoveToDefaultMonitor() {
  TApplication* app = Application();
  TScreen* screen = Screen();
  if (defaultMonitor_ == dmDesktop || app == nullptr || screen == nullptr ||
      app->PrimaryForm() == nullptr) {
    return;
  }
  HMONITOR target = nullptr;
  switch (defaultMonitor_) {
    case dmMainForm:
      if (app->PrimaryForm()->FormHandleAllocated()) {
        target =
            multimon::MonitorFromWindow(app->PrimaryForm()->FormHandle(), MONITOR_DEFAULTTONEAREST);
      }
      break;
    case dmActiveForm:
      if (FormLink* current = screen->CurrentCustomForm();
          current != nullptr && current->FormHandleAllocated()) {
        target = multimon::MonitorFromWindow(current->FormHandle(), MONITOR_DEFAULTTONEAREST);
      }
      break;
    default: {
      const POINT origin = {0, 0};
      target = multimon::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
      break;
    }
  }
  if (target == nullptr) return;
  const RECT bounds = BoundsRect();
  const HMONITOR own = multimon::MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST);
  if (own == target) return;
  const RECT to = MonitorRect(target);
  if (position_ == poScreenCenter || position_ == poMainFormCenter) {
    SetBounds(to.left + ((to.right - to.left) - Width()) / 2,
              to.top + ((to.bottom - to.top) - Height()) / 2, Width(), Height());
    return;
  }
  const RECT from = MonitorRect(own);
  int32_t x = to.left + (Left() - from.left);
  int32_t y = to.top + (Top() - from.top);
  if (x + Width() > to.right) x = to.right - Width();
  if (y + Height() > to.bottom) y = to.bottom - Height();
  SetBounds(x, y, Width(), Height());
}
