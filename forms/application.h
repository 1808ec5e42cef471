#pragma once
// TApplication: the process's application object. It owns the hidden application
// window that stands for the program on the taskbar, makes forms and picks the primary
// one, runs the message loop with its pre-processing chain and idle step, minimises
// and restores the program as a whole, and reports exceptions that escape handlers.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "classes/component.h"
#include "classes/events.h"
#include "classes/metadata.h"
#include "platform/win32.h"

class Exception;
class FormLink;
class TControl;

// Optional handlers of the application (an unset one does nothing).
using TMessageEvent = TMethod<MSG&, bool&>;   // message filter: (message, handled)
using TIdleEvent = TMethod<TObject*, bool&>;  // (sender, done)
using TExceptionEvent = TMethod<TObject*, const std::exception_ptr&>;  // (sender, error)

// A procedure that sees every message of the application window first; true ends its
// handling (`result` is then the answer).
struct AppWindowHook {
  bool (*procedure)(void* context, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT& result) = nullptr;
  void* context = nullptr;
  friend bool operator==(const AppWindowHook&, const AppWindowHook&) = default;
};

class TApplication : public TComponent {
 public:
  // Creates the hidden application window at once (also in console programs, so that
  // tests have it).
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // --- state ----------------------------------------------------------------------
  HWND AppWindow() const { return appWindow_; }
  // Read back from the window once it exists.
  std::string AppTitle() const;
  void SetAppTitle(const std::string& title);
  FormLink* PrimaryForm() const { return primaryForm_; }
  bool ShowPrimaryForm() const { return showPrimaryForm_; }
  void SetShowPrimaryForm(bool value) { showPrimaryForm_ = value; }
  bool QuitRequested() const { return quitRequested_; }
  bool LoopRunning() const { return loopRunning_; }
  // False while another program is active.
  bool Active() const { return active_; }
  HICON IconHandle() const;
  // A new application icon (not owned; 0 goes back to the stock one): the window and its
  // class take it and every form hears IM_ICON_CHANGED.
  void SetIconHandle(HICON icon);
  TControl* MouseControl() const { return mouseControl_; }
  // Hints: only the switch; no hint window is ever shown by this system.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  // While set, forms drop WM_ACTIVATE, WM_SETFOCUS and WM_KILLFOCUS.
  bool FocusMessagesSuppressed() const { return focusSuppressed_; }
  bool UpdateFormatSettings() const { return updateFormatSettings_; }
  void SetUpdateFormatSettings(bool value) { updateFormatSettings_ = value; }
  bool UpdateMetricSettings() const { return updateMetricSettings_; }
  void SetUpdateMetricSettings(bool value) { updateMetricSettings_ = value; }

  // --- running --------------------------------------------------------------------
  void PrepareRun();
  // Constructs a form of class `cls` owned by the application. `publish` receives the
  // new instance (and null again if construction fails, before the exception goes on).
  // The first TForm made becomes the primary form, its window created at once.
  void MakeForm(const ClassMetadata& cls, const std::function<void(TComponent*)>& publish);
  template <class F>
  void MakeForm(const ClassMetadata& cls, F*& reference) {
    MakeForm(cls, [&reference](TComponent* made) { reference = static_cast<F*>(made); });
  }
  // Shows the primary form and takes messages until WM_QUIT; returns at once without a
  // primary form.
  void RunLoop();
  // Posts WM_QUIT.
  void RequestQuit();
  // Takes one message, or runs the idle step when there is none.
  void PumpOne();
  // False only when the queue held nothing.
  bool TakeMessage(MSG& message);
  void IdleStep();

  // --- the program as a whole ---------------------------------------------------------
  void MinimizeApp();
  void RestoreApp();
  // Brings the program to the front (its last active popup).
  void BringToFront();
  // Counted: only the outermost call acts.
  void LowerTopMosts(bool includePrimaryForm = false);
  void RestoreTopMosts();
  void HideOwnedPopups();
  void ShowOwnedPopups();
  // Shows the application window while some form is visible, hides it otherwise.
  void UpdateAppWindowVisible();

  // --- errors ---------------------------------------------------------------------
  // Reports the exception being handled (call inside a catch block).
  void ReportException(TObject* sender);
  void ReportException(TObject* sender, const std::exception_ptr& error);
  void ShowErrorBox(const Exception& error);
  int AppMessageBox(const std::string& text, const std::string& caption, UINT flags);
  // What AppMessageBox finally calls (MessageBoxA); tests replace it. Returns the previous.
  using MessageBoxFunction = int (*)(HWND owner, const char* text, const char* caption, UINT flags);
  static MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);

  // --- bookkeeping ----------------------------------------------------------------
  // A control is going: drop every reference the application and the screen hold to it.
  void ForgetControl(TControl* control);
  // A form leaves the screen's lists: it is no longer the primary form nor current.
  void ForgetForm(FormLink* form);
  void AddWindowHook(const AppWindowHook& hook);
  void RemoveWindowHook(const AppWindowHook& hook);
  // The application window's message handling (also reached through IM_* numbers).
  LRESULT HandleAppMessage(UINT message, WPARAM wParam, LPARAM lParam);

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TNotifyEvent OnSettingChange;
  // The hint text of the control under the pointer changed.
  TNotifyEvent OnHint;

 protected:
  void BeforeDestruction() override;

 private:
  void CreateAppWindow();
  void DestroyAppWindow();
  // The window and its class show the current icon (or, on old systems, it is repainted).
  void ApplyIcon();
  bool PreProcessTest(MSG& message);
  bool KeyTest(MSG& message);
  bool DialogTest(MSG& message);
  // The steps of HandleAppMessage: the hooks, then the settings that follow the system's,
  // the internal numbers and the native messages.
  bool RunWindowHooks(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void FollowSystemSettings(UINT message);
  bool HandleInternalMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleSysCommand(WPARAM wParam, LPARAM lParam);
  // WM_ACTIVATEAPP: top-most windows lowered while another program is active.
  void NoteAppActivation(bool active);
  void EnterFocusStep();
  LRESULT SystemCommandOnPrimary(WPARAM wParam, LPARAM lParam);
  void HandleEnable(bool enabling);
  bool PrimaryFormUsable() const;

  HWND appWindow_ = nullptr;
  bool windowCreated_ = false;
  std::string title_;
  FormLink* primaryForm_ = nullptr;
  bool showPrimaryForm_ = true;
  bool quitRequested_ = false;
  bool loopRunning_ = false;
  bool active_ = true;
  HICON icon_ = nullptr;
  TControl* mouseControl_ = nullptr;
  bool showHint_ = false;
  std::string hint_;
  std::vector<AppWindowHook> hooks_;
  std::vector<HWND> topMosts_;
  int topMostLevel_ = 0;
  std::vector<HWND> popupOwners_;
  int popupLevel_ = 0;
  HWND dialogHandle_ = nullptr;
  std::vector<HWND> disabledWindows_;
  // Whether the application window is shown, as last set by UpdateAppWindowVisible.
  bool appWindowShown_ = false;
  bool focusSuppressed_ = false;
  bool updateFormatSettings_ = true;
  bool updateMetricSettings_ = true;
};

// The process-wide application object, or null outside the controls module's lifetime.
TApplication* Application();
void SetApplication(TApplication* application);

// The exit step of the application object: hides the owned popups and destroys the
// forms. Registered by RunLoop as an exit procedure; the forms module's shut-down runs
// it again.
void ApplicationExitStep();

// Counter bumped by every focus change of a form; a message box saves and restores it.
int& FocusChangeCounter();

// The registered "TaskbarCreated" message (0 before the forms module's start-up).
UINT TaskbarCreatedMessage();
void SetTaskbarCreatedMessage(UINT message);
