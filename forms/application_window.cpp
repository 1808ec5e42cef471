// The application window's messages, and minimising, restoring and showing the program
// as a whole.
#include <algorithm>
#include <cstdlib>

#include "controls/control_messages.h"
#include "controls/win_control.h"
#include "forms/app_messages.h"
#include "forms/application.h"
#include "forms/form_link.h"
#include "forms/multi_monitor.h"
#include "forms/screen.h"
#include "forms/task_windows.h"
#include "platform/gdi_handles.h"
#include "runtime/exit_procedures.h"
#include "runtime/modules.h"
#include "runtime/scope_exit.h"
#include "runtime/sync_queue.h"

namespace {

constexpr UINT kTopMostMoveFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// Shows `window` with `command` while the system's minimise animation is off.
void ShowWithoutAnimation(HWND window, int command) {
  ANIMATIONINFO info{};
  info.cbSize = sizeof info;
  bool animated =
      SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0) && info.iMinAnimate != 0;
  if (!animated) {
    ShowWindow(window, command);
    return;
  }
  // The setting is the whole desktop's: it is put back whatever the show does.
  info.iMinAnimate = 0;
  SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, 0);
  ScopeExit restore([&info] {
    info.iMinAnimate = 1;
    SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, 0);
  });
  ShowWindow(window, command);
}

struct TopMostSearch {
  HWND owner;
  HWND skip;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopMost(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TopMostSearch*>(data);
  if (window != search->skip && GetWindow(window, GW_OWNER) == search->owner &&
      (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
    search->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectPopupOwner(HWND window, LPARAM data) {
  auto* owners = reinterpret_cast<std::vector<HWND>*>(data);
  HWND owner = GetWindow(window, GW_OWNER);
  DWORD process = 0;
  if (owner) GetWindowThreadProcessId(owner, &process);
  if (owner && process == GetCurrentProcessId() &&
      std::find(owners->begin(), owners->end(), owner) == owners->end()) {
    owners->push_back(owner);
  }
  return TRUE;
}

struct FocusCandidates {
  HWND appWindow;
  HWND plain = nullptr;
  HWND topMost = nullptr;
};

BOOL CALLBACK FindFocusCandidate(HWND window, LPARAM data) {
  auto* candidates = reinterpret_cast<FocusCandidates*>(data);
  if (window == candidates->appWindow || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
    return TRUE;
  }
  if ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) {
    candidates->plain = window;
    return FALSE;
  }
  if (!candidates->topMost) candidates->topMost = window;
  return TRUE;
}

// The colour queries a child window sends its parent (numbered one after another, message
// box to static), passed back to the child.
bool IsControlColorMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The session ends now: the program's normal end, without returning to the message.
[[noreturn]] void EndWithSession() {
  RunExitProcedures();
  RunModuleShutdowns();
  std::exit(0);
}

}  // namespace

LRESULT TApplication::HandleAppMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (RunWindowHooks(message, wParam, lParam, result)) return result;
  FollowSystemSettings(message);
  if (HandleInternalMessage(message, wParam, lParam, result)) return result;
  return HandleWindowMessage(message, wParam, lParam);
}

bool TApplication::RunWindowHooks(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // A hook may remove itself: walk a copy.
  std::vector<AppWindowHook> hooks = hooks_;
  for (const AppWindowHook& hook : hooks) {
    if (hook.procedure(hook.context, message, wParam, lParam, result)) return true;
  }
  return false;
}

void TApplication::FollowSystemSettings(UINT message) {
  UINT taskbarCreated = TaskbarCreatedMessage();
  if (message != WM_SETTINGCHANGE && (taskbarCreated == 0 || message != taskbarCreated)) return;
  if (updateFormatSettings_) SetThreadLocale(LOCALE_USER_DEFAULT);
  if (updateMetricSettings_ && Screen()) Screen()->ReloadScreenFonts();
}

bool TApplication::HandleInternalMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
  result = 0;
  switch (message) {
    case IM_ACTIVATE:
      OnActivate(this);
      return true;
    case IM_DEACTIVATE:
      OnDeactivate(this);
      return true;
    case IM_INVOKE_HELP:
    case IM_ACTION_UPDATE:
    case IM_ACTION_EXECUTE:
    case IM_APP_KEYDOWN:
      // No help system, no actions, no shortcut handlers and no menus: nothing claims these.
      return true;
    case IM_APP_SYSCOMMAND:
      result = SystemCommandOnPrimary(wParam, lParam);
      return true;
    case IM_ENTER:
      EnterFocusStep();
      return true;
    case IM_WINDOW_HOOK:
      if (wParam == 0) AddWindowHook(*reinterpret_cast<const AppWindowHook*>(lParam));
      if (wParam == 1) RemoveWindowHook(*reinterpret_cast<const AppWindowHook*>(lParam));
      return true;
    case IM_DIALOG_HANDLE:
      if (wParam == 1) {
        result = reinterpret_cast<LRESULT>(dialogHandle_);
      } else {
        dialogHandle_ = reinterpret_cast<HWND>(lParam);
      }
      return true;
    default:
      return false;
  }
}

LRESULT TApplication::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  auto defaultProcessing = [&] { return DefWindowProcA(appWindow_, message, wParam, lParam); };
  if (IsControlColorMessage(message)) {
    return SendMessageA(reinterpret_cast<HWND>(lParam), message + IM_REFLECT_BASE, wParam, lParam);
  }
  switch (message) {
    case WM_NULL:
      RunQueuedMainThreadWork();
      return 0;
    case WM_SETFOCUS:
      PostMessageA(appWindow_, IM_ENTER, 0, 0);
      return defaultProcessing();
    case WM_ENABLE: {
      // The thread's windows come back before the default handling and go after it.
      if (wParam) HandleEnable(true);
      LRESULT result = defaultProcessing();
      if (!wParam) HandleEnable(false);
      return result;
    }
    case WM_PAINT:
      if (IsIconic(appWindow_)) {
        PaintSession paint(appWindow_);
        DrawIcon(paint.Get(), 0, 0, IconHandle());
        return 0;
      }
      return defaultProcessing();
    case WM_CLOSE:
      if (primaryForm_) primaryForm_->CloseForm();
      return 0;
    case WM_QUERYENDSESSION:
      return 1;
    case WM_ERASEBKGND:
      return DefWindowProcA(appWindow_, WM_ICONERASEBKGND, wParam, lParam);
    case WM_ENDSESSION:
      if (wParam) EndWithSession();
      return 0;
    case WM_SETTINGCHANGE:
      OnSettingChange(this);
      return defaultProcessing();
    case WM_ACTIVATEAPP: {
      LRESULT result = defaultProcessing();
      NoteAppActivation(wParam != 0);
      return result;
    }
    case WM_FONTCHANGE:
      // No list of the system's font names is kept, so there is nothing to reset.
      return defaultProcessing();
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(IconHandle());
    case WM_HELP:
      // No help system: nothing claims it.
      return 0;
    case WM_SYSCOMMAND:
      return HandleSysCommand(wParam, lParam);
    default:
      return defaultProcessing();
  }
}

LRESULT TApplication::HandleSysCommand(WPARAM wParam, LPARAM lParam) {
  switch (wParam & 0xFFF0) {
    case SC_MINIMIZE:
      MinimizeApp();
      return 0;
    case SC_RESTORE:
      RestoreApp();
      return 0;
    default:
      return DefWindowProcA(appWindow_, WM_SYSCOMMAND, wParam, lParam);
  }
}

void TApplication::NoteAppActivation(bool active) {
  active_ = active;
  if (active_) {
    RestoreTopMosts();
    PostMessageA(appWindow_, IM_ACTIVATE, 0, 0);
  } else {
    LowerTopMosts();
    PostMessageA(appWindow_, IM_DEACTIVATE, 0, 0);
  }
}

void TApplication::HandleEnable(bool enabling) {
  // While the framework itself disables the thread's windows (a message box), the
  // application window's own WM_ENABLE must not start a second round.
  bool ownRound = DisablingTaskWindows();
  if (enabling) {
    if (ownRound) return;
    RestoreTopMosts();
    EnableTaskWindows(disabledWindows_);
    disabledWindows_.clear();
    return;
  }
  if (disabledWindows_.empty() && !ownRound) disabledWindows_ = DisableTaskWindows(appWindow_);
  LowerTopMosts(true);
}

LRESULT TApplication::SystemCommandOnPrimary(WPARAM wParam, LPARAM lParam) {
  if (!primaryForm_) return 0;
  HWND window = primaryForm_->FormHandle();
  if (!IsWindowEnabled(window) || !IsWindowVisible(window)) return 0;
  focusSuppressed_ = true;
  ScopeExit suppress([this] { focusSuppressed_ = false; });
  HWND previous = SetFocus(window);
  primaryForm_->FormPerform(WM_SYSCOMMAND, wParam, lParam);
  SetFocus(previous);
  return 1;
}

void TApplication::EnterFocusStep() {
  if (IsIconic(appWindow_) || GetFocus() != appWindow_) return;
  FocusCandidates candidates{appWindow_};
  EnumThreadWindows(GetCurrentThreadId(), &FindFocusCandidate,
                    reinterpret_cast<LPARAM>(&candidates));
  HWND target = candidates.plain ? candidates.plain : candidates.topMost;
  if (target) SetFocus(target);
}

// --- the program as a whole ---------------------------------------------------------------

bool TApplication::PrimaryFormUsable() const {
  return primaryForm_ && (showPrimaryForm_ || primaryForm_->FormVisible()) &&
         IsWindowEnabled(primaryForm_->FormHandle());
}

void TApplication::MinimizeApp() {
  if (!appWindow_ || IsIconic(appWindow_)) return;
  LowerTopMosts();
  SetActiveWindow(appWindow_);
  HideOwnedPopups();
  if (PrimaryFormUsable()) {
    // Start the system's minimise animation from where the form is.
    RECT bounds = primaryForm_->FormBounds();
    SetWindowPos(appWindow_, primaryForm_->FormHandle(), bounds.left, bounds.top,
                 bounds.right - bounds.left, 0, SWP_SHOWWINDOW);
    DefWindowProcA(appWindow_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else {
    ShowWithoutAnimation(appWindow_, SW_MINIMIZE);
  }
  OnMinimize(this);
}

void TApplication::RestoreApp() {
  if (!appWindow_ || !IsIconic(appWindow_)) return;
  SetActiveWindow(appWindow_);
  if (PrimaryFormUsable()) {
    DefWindowProcA(appWindow_, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else {
    ShowWithoutAnimation(appWindow_, SW_RESTORE);
  }
  SetWindowPos(appWindow_, nullptr, multimon::GetSystemMetrics(SM_CXSCREEN) / 2,
               multimon::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, SWP_SHOWWINDOW);
  if (primaryForm_ && primaryForm_->WindowState() == wsMinimized && !primaryForm_->FormVisible()) {
    primaryForm_->SetWindowState(wsNormal);
    primaryForm_->SetFormVisible(true);
  }
  RestoreTopMosts();
  ShowOwnedPopups();
  TScreen* screen = Screen();
  if (screen && screen->CurrentControl()) SetFocus(screen->CurrentControl()->Handle());
  OnRestore(this);
}

void TApplication::BringToFront() {
  if (!appWindow_) return;
  HWND popup = GetLastActivePopup(appWindow_);
  if (popup && IsWindowVisible(popup) && IsWindowEnabled(popup)) SetForegroundWindow(popup);
}

void TApplication::LowerTopMosts(bool includePrimaryForm) {
  if (!appWindow_ || topMostLevel_++ != 0) return;
  HWND skip = nullptr;
  if (!includePrimaryForm && primaryForm_ && primaryForm_->FormHandleAllocated()) {
    skip = primaryForm_->FormHandle();
  }
  TopMostSearch search{appWindow_, skip, {}};
  EnumWindows(&CollectTopMost, reinterpret_cast<LPARAM>(&search));
  topMosts_ = std::move(search.found);
  HWND after = GetWindow(appWindow_, GW_HWNDPREV);
  if (!after || (GetWindowLongA(after, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) after = HWND_NOTOPMOST;
  for (auto it = topMosts_.rbegin(); it != topMosts_.rend(); ++it) {
    SetWindowPos(*it, after, 0, 0, 0, 0, kTopMostMoveFlags);
  }
}

void TApplication::RestoreTopMosts() {
  if (!appWindow_ || topMostLevel_ == 0 || --topMostLevel_ != 0) return;
  for (auto it = topMosts_.rbegin(); it != topMosts_.rend(); ++it) {
    if (IsWindow(*it)) SetWindowPos(*it, HWND_TOPMOST, 0, 0, 0, 0, kTopMostMoveFlags);
  }
  topMosts_.clear();
}

void TApplication::HideOwnedPopups() {
  if (popupLevel_++ != 0) return;
  popupOwners_.clear();
  EnumWindows(&CollectPopupOwner, reinterpret_cast<LPARAM>(&popupOwners_));
  for (HWND owner : popupOwners_) ::ShowOwnedPopups(owner, FALSE);
}

void TApplication::ShowOwnedPopups() {
  if (popupLevel_ == 0 || --popupLevel_ != 0) return;
  for (HWND owner : popupOwners_) {
    if (IsWindow(owner)) ::ShowOwnedPopups(owner, TRUE);
  }
  popupOwners_.clear();
}

void TApplication::UpdateAppWindowVisible() {
  if (!appWindow_) return;
  bool wanted = false;
  if (TScreen* screen = Screen()) {
    for (int i = 0; i < screen->FormCount() && !wanted; ++i) {
      FormLink* form = screen->FormAt(i);
      HWND parent = form->FormParentWindow();
      // A form inside an explicit parent window does not count; the arguments are in the
      // order the test has always used.
      bool embedded = parent && form->FormHandleAllocated() && IsChild(form->FormHandle(), parent);
      wanted = form->FormVisible() && !embedded;
    }
  }
  bool shown = IsWindowVisible(appWindow_) != 0;
  if (shown != appWindowShown_ || wanted == appWindowShown_) return;
  UINT flags = SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
  SetWindowPos(appWindow_, nullptr, 0, 0, 0, 0, flags | (wanted ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  appWindowShown_ = wanted;
}
