// Reporting exceptions that escape handlers, and the application's message boxes.
#include <optional>
#include <vector>

#include "forms/application.h"
#include "forms/form_link.h"
#include "forms/multi_monitor.h"
#include "forms/screen.h"
#include "forms/task_windows.h"
#include "runtime/exception.h"
#include "runtime/last_chance.h"
#include "runtime/scope_exit.h"

namespace {

int SystemMessageBox(HWND owner, const char* text, const char* caption, UINT flags) {
  return MessageBoxA(owner, text, caption, flags);
}

TApplication::MessageBoxFunction messageBoxFunction = &SystemMessageBox;

POINT CentreOf(const RECT& rect) {
  return POINT{rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
}

constexpr UINT kQuietMove = SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;

// The application window has no size: its position is a point.
void MoveQuietly(HWND window, POINT to) {
  SetWindowPos(window, nullptr, to.x, to.y, 0, 0, kQuietMove);
}

// While a box is up the application window stands on the owner's monitor: moves it there
// and answers where it was, or nothing when it stays.
std::optional<RECT> MoveToOwnerMonitor(HWND owner, HWND appWindow) {
  HMONITOR ownerMonitor = multimon::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
  if (!appWindow || owner == appWindow ||
      ownerMonitor == multimon::MonitorFromWindow(appWindow, MONITOR_DEFAULTTONEAREST)) {
    return std::nullopt;
  }
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT former{};
  if (!GetWindowRect(appWindow, &former) || !multimon::GetMonitorInfoA(ownerMonitor, &info)) {
    return std::nullopt;
  }
  MoveQuietly(appWindow, CentreOf(info.rcMonitor));
  return former;
}

}  // namespace

TApplication::MessageBoxFunction TApplication::SetMessageBoxFunction(MessageBoxFunction function) {
  MessageBoxFunction previous = messageBoxFunction;
  messageBoxFunction = function ? function : &SystemMessageBox;
  return previous;
}

void TApplication::ReportException(TObject* sender) {
  ReportException(sender, std::current_exception());
}

void TApplication::ReportException(TObject* sender, const std::exception_ptr& error) {
  if (!error) return;
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    // The silent exception: never shown.
  } catch (const Exception& exception) {
    if (OnException) {
      OnException(sender, error);
    } else {
      ShowErrorBox(exception);
    }
  } catch (...) {
    ShowLastChanceError(error);
  }
}

void TApplication::ShowErrorBox(const Exception& error) {
  std::string text = error.Message();
  // Bytes above "." in the code page (letters, digits, ":", "?") get a full stop; text
  // ending in "." or in marks such as "!" or ")" is left as it is.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  AppMessageBox(text, AppTitle(), MB_OK | MB_ICONSTOP);
}

int TApplication::AppMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = nullptr;
  TScreen* screen = Screen();
  FormLink* active = screen ? screen->CurrentCustomForm() : nullptr;
  if (active && active->FormHandleAllocated()) owner = active->FormHandle();
  if (!owner) owner = appWindow_;
  // The thread's other windows are disabled and the focus counter kept while the box is up;
  // all undone however the box ends.
  const std::optional<RECT> former = MoveToOwnerMonitor(owner, appWindow_);
  const std::vector<HWND> disabled = DisableTaskWindows(owner);
  const int focusCount = FocusChangeCounter();
  ScopeExit restore([&] {
    EnableTaskWindows(disabled);
    if (owner) SetActiveWindow(owner);
    FocusChangeCounter() = focusCount;
    if (former) MoveQuietly(appWindow_, CentreOf(*former));
  });
  return messageBoxFunction(owner, text.c_str(), caption.c_str(), flags);
}
