#pragma once
// TControl: a component with a parent, a rectangle in the parent's client coordinates,
// visibility, a font, a colour and a cursor. Controls talk to each other with internal
// notifications delivered synchronously through Deliver() and dispatched by number
// like native messages (controls/control_messages.h).
#include <cstdint>
#include <memory>
#include <string>

#include "classes/component.h"
#include "controls/control_messages.h"
#include "controls/control_types.h"
#include "controls/message_table.h"
#include "controls/size_constraints.h"
#include "graphics/colors.h"
#include "graphics/font.h"

class TWinControl;

// Builds a record, passes it to the control's MessageEntryHook and answers its Result.
// Nothing happens (0) for a null control.
LRESULT Deliver(TControl* control, UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // --- tree -------------------------------------------------------------------------
  TWinControl* Parent() const { return parent_; }
  // Raises EInvalidOperation "A control cannot have itself as its parent" for the control
  // itself or one of its descendants (the tree is then unchanged).
  void SetParent(TWinControl* parent) { ChangeParent(parent); }

  // --- bounds -----------------------------------------------------------------------
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t value);
  void SetTop(int32_t value);
  void SetWidth(int32_t value);
  void SetHeight(int32_t value);
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    ApplyBounds(left, top, width, height);
  }
  int32_t ClientWidth() { return ClientArea().right; }
  int32_t ClientHeight() { return ClientArea().bottom; }
  void SetClientWidth(int32_t value);
  void SetClientHeight(int32_t value);
  POINT ToScreen(POINT p);
  POINT FromScreen(POINT p);
  int32_t ExplicitLeft() const { return explicitLeft_; }
  int32_t ExplicitTop() const { return explicitTop_; }
  int32_t ExplicitWidth() const { return explicitWidth_; }
  int32_t ExplicitHeight() const { return explicitHeight_; }

  // --- flags ------------------------------------------------------------------------
  TControlTraits Traits() const { return traits_; }
  bool HasTrait(TControlTrait t) const { return (traits_ & TraitBit(t)) != 0; }
  void SetTraits(TControlTraits traits) { traits_ = traits; }
  void IncludeTrait(TControlTrait t) { traits_ |= TraitBit(t); }
  void ExcludeTrait(TControlTrait t) { traits_ &= ~TraitBit(t); }
  TControlStatus Status() const { return status_; }
  bool HasStatus(TControlStatus s) const { return (status_ & s) != 0; }
  void IncludeStatus(TControlStatus s) { status_ |= s; }
  void ExcludeStatus(TControlStatus s) { status_ &= static_cast<TControlStatus>(~s); }

  // --- appearance and state -------------------------------------------------------------
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool value);
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* value) { font_->Assign(value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value) { dragCursor_ = value; }
  TDragMode DragMode() const { return dragMode_; }
  virtual void SetDragMode(TDragMode value) { dragMode_ = value; }
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool value);
  uint8_t ScalingFlags() const { return scalingFlags_; }
  void SetScalingFlags(uint8_t flags) { scalingFlags_ = flags; }
  bool IsControl() const { return isControl_; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value) { parentShowHint_ = value; }
  // The caption: the stored text while there is no window, the window's text with one.
  std::string Caption();
  void SetCaption(const std::string& value);
  // The stored text (what WM_GETTEXT answers without a window).
  const std::string& StoredText() const { return text_; }

  TSizeConstraints* Constraints() const { return constraints_.get(); }
  void SetConstraints(const TSizeConstraints* value) { constraints_->Assign(value); }
  bool AlignWithMargins() const { return HasTrait(ctAlignWithMargins); }
  void SetAlignWithMargins(bool value);

  // --- arrange (see arrange.cpp) -------------------------------------------------------
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  POINT AnchorRules() const { return anchorRules_; }
  POINT AnchorParentSize() const { return anchorParentSize_; }
  void CaptureAnchorRules();
  // Margin-adjusted bounds (only with AlignWithMargins and a parent).
  RECT MarginBounds() const;
  // Applies bounds for the arrange pass, adding the margins back.
  void ApplyArrangedBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  virtual void RequestArrange();

  // --- z-order ------------------------------------------------------------------------
  void RaiseToTop();
  void LowerToBottom();
  void MoveInZOrder(int position);

  // --- painting -------------------------------------------------------------------------
  virtual void QueueRepaint();
  virtual void RepaintNow();
  virtual void FlushPaint();
  void Invalidate() { QueueRepaint(); }
  void Repaint() { RepaintNow(); }
  // Invalidates the control's rectangle in its parent's window.
  void InvalidateBox(bool visible, bool opaque);
  // A device context for drawing outside WM_PAINT; `window` receives its window.
  // Raises "Control '%s' has no parent window" for a detached non-windowed control.
  virtual HDC AcquireDC(HWND& window);
  // Client area of the control (base: 0, 0, Width, Height).
  virtual RECT ClientArea();
  virtual POINT ClientOriginOnScreen();
  // True when shown: visible (ignoring the designer here).
  bool IsShown() const;

  // --- messages -------------------------------------------------------------------------
  // Every message to the control enters through this hook (default: HandleControlMessage).
  TMethod<MessageRecord&> MessageEntryHook;
  virtual void HandleControlMessage(MessageRecord& message);
  // Asked by the message loop before a queued message for the control's window is
  // translated and dispatched; true keeps it from being dispatched.
  virtual bool PreProcessMessage(MSG& /*message*/) { return false; }
  // Runs the handler for the record's number along the class chain, else HandleUnclaimed.
  void DispatchByNumber(MessageRecord& message);
  // The nearest handler strictly above `ownClass` for the number, else HandleUnclaimed.
  void DispatchInherited(const ClassMetadata& ownClass, MessageRecord& message);
  virtual void HandleUnclaimed(MessageRecord& message);
  LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0) {
    return Deliver(this, msg, wparam, lparam);
  }

  // --- mouse (see control_mouse.cpp) -----------------------------------------------------
  bool HoldsCapture();
  void SetHoldsCapture(bool value);
  virtual void FireClick();
  virtual void FireDoubleClick();

  // --- events -----------------------------------------------------------------------------
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;
  TMouseActivateEvent OnMouseActivate;

  // --- component hooks ----------------------------------------------------------------------
  void AttachToParent(TComponent* parent) override;
  TComponent* ParentOfComponent() const override;
  bool HasParent() const override { return true; }
  void ReadOwnState(TReader& reader) override;
  void FinishLoading() override;
  void DeclareExtraProperties(TFiler& filer) override;
  void AssignName(const std::string& newName) override;

  // --- overridable steps ----------------------------------------------------------------------
  virtual bool MayResize(int32_t& newWidth, int32_t& newHeight);
  virtual bool MayAutoSize(int32_t& newWidth, int32_t& newHeight);
  virtual void AdjustConstraints(int32_t& minWidth, int32_t& minHeight, int32_t& maxWidth,
                                 int32_t& maxHeight);
  virtual void ApplyBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  virtual void FitToContent();
  virtual void Resized() { OnResize(this); }
  virtual void BeforeVisibleChange(bool /*value*/) {}
  // Scales by m/d what was set explicitly (bounds per ScalingFlags, an own font, the
  // constraints and margins), then clears the flags; m == d only clears them.
  virtual void ChangeScale(int32_t m, int32_t d);
  // Whether the size may change to (width, height), with constraints and auto size applied.
  bool VetNewSize(int32_t& width, int32_t& height);
  void RecordExplicitBounds();

 protected:
  // Parent changes go through here so that windowed controls can mark re-creation.
  virtual void ChangeParent(TWinControl* parent);
  void BeforeDestruction() override;

  // Mouse event steps (run by the mouse message handlers).
  virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
  // Handler of the font's change event.
  virtual void FontChanged(TObject* sender);
  // The widening of Constraints to the actual size after a move.
  void WidenConstraintsToSize();
  // Keeps right and bottom edges representable: sizes are never negative and an edge
  // never passes the 32-bit limit.
  static void SanitizeSize(int32_t left, int32_t top, int32_t& width, int32_t& height);

  // Handlers.
  void HandleWindowPosChanged(MessageRecord& m);
  void HandleLButtonDown(MessageRecord& m);
  void HandleLButtonDblClk(MessageRecord& m);
  void HandleLButtonUp(MessageRecord& m);
  void HandleRButtonDown(MessageRecord& m);
  void HandleRButtonUp(MessageRecord& m);
  void HandleMButtonDown(MessageRecord& m);
  void HandleMButtonUp(MessageRecord& m);
  void HandleMouseMove(MessageRecord& m);
  void HandleCancelMode(MessageRecord& m);
  void HandleVisibleChanged(MessageRecord& m);
  void HandleEnabledChanged(MessageRecord& m);
  void HandleRepaintNotice(MessageRecord& m);
  void HandleParentFontChanged(MessageRecord& m);
  void HandleParentColorChanged(MessageRecord& m);
  void HandleHitTest(MessageRecord& m);
  void HandleMouseEnter(MessageRecord& m);
  void HandleMouseLeave(MessageRecord& m);
  void HandleMouseActivate(MessageRecord& m);
  static const MessageTable kMessages;

 private:
  friend class TWinControl;
  void ConstraintsChanged(TObject* sender);
  void MarginsChanged(TObject* sender);
  void MouseButtonDown(MessageRecord& m, TMouseButton button, bool doubleClick);
  void MouseButtonUp(MessageRecord& m, TMouseButton button);
  POINT MouseEventPoint(const MessageRecord& m);
  void CancelFormModes();

  TWinControl* parent_ = nullptr;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TControlTraits traits_ = TraitBit(ctCaptureMouse) | TraitBit(ctClickEvents) |
                           TraitBit(ctSetCaption) | TraitBit(ctDoubleClicks);
  TControlStatus status_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool parentFont_ = true;
  bool parentColor_ = true;
  TAlign align_ = alNone;
  bool autoSize_ = false;
  TDragMode dragMode_ = dmManual;
  bool isControl_ = false;
  TAnchors anchors_ = kAnchorsLeftTop;
  std::string text_;
  TOwnedPtr<TFont> font_;
  TColor color_ = clWindow;
  TOwnedPtr<TSizeConstraints> constraints_;
  TOwnedPtr<TMargins> margins_;
  TCursor cursor_ = crDefault;
  TCursor dragCursor_ = crDrag;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  int32_t lastFontHeight_ = 0;
  uint8_t scalingFlags_ = 0;
  bool anchorMove_ = false;
  POINT anchorRules_ = {0, 0};
  POINT anchorOrigin_ = {0, 0};
  POINT anchorParentSize_ = {0, 0};
  int32_t explicitLeft_ = 0, explicitTop_ = 0, explicitWidth_ = 0, explicitHeight_ = 0;
};

// Scaling flags: which bounds and the font were set explicitly (form scaling).
constexpr uint8_t sfLeft = 0x01, sfTop = 0x02, sfWidth = 0x04, sfHeight = 0x08, sfFont = 0x10;
