#include "controls/size_constraints.h"

#include <algorithm>

#include "classes/metadata_builder.h"
#include "controls/control_types.h"

void TSizeConstraints::SetMaxHeight(int32_t value) {
  value = std::max(value, 0);
  if (value == maxHeight_) return;
  maxHeight_ = value;
  if (value > 0 && value < minHeight_) minHeight_ = value;
  Changed();
}

void TSizeConstraints::SetMaxWidth(int32_t value) {
  value = std::max(value, 0);
  if (value == maxWidth_) return;
  maxWidth_ = value;
  if (value > 0 && value < minWidth_) minWidth_ = value;
  Changed();
}

void TSizeConstraints::SetMinHeight(int32_t value) {
  value = std::max(value, 0);
  if (value == minHeight_) return;
  minHeight_ = value;
  if (maxHeight_ > 0 && value > maxHeight_) maxHeight_ = value;
  Changed();
}

void TSizeConstraints::SetMinWidth(int32_t value) {
  value = std::max(value, 0);
  if (value == minWidth_) return;
  minWidth_ = value;
  if (maxWidth_ > 0 && value > maxWidth_) maxWidth_ = value;
  Changed();
}

void TSizeConstraints::AssignTo(TPersistent& dest) const {
  auto* target = dynamic_cast<TSizeConstraints*>(&dest);
  if (target == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  target->minHeight_ = minHeight_;
  target->maxHeight_ = maxHeight_;
  target->minWidth_ = minWidth_;
  target->maxWidth_ = maxWidth_;
  target->Changed();
}

const ClassMetadata& TSizeConstraints::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TSizeConstraints>("TSizeConstraints", &TPersistent::StaticMeta(), "controls")
          .Property("MaxHeight", kTConstraintSizeType, ByField(&TSizeConstraints::maxHeight_),
                    ByMethod(&TSizeConstraints::SetMaxHeight))
          .Default(0)
          .Property("MaxWidth", kTConstraintSizeType, ByField(&TSizeConstraints::maxWidth_),
                    ByMethod(&TSizeConstraints::SetMaxWidth))
          .Default(0)
          .Property("MinHeight", kTConstraintSizeType, ByField(&TSizeConstraints::minHeight_),
                    ByMethod(&TSizeConstraints::SetMinHeight))
          .Default(0)
          .Property("MinWidth", kTConstraintSizeType, ByField(&TSizeConstraints::minWidth_),
                    ByMethod(&TSizeConstraints::SetMinWidth))
          .Default(0)
          .Build();
  return meta;
}

void TMargins::Set(int32_t& side, int32_t value) {
  if (side == value) return;
  side = value;
  OnChange(this);
}

void TMargins::AssignTo(TPersistent& dest) const {
  auto* target = dynamic_cast<TMargins*>(&dest);
  if (target == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  target->left_ = left_;
  target->top_ = top_;
  target->right_ = right_;
  target->bottom_ = bottom_;
  target->OnChange(target);
}

const ClassMetadata& TMargins::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TMargins>("TMargins", &TPersistent::StaticMeta(), "controls")
          .Property("Left", kTMarginSizeType, ByField(&TMargins::left_),
                    ByMethod(&TMargins::SetLeft))
          .Default(3)
          .Property("Top", kTMarginSizeType, ByField(&TMargins::top_), ByMethod(&TMargins::SetTop))
          .Default(3)
          .Property("Right", kTMarginSizeType, ByField(&TMargins::right_),
                    ByMethod(&TMargins::SetRight))
          .Default(3)
          .Property("Bottom", kTMarginSizeType, ByField(&TMargins::bottom_),
                    ByMethod(&TMargins::SetBottom))
          .Default(3)
          .Build();
  return meta;
}

const ClassMetadata& TPadding::StaticMeta() {
  // Same properties as TMargins, stored when not 0.
  static const ClassMetadata meta =
      ClassBuilder<TPadding>("TPadding", &TMargins::StaticMeta(), "controls").Build();
  return meta;
}
