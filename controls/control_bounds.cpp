// A control's rectangle: setting it, vetting a new size against constraints and
// handlers, the explicit bounds kept for alignment, and scaling.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "controls/control.h"
#include "controls/win_control.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

void TControl::SanitizeSize(int32_t left, int32_t top, int32_t& width, int32_t& height) {
  width = static_cast<int32_t>(
      std::clamp<int64_t>(width, 0, int64_t{INT32_MAX} - std::max<int64_t>(left, 0)));
  height = static_cast<int32_t>(
      std::clamp<int64_t>(height, 0, int64_t{INT32_MAX} - std::max<int64_t>(top, 0)));
}

void TControl::SetLeft(int32_t value) {
  ApplyBounds(value, top_, width_, height_);
  scalingFlags_ |= sfLeft;
  if (HasState(stReading)) explicitLeft_ = value;
}

void TControl::SetTop(int32_t value) {
  ApplyBounds(left_, value, width_, height_);
  scalingFlags_ |= sfTop;
  if (HasState(stReading)) explicitTop_ = value;
}

void TControl::SetWidth(int32_t value) {
  ApplyBounds(left_, top_, value, height_);
  scalingFlags_ |= sfWidth;
  if (HasState(stReading)) explicitWidth_ = value;
}

void TControl::SetHeight(int32_t value) {
  ApplyBounds(left_, top_, width_, value);
  scalingFlags_ |= sfHeight;
  if (HasState(stReading)) explicitHeight_ = value;
}

void TControl::SetClientWidth(int32_t value) {
  ApplyBounds(left_, top_, width_ - ClientArea().right + value, height_);
}

void TControl::SetClientHeight(int32_t value) {
  ApplyBounds(left_, top_, width_, height_ - ClientArea().bottom + value);
}

RECT TControl::ClientArea() { return {0, 0, width_, height_}; }

POINT TControl::ClientOriginOnScreen() {
  if (parent_ == nullptr) throw EInvalidOperation(msg::kNoParentWindow, {Name()});
  POINT origin = parent_->ClientOriginOnScreen();
  origin.x += left_;
  origin.y += top_;
  return origin;
}

POINT TControl::ToScreen(POINT p) {
  const POINT origin = ClientOriginOnScreen();
  return {p.x + origin.x, p.y + origin.y};
}

POINT TControl::FromScreen(POINT p) {
  const POINT origin = ClientOriginOnScreen();
  return {p.x - origin.x, p.y - origin.y};
}

bool TControl::MayResize(int32_t& newWidth, int32_t& newHeight) {
  bool resize = true;
  OnCanResize(this, newWidth, newHeight, resize);
  return resize;
}

bool TControl::MayAutoSize(int32_t& /*newWidth*/, int32_t& /*newHeight*/) { return true; }

void TControl::AdjustConstraints(int32_t& minWidth, int32_t& minHeight, int32_t& maxWidth,
                                 int32_t& maxHeight) {
  OnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
}

bool TControl::VetNewSize(int32_t& width, int32_t& height) {
  const auto allowAndConstrain = [this](int32_t& w, int32_t& h) {
    if (!MayResize(w, h)) return false;
    int32_t minW = constraints_->MinWidth(), minH = constraints_->MinHeight();
    int32_t maxW = constraints_->MaxWidth(), maxH = constraints_->MaxHeight();
    AdjustConstraints(minW, minH, maxW, maxH);
    if (maxW > 0 && w > maxW) {
      w = maxW;
    } else if (minW > 0 && w < minW) {
      w = minW;
    }
    if (maxH > 0 && h > maxH) {
      h = maxH;
    } else if (minH > 0 && h < minH) {
      h = minH;
    }
    return true;
  };
  if (!allowAndConstrain(width, height)) return false;
  if (!autoSize_ || align_ == alClient) return true;
  int32_t autoWidth = width, autoHeight = height;
  const bool accepted = MayAutoSize(autoWidth, autoHeight);
  if (align_ != alNone && align_ != alLeft && align_ != alRight) autoWidth = width;
  if (align_ != alNone && align_ != alTop && align_ != alBottom) autoHeight = height;
  if (accepted && autoWidth == width && autoHeight == height) return true;
  if (!allowAndConstrain(autoWidth, autoHeight)) return false;
  width = autoWidth;
  height = autoHeight;
  return true;
}

void TControl::ApplyBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  SanitizeSize(left, top, width, height);
  if (!VetNewSize(width, height)) return;
  SanitizeSize(left, top, width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  InvalidateBox(visible_, false);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  CaptureAnchorRules();
  RecordExplicitBounds();
  QueueRepaint();
  Perform(WM_WINDOWPOSCHANGED);
  RequestArrange();
  if (!HasState(stLoading)) Resized();
}

void TControl::RecordExplicitBounds() {
  if (HasStatus(stAligning) || HasState(stReading)) return;
  explicitLeft_ = left_;
  explicitTop_ = top_;
  explicitWidth_ = width_;
  explicitHeight_ = height_;
}

void TControl::WidenConstraintsToSize() {
  if (HasState(stLoading | stReading)) return;
  TSizeConstraints& c = *constraints_;
  if (c.MaxWidth() > 0 && c.MaxWidth() < width_) {
    c.SetMaxWidth(width_);
  } else if (c.MinWidth() > 0 && c.MinWidth() > width_) {
    c.SetMinWidth(width_);
  }
  if (c.MaxHeight() > 0 && c.MaxHeight() < height_) {
    c.SetMaxHeight(height_);
  } else if (c.MinHeight() > 0 && c.MinHeight() > height_) {
    c.SetMinHeight(height_);
  }
}

void TControl::FitToContent() {
  if (!HasState(stLoading)) ApplyBounds(left_, top_, width_, height_);
}

void TControl::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  if (value) FitToContent();
}

void TControl::ChangeScale(int32_t m, int32_t d) {
  if (m != d && d != 0) {
    const auto scale = [m, d](int32_t v) { return MulDiv(v, m, d); };
    TSizeConstraints& c = *constraints_;
    c.SetMinWidth(scale(c.MinWidth()));
    c.SetMinHeight(scale(c.MinHeight()));
    c.SetMaxWidth(scale(c.MaxWidth()));
    c.SetMaxHeight(scale(c.MaxHeight()));
    ApplyBounds((scalingFlags_ & sfLeft) ? scale(left_) : left_,
                (scalingFlags_ & sfTop) ? scale(top_) : top_,
                (scalingFlags_ & sfWidth) ? scale(width_) : width_,
                (scalingFlags_ & sfHeight) ? scale(height_) : height_);
    if (!parentFont_ && (scalingFlags_ & sfFont)) font_->SetHeight(scale(font_->Height()));
  }
  scalingFlags_ = 0;
}

void TControl::ConstraintsChanged(TObject* /*sender*/) { FitToContent(); }

void TControl::MarginsChanged(TObject* /*sender*/) { RequestArrange(); }
