#include "forms/screen.h"

#include <algorithm>

#include "classes/metadata_builder.h"
#include "controls/control_messages.h"
#include "controls/win_control.h"
#include "forms/application.h"
#include "forms/form_link.h"
#include "forms/multi_monitor.h"
#include "graphics/colors.h"
#include "graphics/font.h"
#include "platform/gdi_handles.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

namespace {

TScreen* theScreen = nullptr;

// The size NONCLIENTMETRICSA has without the padded border width of later systems.
constexpr UINT kNonClientMetricsSize = 340;
union NonClientMetrics {
  NONCLIENTMETRICSA metrics;
  char bytes[sizeof(NONCLIENTMETRICSA) > kNonClientMetricsSize ? sizeof(NONCLIENTMETRICSA)
                                                               : kNonClientMetricsSize];
};

void MoveToFront(std::vector<FormLink*>& list, FormLink* form) {
  auto found = std::find(list.begin(), list.end(), form);
  if (found != list.end()) std::rotate(list.begin(), found, found + 1);
}

void Remove(std::vector<FormLink*>& list, FormLink* form) {
  list.erase(std::remove(list.begin(), list.end(), form), list.end());
}

FormLink* At(const std::vector<FormLink*>& list, int index) {
  if (index < 0 || index >= static_cast<int>(list.size())) {
    throw EListError(msg::kListIndexError, {index});
  }
  return list[static_cast<size_t>(index)];
}

void TakeFontOrStock(TFont& font, const LOGFONTA* logFont) {
  HFONT handle = logFont ? CreateFontIndirectA(logFont) : nullptr;
  font.SetHandle(handle ? handle : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
}

BOOL CALLBACK AppendMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data) {
  auto* list = reinterpret_cast<std::vector<std::unique_ptr<TMonitor>>*>(data);
  list->push_back(std::make_unique<TMonitor>(handle, static_cast<int>(list->size())));
  return TRUE;
}

}  // namespace

TScreen* Screen() { return theScreen; }
void SetScreen(TScreen* screen) { theScreen = screen; }

const ClassMetadata& TScreen::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TScreen>("TScreen", &TComponent::StaticMeta(), "forms").Build();
  return meta;
}

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), iconFont_(new TFont), menuFont_(new TFont), hintFont_(new TFont) {
  keyboardLayout_ = GetKeyboardLayout(0);
  {
    WindowDC screen(nullptr);
    if (screen) pixelsPerInch_ = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  }
  EnumerateMonitors();
  ReloadScreenFonts();
  for (TFont* font : {iconFont_.get(), menuFont_.get(), hintFont_.get()}) {
    font->OnChange = TNotifyEvent::Bind<&TScreen::FontChanged>(this);
  }
}

TScreen::~TScreen() {
  for (TFont* font : {iconFont_.get(), menuFont_.get(), hintFont_.get()}) {
    font->OnChange = TNotifyEvent();
  }
}

// --- forms ----------------------------------------------------------------------------

void TScreen::EnlistForm(FormLink* form) {
  customForms_.push_back(form);
  if (TApplication* application = Application()) application->UpdateAppWindowVisible();
}

void TScreen::DelistForm(FormLink* form) {
  Remove(customForms_, form);
  TApplication* application = Application();
  if (application) {
    application->ForgetForm(form);
    application->UpdateAppWindowVisible();
  } else {
    Forget(form, nullptr);
  }
  // No hint window is ever made, so the last form going leaves nothing to release.
}

FormLink* TScreen::CustomFormAt(int index) const { return At(customForms_, index); }
int TScreen::FormCount() const {
  return static_cast<int>(std::count_if(customForms_.begin(), customForms_.end(),
                                        [](const FormLink* form) { return form->IsPlainForm(); }));
}

FormLink* TScreen::FormAt(int index) const {
  int seen = 0;
  for (FormLink* form : customForms_) {
    if (form->IsPlainForm() && seen++ == index) return form;
  }
  throw EListError(msg::kListIndexError, {index});
}

// --- focus ----------------------------------------------------------------------------

void TScreen::NoteFocus(FormLink* form, TWinControl* control) {
  currentControl_ = control;
  currentControlId_ = control;
  currentCustomForm_ = form;
  MoveToFront(customForms_, form);
  currentForm_ = form && form->IsPlainForm() ? form : nullptr;
}

void TScreen::Forget(FormLink* form, const TControl* control) {
  if (control && currentControlId_ == control) {
    currentControl_ = nullptr;
    currentControlId_ = nullptr;
  }
  if (form) {
    if (currentCustomForm_ == form) {
      currentCustomForm_ = nullptr;
      currentForm_ = nullptr;
    }
    if (focusOwnerForm_ == form) focusOwnerForm_ = nullptr;
  }
  NotifyCurrentChange();
}

void TScreen::NotifyCurrentChange() {
  if (currentCustomForm_ != lastCurrentForm_) {
    lastCurrentForm_ = currentCustomForm_;
    OnActiveFormChange(this);
  }
  if (currentControlId_ != lastCurrentControl_) {
    lastCurrentControl_ = currentControlId_;
    OnActiveControlChange(this);
  }
}

// --- screen ---------------------------------------------------------------------------

int TScreen::ScreenWidth() const { return multimon::GetSystemMetrics(SM_CXSCREEN); }
int TScreen::ScreenHeight() const { return multimon::GetSystemMetrics(SM_CYSCREEN); }

// --- monitors -------------------------------------------------------------------------

void TScreen::EnumerateMonitors() {
  monitors_.clear();
  multimon::EnumDisplayMonitors(nullptr, nullptr, &AppendMonitor,
                                reinterpret_cast<LPARAM>(&monitors_));
}

int TScreen::CountMonitors() const {
  if (monitors_.empty()) return multimon::GetSystemMetrics(SM_CMONITORS);
  return static_cast<int>(monitors_.size());
}

TMonitor* TScreen::MonitorAt(int index) const {
  if (index < 0 || index >= static_cast<int>(monitors_.size())) {
    throw EListError(msg::kListIndexError, {index});
  }
  return monitors_[static_cast<size_t>(index)].get();
}

TMonitor* TScreen::FindMonitor(bool (*match)(const TMonitor&, HMONITOR), HMONITOR handle) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    for (const auto& monitor : monitors_) {
      if (match(*monitor, handle)) return monitor.get();
    }
    if (attempt == 0) EnumerateMonitors();
  }
  return nullptr;
}

TMonitor* TScreen::MonitorOfWindow(HWND window) {
  HMONITOR handle = multimon::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  return FindMonitor([](const TMonitor& m, HMONITOR h) { return m.Handle() == h; }, handle);
}

TMonitor* TScreen::MainMonitor() {
  return FindMonitor([](const TMonitor& m, HMONITOR) { return m.Primary(); }, nullptr);
}

// --- fonts ----------------------------------------------------------------------------

void TScreen::ReloadScreenFonts() {
  // Application hints are off while the fonts are reloaded, and back as they were on every
  // way out.
  TApplication* application = Application();
  const bool hintsWereOn = application != nullptr && application->ShowHint();
  if (application) application->SetShowHint(false);
  ScopeExit hintsBack([application, hintsWereOn] {
    if (application) application->SetShowHint(hintsWereOn);
  });
  LOGFONTA iconLogFont{};
  bool haveIcon =
      SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof iconLogFont, &iconLogFont, 0) != 0;
  TakeFontOrStock(*iconFont_, haveIcon ? &iconLogFont : nullptr);

  NonClientMetrics nonClient{};
  nonClient.metrics.cbSize = kNonClientMetricsSize;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &nonClient, 0)) {
    TakeFontOrStock(*hintFont_, &nonClient.metrics.lfStatusFont);
    TakeFontOrStock(*menuFont_, &nonClient.metrics.lfMenuFont);
  } else {
    hintFont_->SetSize(8);
    TakeFontOrStock(*menuFont_, nullptr);
  }
  hintFont_->SetColor(clInfoText);
  menuFont_->SetColor(clMenuText);
}

void TScreen::FontChanged(TObject* sender) {
  SendToForms(IM_SYSFONT_CHANGED);
  TApplication* application = Application();
  if (sender == hintFont_.get() && application && application->ShowHint()) {
    // Turning hints off and on again rebuilds the hint window with the new font.
    application->SetShowHint(false);
    application->SetShowHint(true);
  }
}

void TScreen::SendToForms(UINT message) {
  // A form may go away while it handles the message: walk a copy.
  std::vector<FormLink*> forms = customForms_;
  for (FormLink* form : forms) form->FormPerform(message, 0, 0);
}

// --- cursors --------------------------------------------------------------------------

void TScreen::SetCursorOverride(int16_t id) {
  if (id != cursorOverride_) {
    cursorOverride_ = id;
    POINT position;
    if (id == 0 && GetCursorPos(&position)) {
      HWND window = WindowFromPoint(position);
      if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        // Let the window under the pointer choose its own cursor again.
        LPARAM packed = MAKELPARAM(static_cast<WORD>(position.x), static_cast<WORD>(position.y));
        LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, packed);
        SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(static_cast<WORD>(hit & 0xFFFF), WM_MOUSEMOVE));
        return;
      }
    }
    SetCursor(CursorHandleFor(id));
  }
  ++cursorChangeCount_;
}
