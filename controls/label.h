#pragma once
// TCustomLabel / TLabel: a non-windowed control that draws one caption with its font,
// optionally over a fill of its colour, and by default sizes itself to its text.
#include <string>

#include "controls/graphic_control.h"
#include "controls/view_types.h"

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* owner);

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // The label's own sizing flag; the control's AutoSize stays off.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) override;
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // Transparent exactly when the label is not opaque.
  bool Transparent() const { return !HasTrait(ctOpaque); }
  void SetTransparent(bool value);
  TEllipsisPosition EllipsisPosition() const { return ellipsis_; }
  void SetEllipsisPosition(TEllipsisPosition value);

  void FinishLoading() override;
  void ComponentNotify(TComponent* component, TOperation operation) override;

 protected:
  // The text to draw (base: the caption).
  virtual std::string LabelText() { return Caption(); }
  // Draws, or with DT_CALCRECT measures into `rect`, the label's text.
  virtual void DrawLabelText(RECT& rect, UINT flags);
  // Resizes the label to its text (auto size), keeping the right edge when right-justified.
  virtual void FitLabelToText();
  void DrawContent() override;

  void HandleTextChanged(MessageRecord& m);
  void HandleFontChanged(MessageRecord& m);
  void HandleDialogChar(MessageRecord& m);
  static const MessageTable kMessages;

 private:
  friend class TLabel;  // publishes the transparent-set flag as Transparent's stored test
  TWinControl* focusControl_ = nullptr;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  bool transparentSet_ = false;
  TEllipsisPosition ellipsis_ = epNone;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

// The accelerator of a caption: the character after a single "&" ("&&" draws one "&");
// 0 when there is none.
char AcceleratorOf(const std::string& caption);
