// Activation, focus bookkeeping and the close protocol of a form, and its handler table.
#include <vector>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/screen.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

namespace {

// The framework control that owns `window`, or the form walking up from its parents.
TWinControl* ControlOfWindow(HWND window) { return TWinControl::FindControlOfWindow(window); }

// Walks up from `control` through its parents to a form or a control without parent.
TControl* ActivationTarget(TControl* control) {
  while (control->Parent() != nullptr) {
    if (auto* win = dynamic_cast<TWinControl*>(control); win != nullptr && win->IsForm()) break;
    control = control->Parent();
  }
  return control;
}

}  // namespace

const MessageTable TCustomForm::kMessages{
    On<&TCustomForm::HandleShowingChanged>(IM_SHOWING_CHANGED),
    On<&TCustomForm::HandleSize>(WM_SIZE),
    On<&TCustomForm::HandleShowWindow>(WM_SHOWWINDOW),
    On<&TCustomForm::HandlePaint>(WM_PAINT),
    On<&TCustomForm::HandleEraseBackground>(WM_ERASEBKGND),
    On<&TCustomForm::HandleQueryDragIcon>(WM_QUERYDRAGICON),
    On<&TCustomForm::HandleSysCommand>(WM_SYSCOMMAND),
    On<&TCustomForm::HandleActivate>(WM_ACTIVATE),
    On<&TCustomForm::HandleSetFocus>(WM_SETFOCUS),
    On<&TCustomForm::HandleClose>(WM_CLOSE),
    On<&TCustomForm::HandleQueryEndSession>(WM_QUERYENDSESSION),
    On<&TCustomForm::HandleWindowPosChanging>(WM_WINDOWPOSCHANGING),
    On<&TCustomForm::HandleFormActivate>(IM_ACTIVATE),
    On<&TCustomForm::HandleFormDeactivate>(IM_DEACTIVATE),
    On<&TCustomForm::HandleRelease>(IM_RELEASE),
};

void TCustomForm::HandleControlMessage(MessageRecord& message) {
  // While the application moves the focus for a system command, the form must not see
  // the focus going and coming.
  if (message.Msg == WM_ACTIVATE || message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS) {
    if (TApplication* app = Application(); app != nullptr && app->FocusMessagesSuppressed()) {
      return;
    }
  }
  TScrollingWinControl::HandleControlMessage(message);
}

// --- activation ------------------------------------------------------------------------------

void TCustomForm::FireActivate() {
  if (activeControl_ != nullptr) {
    TControl* target = ActivationTarget(activeControl_);
    if (target != this) Deliver(target, IM_ACTIVATE);
  }
  OnActivate(this);
}

void TCustomForm::FireDeactivate() {
  if (activeControl_ != nullptr) {
    TControl* target = ActivationTarget(activeControl_);
    if (target != this) Deliver(target, IM_DEACTIVATE);
  }
  OnDeactivate(this);
}

void TCustomForm::HandleFormActivate(MessageRecord& /*m*/) {
  if (HasState(stReading)) {
    SetFlag(ffActivatedWhileReading, true);
  } else {
    FireActivate();
  }
}

void TCustomForm::HandleFormDeactivate(MessageRecord& /*m*/) {
  if (HasState(stReading)) {
    SetFlag(ffActivatedWhileReading, false);
  } else {
    FireDeactivate();
  }
}

void TCustomForm::HandleActivate(MessageRecord& m) {
  if (formStyle_ == fsMDIForm) {
    DispatchInherited(TCustomForm::StaticMeta(), m);
    return;
  }
  isActiveWindow_ = LOWORD(m.WParam) != WA_INACTIVE;
  if (isActiveWindow_) GiveFocusOnActivation();
}

void TCustomForm::GiveFocusOnActivation() {
  if (activeControl_ == nullptr) activeControl_ = FirstFocusableControl(this);
  TWinControl* target = activeControl_ != nullptr ? activeControl_ : this;
  if (Parent() != nullptr && activeControl_ == nullptr) {
    if (TWinControl* first = FirstFocusableControl(this)) target = first;
  }
  const HWND window = target->Handle();
  SetFocus(window);
  if (GetFocus() == window) Deliver(ControlOfWindow(window), IM_UI_ACTIVATE);
}

bool TCustomForm::CanTakeFocus(const TWinControl* control) const {
  for (const TWinControl* c = control; c != nullptr; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
    if (c == this) return true;
  }
  return false;
}

TWinControl* TCustomForm::FirstFocusableControl(TWinControl* container) {
  for (TWinControl* child : container->WindowedChildren()) {
    if (child->TabStop() && CanTakeFocus(child)) return child;
    if (TWinControl* inner = FirstFocusableControl(child)) return inner;
  }
  return nullptr;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control != nullptr) {
    const bool ours = control != this && ActivationTarget(control) == this;
    if (!ours || (!HasState(stLoading) && !CanTakeFocus(control))) {
      throw EInvalidOperation(msg::kCannotFocus, {});
    }
  }
  activeControl_ = control;
  if (!HasState(stLoading) && isActiveWindow_ && control != nullptr) SetFocus(control->Handle());
  NoteActiveControlChange();
}

void TCustomForm::HandleSetFocus(MessageRecord& m) {
  if (activeControl_ != nullptr && activeControl_->HandleAllocated()) {
    SetFocus(activeControl_->HandleValue());
    return;
  }
  DispatchInherited(TCustomForm::StaticMeta(), m);
}

bool TCustomForm::NoteFocusedControl(TWinControl* control) {
  int& counter = FocusChangeCounter();
  const int started = ++counter;
  activeControl_ = control == this ? nullptr : control;
  TScreen* screen = Screen();
  if (screen == nullptr) return true;
  TWinControl* previous = screen->CurrentControl();
  screen->NoteFocus(this, control);
  if (control == previous) return false;
  FormLink* focused = screen->FocusOwnerForm();
  if (focused != static_cast<FormLink*>(this)) {
    if (focused != nullptr) {
      screen->SetFocusOwnerForm(nullptr);
      if (focused->FormHandleAllocated()) SendMessageA(focused->FormHandle(), IM_DEACTIVATE, 0, 0);
      if (counter != started) return false;
    }
    screen->SetFocusOwnerForm(this);
    SendMessageA(Handle(), IM_ACTIVATE, 0, 0);
    if (counter != started) return false;
  }
  // Leave the controls the focus moves out of (innermost first), enter the new ones
  // (outermost first); a handler that moves the focus ends the walk.
  for (TWinControl* c = previous; c != nullptr && c != this; c = c->Parent()) {
    if (control != nullptr && (c == control || c->ContainsControl(control))) break;
    Deliver(c, IM_EXIT);
    if (counter != started) return false;
  }
  std::vector<TWinControl*> entering;
  for (TWinControl* c = control; c != nullptr && c != this; c = c->Parent()) {
    if (previous != nullptr && (c == previous || c->ContainsControl(previous))) break;
    entering.push_back(c);
  }
  for (auto it = entering.rbegin(); it != entering.rend(); ++it) {
    Deliver(*it, IM_ENTER);
    if (counter != started) return false;
  }
  Perform(IM_FOCUS_CHANGED, 0, reinterpret_cast<LPARAM>(control));
  screen->NotifyCurrentChange();
  return true;
}

// --- close protocol ------------------------------------------------------------------------------

bool TCustomForm::QueryClose() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::CloseForm() {
  if (HasFlag(ffShownModally)) {
    modalResult_ = IDCANCEL;
    return;
  }
  if (!QueryClose()) return;
  TCloseAction action = caHide;
  if (formStyle_ == fsMDIChild) {
    action = (borderIcons_ & BorderIconBit(biMinimize)) != 0 ? caMinimize : caNone;
  }
  FireClose(action);
  if (action == caNone) return;
  TApplication* app = Application();
  if (app != nullptr && app->PrimaryForm() == static_cast<FormLink*>(this)) {
    // Closing the main window ends the program; the window goes with the others.
    app->RequestQuit();
    return;
  }
  switch (action) {
    case caHide:
      HideForm();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      ReleaseForm();
      break;
    default:
      break;
  }
}

void TCustomForm::HandleClose(MessageRecord& /*m*/) { CloseForm(); }

void TCustomForm::HandleQueryEndSession(MessageRecord& m) { m.Result = QueryClose() ? 1 : 0; }

void TCustomForm::HandleRelease(MessageRecord& /*m*/) { Free(); }
