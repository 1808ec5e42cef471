#include "forms/application.h"

#include "classes/metadata_builder.h"
#include "controls/control.h"
#include "controls/control_messages.h"
#include "controls/win_control.h"
#include "forms/app_title.h"
#include "forms/form.h"
#include "forms/form_link.h"
#include "forms/multi_monitor.h"
#include "forms/screen.h"
#include "runtime/exception.h"
#include "runtime/exit_procedures.h"
#include "runtime/last_chance.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"
#include "runtime/startup.h"
#include "runtime/sync_queue.h"

namespace {

TApplication* theApplication = nullptr;
int focusChangeCounter = 0;
UINT taskbarCreated = 0;
constexpr char kAppWindowClass[] = "TApplication";
// WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
constexpr DWORD kAppWindowStyle = 0x84CA0000;

// Windows from version 4 on have the new-style controls (icons on windows, no move item).
bool NewStyleControls() { return LOBYTE(LOWORD(GetVersion())) >= 4; }

LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!application) return DefWindowProcA(window, message, wParam, lParam);
  // No exception may cross the native window procedure.
  try {
    return application->HandleAppMessage(message, wParam, lParam);
  } catch (...) {
    application->ReportException(application);
  }
  return 0;
}

void WakeMainThread(void* context) {
  auto* application = static_cast<TApplication*>(context);
  if (application->AppWindow()) PostMessageA(application->AppWindow(), WM_NULL, 0, 0);
}

// The framework control owning `window`, walking up native parents.
TWinControl* OwningControl(HWND window) {
  while (window) {
    if (TWinControl* control = TWinControl::FindControlOfWindow(window)) return control;
    window = GetParent(window);
  }
  return nullptr;
}

// The text after "|" in a hint, or all of it.
std::string LongHint(const std::string& hint) {
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

}  // namespace

TApplication* Application() { return theApplication; }
void SetApplication(TApplication* application) { theApplication = application; }
int& FocusChangeCounter() { return focusChangeCounter; }
UINT TaskbarCreatedMessage() { return taskbarCreated; }
void SetTaskbarCreatedMessage(UINT message) { taskbarCreated = message; }

const ClassMetadata& TApplication::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TApplication>("TApplication", &TComponent::StaticMeta(), "forms").Build();
  return meta;
}

// --- lifetime ---------------------------------------------------------------------------

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  icon_ = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  title_ = DefaultAppTitle();
  CreateAppWindow();
  SetMainThreadWakeup(&WakeMainThread, this);
}

void TApplication::BeforeDestruction() {
  TComponent::BeforeDestruction();
  ClearMainThreadWakeup(this);
  showHint_ = false;
  // The forms go first: their windows are owned by the application window.
  DestroyOwned();
}

TApplication::~TApplication() { DestroyAppWindow(); }

void TApplication::CreateAppWindow() {
  if (windowCreated_) return;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing{};
  if (!GetClassInfoA(instance, kAppWindowClass, &existing)) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kAppWindowClass;
    if (!RegisterClassA(&windowClass)) throw EOutOfResources(msg::kWindowClassError, {});
  }
  appWindow_ = CreateWindowExA(0, kAppWindowClass, title_.c_str(), kAppWindowStyle,
                               multimon::GetSystemMetrics(SM_CXSCREEN) / 2,
                               multimon::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                               instance, nullptr);
  if (!appWindow_) throw EOutOfResources(msg::kWindowClassError, {});
  windowCreated_ = true;
  SetWindowLongPtrA(appWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(appWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AppWindowProc));
  ApplyIcon();
  HMENU systemMenu = GetSystemMenu(appWindow_, FALSE);
  DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
  DeleteMenu(systemMenu, SC_SIZE, MF_BYCOMMAND);
  if (NewStyleControls()) DeleteMenu(systemMenu, SC_MOVE, MF_BYCOMMAND);
}

void TApplication::DestroyAppWindow() {
  if (!windowCreated_) return;
  if (NewStyleControls()) SendMessageA(appWindow_, WM_SETICON, ICON_BIG, 0);
  // The title lives in the object again once the window is gone.
  title_ = AppTitle();
  SetWindowLongPtrA(appWindow_, GWLP_USERDATA, 0);
  DestroyWindow(appWindow_);
  appWindow_ = nullptr;
  windowCreated_ = false;
}

// --- state ------------------------------------------------------------------------------

std::string TApplication::AppTitle() const {
  if (!appWindow_) return title_;
  char buffer[256] = {};
  int length = GetWindowTextA(appWindow_, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

void TApplication::SetAppTitle(const std::string& title) {
  title_ = title;
  if (appWindow_) SetWindowTextA(appWindow_, title.c_str());
}

HICON TApplication::IconHandle() const {
  return icon_ ? icon_ : LoadIconA(nullptr, IDI_APPLICATION);
}

void TApplication::ApplyIcon() {
  if (NewStyleControls()) {
    SendMessageA(appWindow_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(IconHandle()));
    SetClassLongPtrA(appWindow_, GCLP_HICON, reinterpret_cast<LONG_PTR>(IconHandle()));
  } else if (IsIconic(appWindow_)) {
    InvalidateRect(appWindow_, nullptr, TRUE);
  }
}

void TApplication::SetIconHandle(HICON icon) {
  if (icon == icon_) return;
  icon_ = icon;
  if (appWindow_) ApplyIcon();
  if (TScreen* screen = Screen()) {
    for (int i = 0; i < screen->CustomFormCount(); ++i) {
      screen->CustomFormAt(i)->FormPerform(IM_ICON_CHANGED, 0, 0);
    }
  }
}

void ApplicationExitStep() {
  TApplication* application = Application();
  if (!application) return;
  if (application->AppWindow()) application->HideOwnedPopups();
  application->SetShowHint(false);
  application->BeginDestroying();
  application->DestroyOwned();
}

// --- running ----------------------------------------------------------------------------

void TApplication::PrepareRun() {
  // The runtime offers no start-up hook for programs to install; nothing to call.
}

void TApplication::MakeForm(const ClassMetadata& cls,
                            const std::function<void(TComponent*)>& publish) {
  TComponent* made = nullptr;
  ScopeExit clearOnFailure([&publish] { publish(nullptr); });
  if (cls.InheritsFrom(TCustomForm::StaticMeta())) {
    // A form is published as soon as it exists, before its definition is read.
    made = ConstructFormOfClass(cls, this, [&publish](TCustomForm* form) { publish(form); });
  } else {
    made = cls.Construct(this);
  }
  clearOnFailure.Release();
  publish(made);
  auto* form = dynamic_cast<FormLink*>(made);
  if (!primaryForm_ && form && form->IsPlainForm()) {
    form->FormHandle();
    primaryForm_ = form;
  }
}

void TApplication::RunLoop() {
  loopRunning_ = true;
  ScopeExit running([this] { loopRunning_ = false; });
  AddExitProcedure(&ApplicationExitStep);
  if (!primaryForm_) return;

  switch (StartupShowCommand()) {
    case SW_SHOWMAXIMIZED:
      primaryForm_->SetWindowState(wsMaximized);
      break;
    case SW_SHOWMINNOACTIVE:
      primaryForm_->StoreWindowState(wsMinimized);
      break;
    default:
      break;
  }
  if (showPrimaryForm_) {
    if (primaryForm_->WindowState() == wsMinimized) {
      MinimizeApp();
    } else {
      primaryForm_->SetFormVisible(true);
    }
  }
  while (!quitRequested_) {
    try {
      PumpOne();
    } catch (...) {
      ReportException(this);
    }
  }
}

void TApplication::RequestQuit() { PostQuitMessage(0); }

void TApplication::PumpOne() {
  MSG message;
  if (!TakeMessage(message)) IdleStep();
}

bool TApplication::TakeMessage(MSG& message) {
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return false;
  bool unicode = message.hwnd && IsWindowUnicode(message.hwnd);
  BOOL removed = unicode ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)
                         : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
  if (!removed) return false;
  if (message.message == WM_QUIT) {
    quitRequested_ = true;
    return true;
  }
  bool handled = false;
  OnMessage(message, handled);
  // The hint test would come after the pre-processing test; no hint window is ever
  // shown, so it never has anything to cancel. No form is an MDI frame either.
  bool claimed = PreProcessTest(message) || handled || KeyTest(message) || DialogTest(message);
  if (!claimed) {
    TranslateMessage(&message);
    if (unicode) {
      DispatchMessageW(&message);
    } else {
      DispatchMessageA(&message);
    }
  }
  return true;
}

bool TApplication::PreProcessTest(MSG& message) {
  if (GetCapture()) return false;
  TWinControl* control = OwningControl(message.hwnd);
  return control && control->PreProcessMessage(message);
}

bool TApplication::KeyTest(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  HWND target = GetCapture();
  bool unicode = false;
  if (target) {
    DWORD captureProcess = 0;
    GetWindowThreadProcessId(target, &captureProcess);
    if (captureProcess != GetCurrentProcessId()) return false;
  } else {
    TWinControl* control = OwningControl(message.hwnd);
    target = control ? control->Handle() : message.hwnd;
    unicode = target && IsWindowUnicode(target);
  }
  if (!target) return false;
  UINT reflected = message.message + IM_REFLECT_BASE;
  LRESULT result = unicode ? SendMessageW(target, reflected, message.wParam, message.lParam)
                           : SendMessageA(target, reflected, message.wParam, message.lParam);
  return result != 0;
}

bool TApplication::DialogTest(MSG& message) {
  if (!dialogHandle_) return false;
  if (message.hwnd && IsWindowUnicode(message.hwnd)) {
    return IsDialogMessageW(dialogHandle_, &message) != 0;
  }
  return IsDialogMessageA(dialogHandle_, &message) != 0;
}

void TApplication::IdleStep() {
  POINT position;
  TControl* control = nullptr;
  if (GetCursorPos(&position)) control = FindControlAtScreen(position, true);
  mouseControl_ = control;

  std::string hint;
  for (TControl* c = control; c; c = c->Parent()) {
    if (!c->Hint().empty()) {
      hint = LongHint(c->Hint());
      break;
    }
  }
  if (hint != hint_) {
    hint_ = hint;
    OnHint(this);
  }

  bool done = true;
  try {
    OnIdle(this, done);
  } catch (...) {
    ReportException(this);
  }
  if (GetCurrentThreadId() == MainThreadId() && RunQueuedMainThreadWork()) done = false;
  if (done) WaitMessage();
}

// --- bookkeeping ------------------------------------------------------------------------

void TApplication::ForgetControl(TControl* control) {
  if (mouseControl_ == control) mouseControl_ = nullptr;
  if (TScreen* screen = Screen()) screen->Forget(nullptr, control);
}

void TApplication::ForgetForm(FormLink* form) {
  if (primaryForm_ == form) primaryForm_ = nullptr;
  if (TScreen* screen = Screen()) screen->Forget(form, nullptr);
}

void TApplication::AddWindowHook(const AppWindowHook& hook) { hooks_.push_back(hook); }

void TApplication::RemoveWindowHook(const AppWindowHook& hook) {
  for (auto it = hooks_.begin(); it != hooks_.end(); ++it) {
    if (*it == hook) {
      hooks_.erase(it);
      return;
    }
  }
}
