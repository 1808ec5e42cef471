#pragma once
// Shared by the input half of the windowing subset: the screen as the display driver
// reports it and the classic metrics that size window frames.
#include "platform/win32.h"

namespace linux_user {

// The whole screen (the one monitor), from the display driver; starts it on first use.
RECT ScreenRect();

// Rectangle tests without the API's argument checks.
inline bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
// The common part of `a` and `b` into `out`; false (and `out` empty) when there is none.
inline bool Intersect(const RECT& a, const RECT& b, RECT* out) {
  RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  const bool any = r.left < r.right && r.top < r.bottom;
  *out = any ? r : RECT{0, 0, 0, 0};
  return any;
}

// The metrics of the classic look at 96 pixels per inch, as the reference system answers.
constexpr int kBorder = 1;        // SM_CXBORDER
constexpr int kFixedFrame = 3;    // SM_CXDLGFRAME
constexpr int kSizeFrame = 4;     // SM_CXFRAME
constexpr int kEdge = 2;          // SM_CXEDGE
constexpr int kCaptionSize = 18;  // the caption's buttons; SM_CYCAPTION adds the border
constexpr int kSmallCaptionSize = 15;
constexpr int kMenuSize = 18;
constexpr int kScrollSize = 17;
constexpr int kDoubleClickSize = 4;
constexpr unsigned kDoubleClickTime = 500;  // milliseconds

}  // namespace linux_user
