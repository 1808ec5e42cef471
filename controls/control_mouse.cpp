// Mouse input at any control: the message entry, capture, clicks armed on press and
// fired on release inside, and the mouse events.
#include "classes/metadata_builder.h"
#include "classes/standard_types.h"
#include "controls/control.h"
#include "controls/controls_host.h"
#include "controls/mouse_capture.h"
#include "controls/win_control.h"

namespace {
TControl* captureControl = nullptr;

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= 0x020A; }
}  // namespace

TControl* CaptureControl() { return captureControl; }

void RefreshCaptureControl() { captureControl = CaptureOwner(); }

void SetCaptureOwner(TControl* control) {
  ReleaseCapture();
  captureControl = nullptr;
  if (control == nullptr) return;
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed == nullptr) {
    if (control->Parent() == nullptr) return;
    captureControl = control;
    windowed = control->Parent();
  }
  SetCapture(windowed->Handle());
}

TControl* CaptureOwner() {
  TWinControl* owner = TWinControl::FindControlOfWindow(GetCapture());
  if (owner != nullptr && captureControl != nullptr && captureControl->Parent() == owner) {
    return captureControl;
  }
  return owner;
}

bool TControl::HoldsCapture() { return CaptureOwner() == this; }

void TControl::SetHoldsCapture(bool value) {
  if (HoldsCapture() == value) return;
  SetCaptureOwner(value ? this : nullptr);
}

void TControl::HandleControlMessage(MessageRecord& message) {
  const UINT msg = message.Msg;
  if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) {
    for (TWinControl* p = parent_; p != nullptr; p = p->Parent()) {
      if (!p->IsForm()) continue;
      if (p->WantsChildKey(this, message)) return;
      break;
    }
  } else if (IsMouseMessage(msg)) {
    if (!HasTrait(ctDoubleClicks)) {
      if (msg == WM_LBUTTONDBLCLK) message.Msg = WM_LBUTTONDOWN;
      if (msg == WM_RBUTTONDBLCLK) message.Msg = WM_RBUTTONDOWN;
      if (msg == WM_MBUTTONDBLCLK) message.Msg = WM_MBUTTONDOWN;
    }
    if (message.Msg == WM_MOUSEMOVE) Host().NoteMouseMove(this, message);
    if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) {
      // Automatic dragging is not supported: a press always goes to the handlers.
      IncludeStatus(stLeftButtonDown);
    } else if (message.Msg == WM_LBUTTONUP) {
      ExcludeStatus(stLeftButtonDown);
    }
  }
  DispatchByNumber(message);
}

POINT TControl::MouseEventPoint(const MessageRecord& m) {
  // Packed coordinates wrap beyond 16 bits: very large controls ask the pointer instead.
  if (width_ > 32768 || height_ > 32768) {
    POINT p;
    GetCursorPos(&p);
    return FromScreen(p);
  }
  return {MessageX(m.LParam), MessageY(m.LParam)};
}

void TControl::CancelFormModes() {
  if (auto* self = dynamic_cast<TWinControl*>(this); self != nullptr && self->IsForm()) {
    self->CancelModes();
  }
  for (TWinControl* p = parent_; p != nullptr; p = p->Parent()) {
    if (p->IsForm()) p->CancelModes();
  }
}

void TControl::MouseButtonDown(MessageRecord& m, TMouseButton button, bool doubleClick) {
  if (button == mbLeft) CancelFormModes();
  HandleUnclaimed(m);
  if (button == mbLeft) {
    if (HasTrait(ctCaptureMouse)) SetHoldsCapture(true);
    if (HasTrait(ctClickEvents)) {
      if (doubleClick) {
        FireDoubleClick();
      } else {
        IncludeStatus(stClicked);
      }
    }
  }
  if (HasTrait(ctNoStdEvents)) return;
  TShiftState shift = ShiftStateOfKeys(m.WParam);
  if (doubleClick) shift |= ShiftBit(ssDouble);
  const POINT p = MouseEventPoint(m);
  MouseDown(button, shift, p.x, p.y);
}

void TControl::MouseButtonUp(MessageRecord& m, TMouseButton button) {
  HandleUnclaimed(m);
  if (button == mbLeft) {
    if (HasTrait(ctCaptureMouse)) SetHoldsCapture(false);
    if (HasStatus(stClicked)) {
      ExcludeStatus(stClicked);
      const POINT at{MessageX(m.LParam), MessageY(m.LParam)};
      const RECT area = ClientArea();
      if (PtInRect(&area, at)) FireClick();
    }
  }
  if (HasTrait(ctNoStdEvents)) return;
  const POINT p = MouseEventPoint(m);
  MouseUp(button, ShiftStateOfKeys(m.WParam), p.x, p.y);
}

void TControl::HandleLButtonDown(MessageRecord& m) { MouseButtonDown(m, mbLeft, false); }
void TControl::HandleLButtonDblClk(MessageRecord& m) { MouseButtonDown(m, mbLeft, true); }
void TControl::HandleRButtonDown(MessageRecord& m) { MouseButtonDown(m, mbRight, false); }
void TControl::HandleMButtonDown(MessageRecord& m) { MouseButtonDown(m, mbMiddle, false); }
void TControl::HandleLButtonUp(MessageRecord& m) { MouseButtonUp(m, mbLeft); }
void TControl::HandleRButtonUp(MessageRecord& m) { MouseButtonUp(m, mbRight); }
void TControl::HandleMButtonUp(MessageRecord& m) { MouseButtonUp(m, mbMiddle); }

void TControl::HandleMouseMove(MessageRecord& m) {
  HandleUnclaimed(m);
  if (HasTrait(ctNoStdEvents)) return;
  const POINT p = MouseEventPoint(m);
  MouseMove(ShiftStateOfKeys(m.WParam), p.x, p.y);
}

void TControl::HandleCancelMode(MessageRecord& m) {
  HandleUnclaimed(m);
  if (HoldsCapture()) {
    SetHoldsCapture(false);
    // The point (-1, -1) lies outside, so an armed click is dropped.
    if (HasStatus(stLeftButtonDown)) Perform(WM_LBUTTONUP, 0, static_cast<LPARAM>(0xFFFFFFFF));
  } else {
    ExcludeStatus(stLeftButtonDown);
  }
}

void TControl::HandleMouseEnter(MessageRecord& m) {
  Deliver(parent_, IM_MOUSE_ENTER, 0, reinterpret_cast<LPARAM>(this));
  if (m.LParam == 0) OnMouseEnter(this);
}

void TControl::HandleMouseLeave(MessageRecord& m) {
  Deliver(parent_, IM_MOUSE_LEAVE, 0, reinterpret_cast<LPARAM>(this));
  if (m.LParam == 0) OnMouseLeave(this);
}

void TControl::HandleMouseActivate(MessageRecord& m) {
  const auto* record = reinterpret_cast<const MouseActivateRecord*>(m.LParam);
  TMouseActivate answer = maDefault;
  if (record != nullptr) {
    OnMouseActivate(this, static_cast<TMouseButton>(record->button), record->shift, record->x,
                    record->y, record->hitTest, answer);
  }
  if (answer == maDefault) {
    HandleUnclaimed(m);
  } else {
    m.Result = answer;
  }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  OnMouseMove(this, shift, x, y);
}

void TControl::FireClick() { OnClick(this); }

void TControl::FireDoubleClick() { OnDblClick(this); }

// --- metadata: the properties every control publishes ---------------------------------------

const ClassMetadata& TControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TControl>("TControl", &TComponent::StaticMeta(), "controls")
          .Property("Left", kIntegerType, ByField(&TControl::left_), ByMethod(&TControl::SetLeft))
          .Property("Top", kIntegerType, ByField(&TControl::top_), ByMethod(&TControl::SetTop))
          .Property("Width", kIntegerType, ByField(&TControl::width_),
                    ByMethod(&TControl::SetWidth))
          .Property("Height", kIntegerType, ByField(&TControl::height_),
                    ByMethod(&TControl::SetHeight))
          .Property("Cursor", kTCursorType, ByField(&TControl::cursor_),
                    ByMethod(&TControl::SetCursor))
          .Default(crDefault)
          .Property("Hint", kStringType, ByField(&TControl::hint_), ByMethod(&TControl::SetHint))
          .Messages(&TControl::kMessages)
          .Build();
  return meta;
}
