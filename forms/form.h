#pragma once
// TCustomForm / TForm: a top-level window built from the stored definition of its class.
// A form is owned by the hidden application window, placed on its first showing,
// activated with the focus, and closed through a protocol its handlers may refuse.
// Construct forms through their metadata (ConstructFormOfClass, MakeForm): the C++
// constructor builds the empty form; the definition is read only once the most
// derived object exists.
#include <cstdint>
#include <functional>
#include <memory>

#include "controls/control_canvas.h"
#include "controls/scrolling_win_control.h"
#include "forms/form_link.h"
#include "forms/form_types.h"
#include "runtime/namespace_lock.h"

class TCustomForm : public TScrollingWinControl, public FormLink {
 public:
  // The empty form: windowed-control defaults of a form, enlisted with the screen.
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // --- close protocol and showing ---------------------------------------------------
  void CloseForm() override;
  bool QueryClose();
  void HideForm() { SetVisible(false); }
  // Destroys the form once the current message's handling has returned.
  void ReleaseForm();

  // --- properties with effects ----------------------------------------------------------
  // While the form is being constructed this only records the wish.
  void SetVisible(bool value);
  TWindowState WindowState() const override { return windowState_; }
  void SetWindowState(TWindowState value) override;
  void StoreWindowState(TWindowState value) override { windowState_ = value; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle value) { formStyle_ = value; }
  TDefaultMonitor DefaultMonitor() const { return defaultMonitor_; }
  void SetDefaultMonitor(TDefaultMonitor value) { defaultMonitor_ = value; }
  TPopupMode PopupMode() const { return popupMode_; }
  void SetPopupMode(TPopupMode value) { popupMode_ = value; }
  TCustomForm* PopupParent() const { return popupParent_; }
  void SetPopupParent(TCustomForm* value) { popupParent_ = value; }
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int32_t value);
  bool Scaled() const { return pixelsPerInch_ != 0; }
  void SetScaled(bool value);
  bool OldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool value) { oldCreateOrder_ = value; }
  // While the definition is read these only keep the value for the end of reading.
  void SetFormClientWidth(int32_t value);
  void SetFormClientHeight(int32_t value);
  int32_t FormClientWidth() { return ClientWidth(); }
  int32_t FormClientHeight() { return ClientHeight(); }
  // Raises EInvalidOperation "Cannot focus a disabled or invisible window" for the form
  // itself, a control of another form or (outside loading) one that cannot take focus.
  void SetActiveControl(TWinControl* control);
  bool IsActiveWindow() const { return isActiveWindow_; }
  bool KeyPreview() const { return keyPreview_; }
  TControlCanvas* Canvas() const { return canvas_.get(); }

  // --- events -------------------------------------------------------------------------
  TNotifyEvent OnActivate, OnDeactivate, OnCreate, OnDestroy, OnShow, OnHide, OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // --- construction steps after the C++ constructor (see ConstructForm) ---------------
  // Reads the class chain's stored definitions (not for exactly TForm); raises
  // EResNotFound "Resource %s not found" when there is none.
  void ReadStoredDefinition();
  // OnCreate (for the new create order), the recorded Visible, the deferred OnActivate.
  void CompleteConstruction();

  // --- FormLink ---------------------------------------------------------------------------
  TComponent& FormComponent() override { return *this; }
  bool IsPlainForm() const override;
  HWND FormHandle() override { return Handle(); }
  bool FormHandleAllocated() const override { return HandleAllocated(); }
  bool FormVisible() const override { return Visible(); }
  void SetFormVisible(bool value) override { SetVisible(value); }
  RECT FormBounds() const override { return BoundsRect(); }
  bool FormEnabled() const override { return Enabled(); }
  HWND FormParentWindow() const override { return HostWindow(); }
  LRESULT FormPerform(UINT msg, WPARAM wparam, LPARAM lparam) override {
    return Perform(msg, wparam, lparam);
  }

  // --- windowed-control hooks ---------------------------------------------------------------
  bool IsForm() const override { return true; }
  bool NoteFocusedControl(TWinControl* control) override;
  void FillCreationParams(CreationParams& params) override;
  void PaintOwnSurface(HDC dc) override;
  void HandleControlMessage(MessageRecord& message) override;
  void ReadOwnState(TReader& reader) override;
  void FinishLoading() override;
  void DeclareExtraProperties(TFiler& filer) override;

 protected:
  // Overridable steps, in the order of the form's table of dynamic operations.
  virtual void FireActivate();
  virtual void NoteActiveControlChange() {}
  virtual void FireDeactivate();
  virtual void FireClose(TCloseAction& action) { OnClose(this, action); }
  virtual void FireHide() { OnHide(this); }
  virtual void FireShow() { OnShow(this); }
  virtual void ComputeBorderIconStyles(DWORD& style, DWORD& exStyle);
  virtual void ComputeBorderStyles(DWORD& style, DWORD& exStyle, UINT& classStyle);
  virtual HWND QueryOwnerWindow();
  // Reports the exception being handled; construction goes on.
  virtual void HandleCreateError();
  virtual void FirePaint() { OnPaint(this); }

  void BeforeDestruction() override;

  static const MessageTable kMessages;
  void HandleShowingChanged(MessageRecord& m);
  void HandleSize(MessageRecord& m);
  void HandleShowWindow(MessageRecord& m);
  void HandlePaint(MessageRecord& m);
  void HandleEraseBackground(MessageRecord& m);
  void HandleQueryDragIcon(MessageRecord& m);
  void HandleSysCommand(MessageRecord& m);
  void HandleActivate(MessageRecord& m);
  void HandleSetFocus(MessageRecord& m);
  void HandleClose(MessageRecord& m);
  void HandleQueryEndSession(MessageRecord& m);
  void HandleWindowPosChanging(MessageRecord& m);
  void HandleFormActivate(MessageRecord& m);
  void HandleFormDeactivate(MessageRecord& m);
  void HandleRelease(MessageRecord& m);

 private:
  enum FormFlag : uint8_t {
    ffInConstruction = 0x01,
    ffVisibleRequested = 0x02,
    ffShowingInProgress = 0x04,
    ffShownModally = 0x08,
    ffCreatedAsMdiChild = 0x10,
    ffActivatedWhileReading = 0x20,
  };
  bool HasFlag(FormFlag f) const { return (formFlags_ & f) != 0; }
  void SetFlag(FormFlag f, bool on);
  void RunOnCreate();
  void ScaleAfterReading();
  void PlaceOnFirstShowing();
  void MoveToDefaultMonitor();
  void HideWindow();
  // The first control in tab order that can take the focus, searched depth first.
  TWinControl* FirstFocusableControl(TWinControl* container);
  bool CanTakeFocus(const TWinControl* control) const;
  void GiveFocusOnActivation();
  void RewriteWindowStyles(bool borderStyleChanged);
  HICON EffectiveIcon() const;

  uint8_t formFlags_ = 0;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = 0;
  TPosition position_ = poDefaultPosOnly;
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  TDefaultMonitor defaultMonitor_ = dmActiveForm;
  TPopupMode popupMode_ = pmNone;
  TCustomForm* popupParent_ = nullptr;
  TPrintScale printScale_ = poProportional;
  int32_t pixelsPerInch_ = 0;
  bool oldCreateOrder_ = false;
  bool keyPreview_ = false;
  bool alphaBlend_ = false;
  uint8_t alphaBlendValue_ = 255;
  bool transparentColor_ = false;
  TColor transparentColorValue_ = 0;
  bool screenSnap_ = false;
  int32_t snapBuffer_ = 10;
  // Captured while reading, used for scaling at its end.
  int32_t textHeight_ = 0;
  int32_t pendingClientWidth_ = 0;
  int32_t pendingClientHeight_ = 0;
  TOwnedPtr<TControlCanvas> canvas_;
  TWinControl* activeControl_ = nullptr;
  bool isActiveWindow_ = false;
  // What SW_PARENTOPENING restores: 0 nothing, else the show command to use.
  int showAction_ = 0;
  int modalResult_ = 0;
  bool holdsNameSpaceLock_ = false;

  friend class TForm;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

// Runs the form construction protocol on an instance whose C++ constructor has just
// returned: publish, read the definitions, complete. Frees the form and rethrows if a
// step fails.
TCustomForm* FinishFormConstruction(TOwnedPtr<TCustomForm> form);

// Virtual constructor of form class F, for its metadata (see WithFormConstructor).
// The name space stays locked for writing for the whole construction.
template <class F>
TComponent* ConstructForm(TComponent* owner) {
  WriteLockGuard lock(NameSpaceLock());
  return FinishFormConstruction(TOwnedPtr<TCustomForm>(new F(owner)));
}

// Metadata of a form class with the form construction protocol as its constructor:
//   static const ClassMetadata meta = WithFormConstructor<TForm1>(ClassBuilder<...>...Build());
template <class F>
ClassMetadata WithFormConstructor(ClassMetadata meta) {
  meta.constructor = &ConstructForm<F>;
  return meta;
}

// Constructs a form of class `cls` (through its virtual constructor) owned by `owner`;
// `publish` receives the instance before its definition is read. Exceptions propagate
// (the half-built form is gone by then).
TCustomForm* ConstructFormOfClass(const ClassMetadata& cls, TComponent* owner,
                                  const std::function<void(TCustomForm*)>& publish);

// A form of class F without any stored definition read.
template <class F>
F* CreateEmptyForm(TComponent* owner) {
  WriteLockGuard lock(NameSpaceLock());
  TOwnedPtr<F> form(new F(owner));
  form->CompleteConstruction();
  return form.release();
}
