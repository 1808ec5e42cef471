// The arrange pass: children placed by alignment in a fixed order, anchored edges kept at
// their recorded distances, margins and padding applied.
#include <array>
#include <vector>

#include "controls/win_control.h"
#include "runtime/scope_exit.h"

namespace {
constexpr std::array<TAlign, 7> kPassOrder = {alTop,    alBottom, alLeft, alRight,
                                              alClient, alCustom, alNone};

bool HasAnchor(TAnchors anchors, TAnchorKind kind) { return (anchors & AnchorBit(kind)) != 0; }
bool IsVertical(TAlign a) { return a == alTop || a == alBottom; }
bool IsHorizontal(TAlign a) { return a == alLeft || a == alRight; }

// One axis of an anchored child: anchored at both edges it stretches, at the far edge
// alone it moves, at neither its centre keeps its proportional place.
void FollowAnchorAxis(bool nearEdge, bool farEdge, int32_t parentSize, int32_t recordedSize,
                      int32_t rule, int32_t& start, int32_t& extent) {
  if (farEdge) {
    if (nearEdge) {
      extent = parentSize - recordedSize + rule;
    } else {
      start = parentSize - recordedSize + rule;
    }
  } else if (!nearEdge) {
    start = MulDiv(rule, parentSize, recordedSize) - extent / 2;
  }
}

// Keeps a child's anchored edges at the distances recorded against the parent's size.
void KeepAnchorDistances(TWinControl& parent, TControl* child) {
  const POINT recorded = child->AnchorParentSize();
  if (recorded.x == 0 || recorded.y == 0) return;
  const RECT mb = child->MarginBounds();
  int32_t left = mb.left, top = mb.top;
  int32_t width = mb.right - mb.left, height = mb.bottom - mb.top;
  POINT size;
  parent.ParentSizeForAnchors(child, size);
  const TAnchors anchors = child->Anchors();
  const POINT rules = child->AnchorRules();
  FollowAnchorAxis(HasAnchor(anchors, akLeft), HasAnchor(anchors, akRight), size.x, recorded.x,
                   rules.x, left, width);
  FollowAnchorAxis(HasAnchor(anchors, akTop), HasAnchor(anchors, akBottom), size.y, recorded.y,
                   rules.y, top, height);
  child->ApplyArrangedBounds(left, top, width, height);
}

// An aligned child that took another size than it was offered (constraints, auto size)
// hands the difference back to the area left for the next children.
void ReturnUnclaimedSpace(TAlign align, int32_t width, int32_t height, const RECT& taken,
                          RECT& rect) {
  const int32_t dw = width - (taken.right - taken.left);
  const int32_t dh = height - (taken.bottom - taken.top);
  switch (align) {
    case alTop:
      rect.top -= dh;
      break;
    case alBottom:
      rect.bottom += dh;
      break;
    case alLeft:
      rect.left -= dw;
      break;
    case alRight:
      rect.right += dw;
      break;
    case alClient:
      rect.right += dw;
      rect.bottom += dh;
      break;
    default:
      break;
  }
}
}  // namespace

// --- control side -------------------------------------------------------------------------

void TControl::RequestArrange() {
  if (parent_ != nullptr) parent_->RearrangeFor(this);
}

RECT TControl::MarginBounds() const {
  RECT r = BoundsRect();
  if (HasTrait(ctAlignWithMargins) && parent_ != nullptr) {
    r.left -= margins_->Left();
    r.top -= margins_->Top();
    r.right += margins_->Right();
    r.bottom += margins_->Bottom();
  }
  return r;
}

void TControl::ApplyArrangedBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  anchorMove_ = true;
  IncludeStatus(stAligning);
  ScopeExit flags([this] {
    anchorMove_ = false;
    ExcludeStatus(stAligning);
  });
  if (HasTrait(ctAlignWithMargins) && parent_ != nullptr) {
    const TMargins& m = *margins_;
    ApplyBounds(left + m.Left(), top + m.Top(), width - (m.Left() + m.Right()),
                height - (m.Top() + m.Bottom()));
  } else {
    ApplyBounds(left, top, width, height);
  }
}

void TControl::CaptureAnchorRules() {
  if (anchorMove_ || HasState(stLoading)) return;
  const RECT mb = MarginBounds();
  const int32_t width = mb.right - mb.left, height = mb.bottom - mb.top;
  anchorOrigin_ = {mb.left + width / 2, mb.top + height / 2};
  if (anchors_ == kAnchorsLeftTop) {
    anchorParentSize_ = {0, 0};
    return;
  }
  if (HasAnchor(anchors_, akRight)) {
    anchorRules_.x = HasAnchor(anchors_, akLeft) ? width : mb.left;
  } else {
    anchorRules_.x = anchorOrigin_.x;
  }
  if (HasAnchor(anchors_, akBottom)) {
    anchorRules_.y = HasAnchor(anchors_, akTop) ? height : mb.top;
  } else {
    anchorRules_.y = anchorOrigin_.y;
  }
  if (parent_ != nullptr) parent_->ParentSizeForAnchors(this, anchorParentSize_);
}

void TControl::SetAnchors(TAnchors value) {
  if (value == anchors_) return;
  anchors_ = value;
  if (!HasState(stLoading)) CaptureAnchorRules();
}

void TControl::SetAlign(TAlign value) {
  if (value == align_) return;
  const TAlign old = align_;
  align_ = value;
  anchors_ = AnchorsOfAlign(value);
  const bool skip = HasState(stLoading) || (HasState(stDesigning) && parent_ == nullptr) ||
                    old == alCustom || value == alCustom;
  if (!skip) {
    if ((IsVertical(old) && IsHorizontal(value)) || (IsHorizontal(old) && IsVertical(value))) {
      ApplyBounds(left_, top_, height_, width_);
    } else if (old != alNone && value == alNone) {
      ApplyBounds(explicitLeft_, explicitTop_, explicitWidth_, explicitHeight_);
    } else {
      FitToContent();
    }
  }
  RequestArrange();
}

// --- container side -------------------------------------------------------------------------

void TWinControl::SuspendArrange() { ++arrangeLevel_; }

void TWinControl::ResumeArrange() {
  if (arrangeLevel_ > 0) --arrangeLevel_;
  if (arrangeLevel_ == 0 && HasStatus(stAlignmentNeeded)) Rearrange();
}

void TWinControl::RearrangeFor(TControl* child) {
  if (handle_ == nullptr || HasState(stDestroying)) return;
  if (arrangeLevel_ != 0) {
    IncludeStatus(stAlignmentNeeded);
    return;
  }
  SuspendArrange();
  ScopeExit resume([this] {
    ExcludeStatus(stAlignmentNeeded);
    ResumeArrange();
  });
  RECT area = ClientArea();
  ArrangeChildren(child, area);
  resume.Run();
}

void TWinControl::ShrinkClientArea(RECT& rect) {
  rect.left += padding_->Left();
  rect.top += padding_->Top();
  rect.right -= padding_->Right();
  rect.bottom -= padding_->Bottom();
}

bool TWinControl::CustomOrderBefore(TControl* c1, TControl* c2) {
  bool before = false;
  OnAlignInsertBefore(this, c1, c2, before);
  return before;
}

void TWinControl::CustomPlace(TControl* control, int32_t& newLeft, int32_t& newTop,
                              int32_t& newWidth, int32_t& newHeight, RECT& alignRect,
                              const TAlignInfo& info) {
  OnAlignPosition(this, control, newLeft, newTop, newWidth, newHeight, alignRect, info);
}

void TWinControl::ParentSizeForAnchors(TControl* child, POINT& size) {
  if (HasState(stReading) && !child->HasState(stDesigning)) {
    size = designSize_;
  } else if (handle_ != nullptr) {
    RECT r;
    GetClientRect(handle_, &r);
    size = {r.right, r.bottom};
  } else {
    size = {Width(), Height()};
  }
  size.x -= padding_->Left() + padding_->Right();
  size.y -= padding_->Top() + padding_->Bottom();
}

void TWinControl::ArrangeChildren(TControl* moved, RECT& rect) {
  bool work = false;
  for (int i = 0; i < CountChildren() && !work; ++i) {
    const TControl* c = ChildByIndex(i);
    work = c->Align() != alNone || c->Anchors() != kAnchorsLeftTop;
  }
  if (work) {
    ShrinkClientArea(rect);
    const bool designing = HasState(stDesigning);
    std::vector<TControl*> list;
    for (const TAlign pass : kPassOrder) {
      const auto qualifies = [&](TControl* c) {
        if (c->Align() != pass) return false;
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->IsForm() && w->HasState(stDesigning)) {
          return false;
        }
        return pass == alNone || c->Visible() || (designing && !c->HasTrait(ctNoDesignVisible));
      };
      const auto before = [&](TControl* c, TControl* e) {
        const RECT a = c->MarginBounds(), b = e->MarginBounds();
        switch (pass) {
          case alTop:
            return a.top < b.top;
          case alBottom:
            return a.bottom >= b.bottom;
          case alLeft:
            return a.left < b.left;
          case alRight:
            return a.right >= b.right;
          case alCustom:
            return CustomOrderBefore(c, e);
          default:
            return false;
        }
      };
      list.clear();
      if (moved != nullptr && moved->Parent() == this && qualifies(moved)) list.push_back(moved);
      for (int i = 0; i < CountChildren(); ++i) {
        TControl* c = ChildByIndex(i);
        if (c == moved || !qualifies(c)) continue;
        auto at = list.begin();
        while (at != list.end() && !before(c, *at)) ++at;
        list.insert(at, c);
      }
      for (size_t i = 0; i < list.size(); ++i) {
        PlaceChild(list[i], pass, rect, TAlignInfo{&list, static_cast<int>(i), pass, 0});
      }
    }
    ChildrenArranged();
  }
  if (Showing()) FitToContent();
}

void TWinControl::PlaceChild(TControl* child, TAlign align, RECT& rect, const TAlignInfo& info) {
  if (align == alNone || child->Anchors() != AnchorsOfAlign(align))
    KeepAnchorDistances(*this, child);
  if (align == alNone) return;

  const RECT own = child->MarginBounds();
  int32_t width = rect.right - rect.left;
  if (width < 0 || align == alLeft || align == alRight || align == alCustom) {
    width = own.right - own.left;
  }
  int32_t height = rect.bottom - rect.top;
  if (height < 0 || align == alTop || align == alBottom || align == alCustom) {
    height = own.bottom - own.top;
  }
  int32_t left = rect.left, top = rect.top;
  switch (align) {
    case alTop:
      rect.top += height;
      break;
    case alBottom:
      rect.bottom -= height;
      top = rect.bottom;
      break;
    case alLeft:
      rect.left += width;
      break;
    case alRight:
      rect.right -= width;
      left = rect.right;
      break;
    case alCustom:
      left = child->Left();
      top = child->Top();
      CustomPlace(child, left, top, width, height, rect, info);
      break;
    default:
      break;
  }
  child->ApplyArrangedBounds(left, top, width, height);
  ReturnUnclaimedSpace(align, width, height, child->MarginBounds(), rect);
}
