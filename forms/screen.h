#pragma once
// TScreen: the process-wide record of forms and focus, the screen's size, resolution
// and monitors, the system's fonts, and the cursor table with its override.
#include <cstdint>
#include <memory>
#include <vector>

#include "classes/component.h"
#include "classes/events.h"
#include "forms/cursor_table.h"
#include "forms/monitor.h"
#include "platform/win32.h"

class FormLink;
class TControl;
class TFont;
class TWinControl;

class TScreen : public TComponent {
 public:
  // Builds the cursor table, reads the screen's resolution, lists the monitors and
  // loads the system's fonts.
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // --- forms ----------------------------------------------------------------------
  // Called by form construction and destruction.
  void EnlistForm(FormLink* form);
  void DelistForm(FormLink* form);
  // Every form, most recently focused first.
  int CustomFormCount() const { return static_cast<int>(customForms_.size()); }
  // Raises EListError "List index out of bounds (%d)" for a bad index.
  FormLink* CustomFormAt(int index) const;
  // The forms that are TForm (or descendants), same order. Worked out when asked, so a
  // form enlisted from inside its constructor is counted by its complete class.
  int FormCount() const;
  FormLink* FormAt(int index) const;

  // --- focus ----------------------------------------------------------------------
  TWinControl* CurrentControl() const { return currentControl_; }
  FormLink* CurrentCustomForm() const { return currentCustomForm_; }
  FormLink* CurrentForm() const { return currentForm_; }
  FormLink* FocusOwnerForm() const { return focusOwnerForm_; }
  void SetFocusOwnerForm(FormLink* form) { focusOwnerForm_ = form; }
  // A control of `form` got the focus (`control` null: the form itself): it becomes
  // the current control, and the form the current form, first in the lists.
  void NoteFocus(FormLink* form, TWinControl* control);
  // Drops the references to a form or control that is going away (either may be null),
  // then notifies a change of the current form or control.
  void Forget(FormLink* form, const TControl* control);
  // Fires the change handlers when the current form or control changed since last time.
  void NotifyCurrentChange();
  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

  // --- screen ---------------------------------------------------------------------
  // Asked afresh on every call.
  int ScreenWidth() const;
  int ScreenHeight() const;
  // LOGPIXELSY of the screen, taken once at creation.
  int ScreenPixelsPerInch() const { return pixelsPerInch_; }
  HKL DefaultKeyboardLayout() const { return keyboardLayout_; }

  // --- monitors -------------------------------------------------------------------
  // The listed monitors, or SM_CMONITORS when the list is empty.
  int CountMonitors() const;
  // Raises EListError for a bad index.
  TMonitor* MonitorAt(int index) const;
  // The monitor the window is nearest to; none when it cannot be found even after the
  // list is rebuilt.
  TMonitor* MonitorOfWindow(HWND window);
  TMonitor* MainMonitor();

  // --- fonts ----------------------------------------------------------------------
  TFont& MenuFont() const { return *menuFont_; }
  void ReloadScreenFonts();

  // --- cursors --------------------------------------------------------------------
  HCURSOR CursorHandleFor(int16_t id) const { return cursors_.HandleFor(id); }
  HCURSOR DefaultCursorHandle() const { return cursors_.DefaultHandle(); }
  const CursorTable& Cursors() const { return cursors_; }
  int16_t CursorOverride() const { return cursorOverride_; }
  void SetCursorOverride(int16_t id);
  int CursorChangeCount() const { return cursorChangeCount_; }

 private:
  void EnumerateMonitors();
  TMonitor* FindMonitor(bool (*match)(const TMonitor&, HMONITOR), HMONITOR handle);
  void FontChanged(TObject* sender);
  void SendToForms(UINT message);

  CursorTable cursors_;
  std::vector<FormLink*> customForms_;
  TWinControl* currentControl_ = nullptr;
  // The same control as a TControl, compared with controls that are being destroyed.
  const TControl* currentControlId_ = nullptr;
  FormLink* currentCustomForm_ = nullptr;
  FormLink* currentForm_ = nullptr;
  FormLink* focusOwnerForm_ = nullptr;
  FormLink* lastCurrentForm_ = nullptr;
  const TControl* lastCurrentControl_ = nullptr;
  int pixelsPerInch_ = 96;
  HKL keyboardLayout_ = nullptr;
  std::vector<std::unique_ptr<TMonitor>> monitors_;
  TOwnedPtr<TFont> iconFont_;
  TOwnedPtr<TFont> menuFont_;
  TOwnedPtr<TFont> hintFont_;
  int16_t cursorOverride_ = 0;
  int cursorChangeCount_ = 0;
};

// The process-wide screen object, or null outside the controls module's lifetime.
TScreen* Screen();
void SetScreen(TScreen* screen);
