#pragma once
// TCustomControl: a windowed control that paints itself through its own canvas.
#include "controls/control_canvas.h"
#include "controls/win_control.h"

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TControlCanvas* Canvas() const { return canvas_.get(); }
  // Lends the paint DC to the canvas around DrawContent().
  void PaintOwnSurface(HDC dc) override;

 protected:
  // Draws the control's own surface on Canvas() (base: nothing).
  virtual void DrawContent() {}
  void HandlePaint(MessageRecord& m);
  static const MessageTable kMessages;

 private:
  TOwnedPtr<TControlCanvas> canvas_;
};
