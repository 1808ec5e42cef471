#pragma once
// TGraphicControl: a control without a window. It lives in its parent's window, is drawn
// by the parent's paint pass through its own canvas, and gets its mouse messages from the
// parent.
#include "controls/control.h"
#include "controls/control_canvas.h"

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TControlCanvas* Canvas() const { return canvas_.get(); }

 protected:
  // Draws the control on Canvas() (base: nothing). The canvas's DC has the control's
  // top-left corner at (0, 0) and is clipped to its rectangle.
  virtual void DrawContent() {}
  void BeforeDestruction() override;
  void HandlePaint(MessageRecord& m);
  static const MessageTable kMessages;

 private:
  TOwnedPtr<TControlCanvas> canvas_;
};
