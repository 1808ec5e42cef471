#pragma once
// TScrollingWinControl: the windowed container forms derive from. Without a scroll
// range its scroll bars stay hidden; all it changes here is that its window is not
// repainted whole on every resize.
#include "controls/win_control.h"

class TScrollingWinControl : public TWinControl {
 public:
  explicit TScrollingWinControl(TComponent* owner) : TWinControl(owner) {}

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool value) { autoScroll_ = value; }

  void FillCreationParams(CreationParams& params) override;

 private:
  bool autoScroll_ = false;
};
