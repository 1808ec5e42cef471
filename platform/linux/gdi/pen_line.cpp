#include "platform/linux/gdi/pen_line.h"

#include <algorithm>

#include "platform/linux/gdi/paint.h"
#include "platform/linux/gdi/rop.h"

namespace linux_gdi {

namespace {

// On/off run lengths of the cosmetic pen styles.
std::vector<int> DashesOf(UINT style) {
  switch (style) {
    case PS_DASH:
      return {18, 6};
    case PS_DOT:
      return {3, 3};
    case PS_DASHDOT:
      return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
      return {9, 3, 3, 3, 3, 3};
    default:
      return {};
  }
}

}  // namespace

PenLine::PenLine(const DrawTarget& target, HPEN handle) : target_(target) {
  const PenObject* pen = FindPen(handle);
  if (!pen) return;
  const DcState& s = *target.state;
  style_ = pen->logPen.lopnStyle;
  width_ = std::max<LONG>(1, pen->logPen.lopnWidth.x);
  color_ = target.surface->EncodeDrawing(ResolveColor(s, pen->logPen.lopnColor),
                                         ResolveColor(s, s.bkColor));
  background_ = target.surface->Encode(ResolveColor(s, s.bkColor));
  opaque_ = s.bkMode == OPAQUE;
  if (width_ == 1) dashes_ = DashesOf(style_);
  for (int d : dashes_) period_ += d;
  bounds_ = target.clip.Extents();
}

int PenLine::FrameWidth() const { return style_ == PS_INSIDEFRAME ? width_ : 1; }

void PenLine::Plot(int64_t x, int64_t y, int64_t dashPosition) const {
  if (!target_.clip.Contains(static_cast<int>(x), static_cast<int>(y))) return;
  uint32_t value = color_;
  if (period_) {
    int phase = static_cast<int>(dashPosition % period_);
    size_t run = 0;
    while (phase >= dashes_[run]) phase -= dashes_[run++];
    if (run % 2) {
      if (!opaque_) return;
      value = background_;
    }
  }
  const Surface& s = *target_.surface;
  const int ix = static_cast<int>(x), iy = static_cast<int>(y);
  s.WriteRaw(ix, iy, Rop2(target_.state->rop2, value, s.ReadRaw(ix, iy)) & s.ValueMask());
}

void PenLine::Segment(POINT from, POINT to, int64_t& dashPosition) const {
  const int64_t ex = int64_t{to.x} - from.x, ey = int64_t{to.y} - from.y;
  int64_t dx = ex < 0 ? -ex : ex, dy = ey < 0 ? -ey : ey;
  const int sx = ex < 0 ? -1 : 1, sy = ey < 0 ? -1 : 1;
  const bool yMajor = dy > dx;
  if (yMajor) std::swap(dx, dy);
  // Where the minor coordinate may step either way, these octants step.
  const bool tie =
      (ex >= 0 && ey < 0 && !yMajor) || (ex < 0 && ey >= 0 && yMajor) || (ex < 0 && ey < 0);
  const int64_t start = dashPosition;
  dashPosition += dx;
  if (dx == 0 || bounds_.left >= bounds_.right) return;
  // Only steps whose major coordinate falls inside the clip's extents are walked.
  const int64_t origin = yMajor ? from.y : from.x;
  const int64_t step = yMajor ? sy : sx;
  const int64_t lo = yMajor ? bounds_.top : bounds_.left,
                hi = (yMajor ? bounds_.bottom : bounds_.right) - 1;
  int64_t first = 0, last = dx - 1;
  if (step > 0) {
    first = std::max<int64_t>(first, lo - origin);
    last = std::min<int64_t>(last, hi - origin);
  } else {
    first = std::max<int64_t>(first, origin - hi);
    last = std::min<int64_t>(last, origin - lo);
  }
  for (int64_t i = first; i <= last; ++i) {
    const auto minor =
        static_cast<int64_t>((__int128{2} * dy * i + dx - 1 + (tie ? 1 : 0)) / (2 * dx));
    const int64_t major = origin + step * i;
    if (yMajor)
      Plot(from.x + sx * minor, major, start + i);
    else
      Plot(major, from.y + sy * minor, start + i);
  }
}

void PenLine::Path(const std::vector<POINT>& points) const {
  if (!Draws()) return;
  int64_t dash = 0;
  for (size_t i = 1; i < points.size(); ++i) Segment(points[i - 1], points[i], dash);
}

void PenLine::Frame(const RECT& r) const {
  if (!Draws()) return;
  if (FrameWidth() > 1) {
    // An inside-frame pen paints its width within the rectangle, as four straight strokes
    // without joins: the outermost corner pixels stay unpainted.
    const int w = FrameWidth(), half = (w - 1) / 2;
    const RECT bands[4] = {{r.left + half, r.top, r.right - half, r.top + w},
                           {r.left + half, r.bottom - w, r.right - half, r.bottom},
                           {r.left, r.top + half, r.left + w, r.bottom - half},
                           {r.right - w, r.top + half, r.right, r.bottom - half}};
    Region area;
    for (const RECT& b : bands) area.Unite(Region(b));
    area.Intersect(target_.clip);
    const Surface& s = *target_.surface;
    for (const RECT& b : area.Rects())
      for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
          s.WriteRaw(x, y, Rop2(target_.state->rop2, color_, s.ReadRaw(x, y)) & s.ValueMask());
    return;
  }
  Path({{r.left, r.top},
        {r.right - 1, r.top},
        {r.right - 1, r.bottom - 1},
        {r.left, r.bottom - 1},
        {r.left, r.top}});
}

}  // namespace linux_gdi
