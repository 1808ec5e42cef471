// TWinControl: painting the own surface and the non-windowed children, invalidation and
// device contexts outside WM_PAINT.
#include "controls/win_control.h"
#include "platform/gdi_handles.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

namespace {
// Whether clipping left nothing to paint. The clip region's type alone does not include the
// area the DC is limited to (the update region of a paint DC), so ask for the box too.
bool NothingLeft(HDC dc, int region) {
  RECT box;
  return region == NULLREGION || GetClipBox(dc, &box) == NULLREGION;
}

void PaintPassWith(TWinControl& control, HDC dc) {
  const auto& plain = control.PlainChildren();
  if (plain.empty()) {
    control.PaintOwnSurface(dc);
  } else {
    SavedDC state(dc);
    bool covered = false;
    for (TControl* child : plain) {
      if (!child->IsShown() || !child->HasTrait(ctOpaque)) continue;
      const RECT r = child->BoundsRect();
      covered = NothingLeft(dc, ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom));
      if (covered) break;
    }
    if (!covered) control.PaintOwnSurface(dc);
  }
  control.PaintChildren(dc, nullptr);
}
}  // namespace

void TWinControl::HandlePaint(MessageRecord& m) {
  if (HasStatus(stCustomPaint) || CountChildren() > 0) {
    PaintPass(m);
  } else {
    HandleUnclaimed(m);
  }
}

void TWinControl::PaintPass(MessageRecord& m) {
  if (m.WParam != 0) {
    PaintPassWith(*this, reinterpret_cast<HDC>(m.WParam));
    return;
  }
  PaintSession session(handle_);
  PaintPassWith(*this, session.Get());
}

void TWinControl::PaintOwnSurface(HDC dc) {
  MessageRecord paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  HandleUnclaimed(paint);
}

void TWinControl::PaintChildren(HDC dc, TControl* first) {
  size_t index = 0;
  if (first != nullptr) {
    for (size_t i = 0; i < plainChildren_.size(); ++i) {
      if (plainChildren_[i] == first) index = i;
    }
  }
  // Indexed: a child's painting may change the list.
  for (; index < plainChildren_.size(); ++index) {
    TControl* child = plainChildren_[index];
    if (!child->IsShown()) continue;
    const RECT r = child->BoundsRect();
    if (!RectVisible(dc, &r)) continue;
    if (HasStatus(stPaintCopy)) child->IncludeStatus(stPaintCopy);
    ScopeExit clear([child] { child->ExcludeStatus(stPaintCopy); });
    SavedDC state(dc);
    POINT origin;
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x - r.left, origin.y - r.top, nullptr);
    IntersectClipRect(dc, 0, 0, child->Width(), child->Height());
    Deliver(child, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
  for (TWinControl* child : windowedChildren_) {
    if (!child->Ctl3D() || !child->HasTrait(ctFramed) || !child->IsShown()) continue;
    const RECT r = child->BoundsRect();
    const RECT shadow = {r.left - 1, r.top - 1, r.right, r.bottom};
    const RECT highlight = {r.left, r.top, r.right + 1, r.bottom + 1};
    GdiObject<HBRUSH> shadowBrush(CreateSolidBrush(ResolveColor(clBtnShadow)));
    FrameRect(dc, &shadow, shadowBrush.Get());
    GdiObject<HBRUSH> highlightBrush(CreateSolidBrush(ResolveColor(clBtnHighlight)));
    FrameRect(dc, &highlight, highlightBrush.Get());
  }
}

void TWinControl::HandleEraseBackground(MessageRecord& m) {
  // Visual themes count as off, so the background is always the control's brush.
  const RECT area = ClientArea();
  FillRect(reinterpret_cast<HDC>(m.WParam), &area, Brush()->Handle());
  m.Result = 1;
}

void TWinControl::QueueRepaint() { Perform(IM_INVALIDATE, 0); }

void TWinControl::HandleInvalidate(MessageRecord& m) {
  if (handle_ == nullptr) return;
  Deliver(Parent(), IM_INVALIDATE, 1);
  if (m.WParam == 0) InvalidateRect(handle_, nullptr, HasTrait(ctOpaque) ? FALSE : TRUE);
}

void TWinControl::RepaintNow() {
  QueueRepaint();
  FlushPaint();
}

void TWinControl::FlushPaint() {
  if (handle_ != nullptr) UpdateWindow(handle_);
}

HDC TWinControl::AcquireDC(HWND& window) {
  HWND own = Handle();
  HDC dc = HasState(stDesigning) ? GetDCEx(own, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS) : GetDC(own);
  if (dc == nullptr) throw EOutOfResources(msg::kWindowDCError, {});
  window = own;
  return dc;
}
