#pragma once
// TCustomPanel / TPanel: a windowed container that paints bevels, a border, a
// background fill and a one-line caption.
#include "controls/custom_control.h"
#include "controls/view_types.h"

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* owner);

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(TVerticalAlignment value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  int32_t BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int32_t value);
  int32_t BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int32_t value);
  TPanelBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TPanelBorderStyle value);
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool value) { fullRepaint_ = value; }
  bool Locked() const { return locked_; }
  void SetLocked(bool value) { locked_ = value; }

  // Setting it true makes the panel see-through (not opaque), false opaque.
  void SetParentBackground(bool value) override;
  // Children are arranged inside the border and the bevels.
  void ShrinkClientArea(RECT& rect) override;
  void FillCreationParams(CreationParams& params) override;

 protected:
  void DrawContent() override;

  void HandleBorderChanged(MessageRecord& m);
  void HandleTextChanged(MessageRecord& m);
  void HandleWindowPosChanged(MessageRecord& m);
  static const MessageTable kMessages;

 private:
  friend class TPanel;  // publishes the parent-background-set flag as a stored test
  // Width of the frames along each edge: border plus each bevel that is drawn.
  int64_t EdgeWidth() const;

  TPanelBorderStyle borderStyle_ = pbsNone;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  int32_t bevelWidth_ = 1;
  int32_t borderWidth_ = 0;
  bool fullRepaint_ = true;
  bool locked_ = false;
  bool parentBackgroundSet_ = false;
  TAlignment alignment_ = taCenter;
  TVerticalAlignment verticalAlignment_ = taVerticalCenter;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

// True when the system draws new-style (3-D client edge) controls: major version 4 or up.
bool NewStyleControls();
