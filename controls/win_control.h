#pragma once
// TWinControl: a control that owns one native window and may hold other controls.
// Bounds, text and visibility live in fields until the window exists; reading Handle
// creates the windows of all parents first. Messages arrive through WindowEntry and are
// dispatched by number (controls/message_table.h).
#include <cstdint>
#include <string>
#include <vector>

#include "controls/control.h"
#include "graphics/brush.h"

// What FillCreationParams prepares for the native window.
struct CreationParams {
  std::string caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  HWND parentWindow = nullptr;
  void* param = nullptr;
  WNDCLASSA windowClass = {};
  std::string className;  // at most 63 characters
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // --- children ---------------------------------------------------------------------
  // Non-windowed children first, then windowed ones; each list bottom first.
  int CountChildren() const;
  TControl* ChildByIndex(int index) const;
  const std::vector<TControl*>& PlainChildren() const { return plainChildren_; }
  const std::vector<TWinControl*>& WindowedChildren() const { return windowedChildren_; }
  bool ContainsControl(const TControl* control) const;
  // Delivers `msg` (WParam, LParam 0) to every child in child-index order; stops at the
  // first nonzero result.
  void NotifyChildren(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
  virtual void AdoptChild(TControl* child);
  virtual void ReleaseChild(TControl* child);

  // --- window -------------------------------------------------------------------------
  // Creates the windows of the parents and this one if missing.
  HWND Handle();
  HWND HandleValue() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  HWND HostWindow() const { return hostWindow_; }
  void SetHostWindow(HWND window) { hostWindow_ = window; }
  bool Showing() const { return showing_; }
  virtual void EnsureWindow();
  virtual void FillCreationParams(CreationParams& params);
  virtual void CallCreateWindow(CreationParams& params);
  virtual void BuildWindow();
  virtual void DropWindow();
  virtual void CallDestroyWindow();
  virtual void TearDownWindow();
  void RecreateWindow();
  void SyncShowing();
  void SyncVisibilityState();
  // Entry of every native message of this control's window.
  LRESULT WindowEntry(UINT msg, WPARAM wparam, LPARAM lparam);
  void HandleControlMessage(MessageRecord& message) override;
  void HandleUnclaimed(MessageRecord& message) override;

  // --- appearance -----------------------------------------------------------------------
  TBrush* Brush() const { return brush_.get(); }
  TPadding* Padding() const { return padding_.get(); }
  void SetPadding(const TPadding* value) { padding_->Assign(value); }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);
  bool ParentBackground() const { return HasTrait(ctParentBackground); }
  virtual void SetParentBackground(bool value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  int32_t TabOrder() const { return tabOrder_; }
  void SetTabOrder(int32_t value) { tabOrder_ = value; }
  POINT DesignSize() const { return designSize_; }

  // --- arrange (arrange.cpp) ---------------------------------------------------------------
  void SuspendArrange();
  void ResumeArrange();
  void RearrangeFor(TControl* child);
  void Rearrange() { RearrangeFor(nullptr); }
  virtual void ShrinkClientArea(RECT& rect);
  virtual void ArrangeChildren(TControl* moved, RECT& rect);
  virtual bool CustomOrderBefore(TControl* c1, TControl* c2);
  virtual void CustomPlace(TControl* control, int32_t& newLeft, int32_t& newTop, int32_t& newWidth,
                           int32_t& newHeight, RECT& alignRect, const TAlignInfo& info);
  virtual void ParentSizeForAnchors(TControl* child, POINT& size);
  virtual void ChildrenArranged() {}
  void PlaceChild(TControl* child, TAlign align, RECT& rect, const TAlignInfo& info);
  TAlignPositionEvent OnAlignPosition;
  TAlignInsertBeforeEvent OnAlignInsertBefore;

  // --- mouse (win_control_mouse.cpp) ---------------------------------------------------------
  // The child under a client point (see the mouse routing).
  TControl* ChildAt(POINT p, bool allowDisabled, bool allowWindowed, bool allLevels);
  // Hands a mouse message to the child under it (or holding the capture); true if taken.
  bool RouteMouseToChild(MessageRecord& message);
  TControl* MouseControl() const { return mouseControl_; }

  // --- painting (win_control_paint.cpp) --------------------------------------------------------
  virtual void PaintOwnSurface(HDC dc);
  void PaintChildren(HDC dc, TControl* first);
  void PaintPass(MessageRecord& message);
  void QueueRepaint() override;
  void RepaintNow() override;
  void FlushPaint() override;
  HDC AcquireDC(HWND& window) override;
  RECT ClientArea() override;
  POINT ClientOriginOnScreen() override;

  // --- hooks the forms layer overrides
  // ------------------------------------------------------------- A form answers true; the base
  // walks of showing and key handling stop at forms.
  virtual bool IsForm() const { return false; }
  // Cancels a form's modes when a press reaches one of its controls (base: nothing).
  virtual void CancelModes() {}
  // Asked for key messages of a control inside (base: false, the control handles them).
  virtual bool WantsChildKey(TControl* /*child*/, MessageRecord& /*message*/) { return false; }
  // A window of this form got the focus; false drops the WM_SETFOCUS (base: true).
  virtual bool NoteFocusedControl(TWinControl* /*control*/) { return true; }
  // Shows a child that wants to be seen (base: asks the own parent).
  virtual void RevealChild(TControl* child);

  // --- component hooks / overrides
  // -------------------------------------------------------------------
  void ReadOwnState(TReader& reader) override;
  void DeclareExtraProperties(TFiler& filer) override;
  void ApplyBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void ChangeScale(int32_t m, int32_t d) override;
  // ChangeScale on every child.
  void ScaleControls(int32_t m, int32_t d);
  void FitToContent() override;
  TComponent* ChildParentFor() override { return this; }
  void PlaceChildAt(TComponent* child, int position) override;

  // The framework control owning a native window (of this process), or null.
  static TWinControl* FindControlOfWindow(HWND window);

 protected:
  void ChangeParent(TWinControl* parent) override;
  void BeforeDestruction() override;
  // Reads Left/Top/Width/Height back from the native window.
  void ReadBoundsFromWindow();
  static const MessageTable kMessages;

  void HandleWindowPosChanging(MessageRecord& m);
  void HandleWindowPosChanged(MessageRecord& m);
  void HandleSize(MessageRecord& m);
  void HandleMove(MessageRecord& m);
  void HandlePaint(MessageRecord& m);
  void HandleEraseBackground(MessageRecord& m);
  void HandleDestroy(MessageRecord& m);
  void HandleNcDestroy(MessageRecord& m);
  void HandleSetCursor(MessageRecord& m);
  void HandleNcHitTest(MessageRecord& m);
  void HandleMouseActivateNative(MessageRecord& m);
  void HandleCommand(MessageRecord& m);
  void HandleShowingChanged(MessageRecord& m);
  void HandleVisibleChanged(MessageRecord& m);
  void HandleEnabledChanged(MessageRecord& m);
  void HandleColorChanged(MessageRecord& m);
  void HandleFontChangedNotice(MessageRecord& m);
  void HandleParentCtl3DChanged(MessageRecord& m);
  void HandleInvalidate(MessageRecord& m);
  void HandleCursorChanged(MessageRecord& m);
  void HandleRecreateWindow(MessageRecord& m);

 private:
  friend class TControl;
  void TrackMouseTarget(MessageRecord& m);
  void MarkRecreating(bool on);
  void RegisterWindowClass(CreationParams& params);
  void AttachWindowProperties(HWND window);
  void PlaceInNativeZOrder();
  void SaveCaptionFromWindow();
  void PaddingChanged(TObject* sender);
  void SetMouseControl(TControl* control);
  void ComponentNotify(TComponent* component, TOperation operation) override;
  friend LRESULT CALLBACK InitialWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM, LPARAM);

  int16_t arrangeLevel_ = 0;
  TOwnedPtr<TPadding> padding_;
  TOwnedPtr<TBrush> brush_;
  WNDPROC defaultProc_ = nullptr;
  HWND handle_ = nullptr;
  HWND hostWindow_ = nullptr;
  std::vector<TControl*> plainChildren_;
  std::vector<TWinControl*> windowedChildren_;
  std::vector<TWinControl*> tabList_;
  int32_t tabOrder_ = -1;
  bool tabStop_ = false;
  bool ctl3D_ = true;
  bool showing_ = false;
  bool parentCtl3D_ = true;
  bool mouseInClient_ = false;
  TControl* mouseControl_ = nullptr;
  POINT designSize_ = {0, 0};
};

// The innermost framework control under a screen point.
TControl* FindControlAtScreen(POINT screenPoint, bool allowDisabled);
