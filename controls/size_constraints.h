#pragma once
// Small owned sub-objects of a control: size limits, margins and padding. Each tells
// its control through a change event when a value really changes.
#include <cstdint>

#include "classes/events.h"
#include "classes/persistent.h"

class TControl;

class TSizeConstraints : public TPersistent {
 public:
  explicit TSizeConstraints(TControl* control) : control_(control) {}

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  // Copies the four limits from another TSizeConstraints and runs the change step.
  void AssignTo(TPersistent& dest) const override;

  TControl* Control() const { return control_; }
  int32_t MaxHeight() const { return maxHeight_; }
  int32_t MaxWidth() const { return maxWidth_; }
  int32_t MinHeight() const { return minHeight_; }
  int32_t MinWidth() const { return minWidth_; }
  // A maximum below the matching minimum lowers the minimum; a minimum above a nonzero
  // maximum raises the maximum. 0 means no limit; negative values count as 0.
  void SetMaxHeight(int32_t value);
  void SetMaxWidth(int32_t value);
  void SetMinHeight(int32_t value);
  void SetMinWidth(int32_t value);

  TNotifyEvent OnChange;

 private:
  void Changed() { OnChange(this); }

  TControl* control_;
  int32_t maxHeight_ = 0;
  int32_t maxWidth_ = 0;
  int32_t minHeight_ = 0;
  int32_t minWidth_ = 0;
};

class TMargins : public TPersistent {
 public:
  explicit TMargins(TControl* control, int32_t initial = 3)
      : control_(control), left_(initial), top_(initial), right_(initial), bottom_(initial) {}

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void AssignTo(TPersistent& dest) const override;

  TControl* Control() const { return control_; }
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Right() const { return right_; }
  int32_t Bottom() const { return bottom_; }
  void SetLeft(int32_t value) { Set(left_, value); }
  void SetTop(int32_t value) { Set(top_, value); }
  void SetRight(int32_t value) { Set(right_, value); }
  void SetBottom(int32_t value) { Set(bottom_, value); }

  TNotifyEvent OnChange;

 private:
  void Set(int32_t& side, int32_t value);

  TControl* control_;
  int32_t left_, top_, right_, bottom_;
};

// Inner distance of a windowed control's children from its edges; 0 on every side.
class TPadding : public TMargins {
 public:
  explicit TPadding(TControl* control) : TMargins(control, 0) {}
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};
