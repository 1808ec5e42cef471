// Reporting exceptions that escape handlers, and the application's message boxes.
#include <vector>

#include "forms/application.h"
#include "forms/form_link.h"
#include "forms/multi_monitor.h"
#include "forms/screen.h"
#include "forms/task_windows.h"
#include "runtime/exception.h"
#include "runtime/last_chance.h"

namespace {

int SystemMessageBox(HWND owner, const char* text, const char* caption, UINT flags) {
  return MessageBoxA(owner, text, caption, flags);
}

TApplication::MessageBoxFunction messageBoxFunction = &SystemMessageBox;

POINT CentreOf(const RECT& rect) {
  return POINT{rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
}

constexpr UINT kQuietMove = SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;

// While a box is up: the application window on the owner's monitor, the thread's other
// windows disabled and the focus counter kept; all undone however the box ends.
class BoxScope {
 public:
  BoxScope(HWND owner, HWND appWindow) : owner_(owner), appWindow_(appWindow) {
    HMONITOR ownerMonitor = multimon::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
    if (appWindow_ && owner != appWindow_ &&
        ownerMonitor != multimon::MonitorFromWindow(appWindow_, MONITOR_DEFAULTTONEAREST)) {
      MONITORINFO info{};
      info.cbSize = sizeof info;
      if (GetWindowRect(appWindow_, &former_) && multimon::GetMonitorInfoA(ownerMonitor, &info)) {
        POINT centre = CentreOf(info.rcMonitor);
        SetWindowPos(appWindow_, nullptr, centre.x, centre.y, 0, 0, kQuietMove);
        moved_ = true;
      }
    }
    disabled_ = DisableTaskWindows(owner);
    focusCount_ = FocusChangeCounter();
  }
  ~BoxScope() {
    EnableTaskWindows(disabled_);
    if (owner_) SetActiveWindow(owner_);
    FocusChangeCounter() = focusCount_;
    if (moved_) {
      POINT centre = CentreOf(former_);
      SetWindowPos(appWindow_, nullptr, centre.x, centre.y, 0, 0, kQuietMove);
    }
  }
  BoxScope(const BoxScope&) = delete;
  BoxScope& operator=(const BoxScope&) = delete;

 private:
  HWND owner_;
  HWND appWindow_;
  RECT former_{};
  bool moved_ = false;
  std::vector<HWND> disabled_;
  int focusCount_ = 0;
};

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
  BoxScope scope(owner, appWindow_);
  return messageBoxFunction(owner, text.c_str(), caption.c_str(), flags);
}
