// TWinControl: mouse messages handed to non-windowed children, enter/leave tracking,
// the cursor shape, hit testing and mouse activation.
#include "controls/controls_host.h"
#include "controls/mouse_capture.h"
#include "controls/win_control.h"

namespace {
TMouseButton ActivationButton(UINT mouseMsg) {
  switch (mouseMsg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
      return mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
      return mbMiddle;
    default:
      return mbLeft;
  }
}

TShiftState KeyboardShiftState() {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  TShiftState shift = 0;
  const auto down = [&keys](int vk) { return (keys[vk] & 0x80) != 0; };
  if (down(VK_SHIFT)) shift |= ShiftBit(ssShift);
  if (down(VK_CONTROL)) shift |= ShiftBit(ssCtrl);
  if (down(VK_MENU)) shift |= ShiftBit(ssAlt);
  if (down(VK_LBUTTON)) shift |= ShiftBit(ssLeft);
  if (down(VK_RBUTTON)) shift |= ShiftBit(ssRight);
  if (down(VK_MBUTTON)) shift |= ShiftBit(ssMiddle);
  return shift;
}

TWinControl* FormOf(TWinControl* control) {
  for (TWinControl* c = control; c != nullptr; c = c->Parent()) {
    if (c->IsForm()) return c;
  }
  return nullptr;
}
}  // namespace

TControl* FindControlAtScreen(POINT screenPoint, bool allowDisabled) {
  TWinControl* control = nullptr;
  for (HWND w = WindowFromPoint(screenPoint); w != nullptr && control == nullptr;
       w = GetParent(w)) {
    control = TWinControl::FindControlOfWindow(w);
  }
  if (control == nullptr) return nullptr;
  POINT p = screenPoint;
  ScreenToClient(control->HandleValue(), &p);
  TControl* child = control->ChildAt(p, allowDisabled, false, false);
  return child != nullptr ? child : control;
}

TControl* TWinControl::ChildAt(POINT p, bool allowDisabled, bool allowWindowed, bool allLevels) {
  const bool designing = HasState(stDesigning);
  const auto takes = [&](TControl* c) {
    const POINT q{p.x - c->Left(), p.y - c->Top()};
    const RECT area = c->ClientArea();
    if (!PtInRect(&area, q)) return false;
    if (designing) return c->Visible() || !c->HasTrait(ctNoDesignVisible);
    return c->Visible() && (c->Enabled() || allowDisabled) &&
           c->Perform(IM_HIT_TEST, 0, PackPoint(q.x, q.y)) != 0;
  };
  if (allowWindowed) {
    for (auto it = windowedChildren_.rbegin(); it != windowedChildren_.rend(); ++it) {
      if (!takes(*it)) continue;
      if (allLevels) {
        const POINT inner{p.x - (*it)->Left(), p.y - (*it)->Top()};
        if (TControl* deeper = (*it)->ChildAt(inner, allowDisabled, true, true)) return deeper;
      }
      return *it;
    }
  }
  for (auto it = plainChildren_.rbegin(); it != plainChildren_.rend(); ++it) {
    if (takes(*it)) return *it;
  }
  return nullptr;
}

bool TWinControl::RouteMouseToChild(MessageRecord& message) {
  const int32_t x = MessageX(message.LParam), y = MessageY(message.LParam);
  TControl* child = nullptr;
  if (handle_ != nullptr && GetCapture() == handle_) {
    TControl* holder = CaptureControl();
    if (holder != nullptr && holder->Parent() == this) child = holder;
  } else {
    child = ChildAt({x, y}, false, false, false);
  }
  if (child == nullptr) return false;
  message.Result =
      Deliver(child, message.Msg, message.WParam, PackPoint(x - child->Left(), y - child->Top()));
  return true;
}

void TWinControl::SetMouseControl(TControl* control) {
  // The control itself needs no watching: its own destruction ends the field.
  if (mouseControl_ != nullptr && mouseControl_ != this) UnwatchForFree(mouseControl_);
  mouseControl_ = control;
  if (control != nullptr && control != this) WatchForFree(control);
}

void TWinControl::TrackMouseTarget(MessageRecord& m) {
  POINT p{MessageX(m.LParam), MessageY(m.LParam)};
  ClientToScreen(handle_, &p);
  RefreshCaptureControl();
  TControl* capture = CaptureControl();
  TControl* target = capture != nullptr ? capture : FindControlAtScreen(p, true);
  if (target != mouseControl_) {
    TControl* old = mouseControl_;
    if (old != nullptr && (capture == nullptr || capture == old || capture->Parent() == old)) {
      Deliver(old, IM_MOUSE_LEAVE);
    }
    SetMouseControl(target);
    if (target != nullptr && (capture == nullptr || target == capture)) {
      Deliver(target, IM_MOUSE_ENTER);
    }
  }
  if (!mouseInClient_ && handle_ != nullptr) {
    mouseInClient_ = true;
    TRACKMOUSEEVENT track = {sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle_, HOVER_DEFAULT};
    TrackMouseEvent(&track);
  }
}

void TWinControl::HandleControlMessage(MessageRecord& message) {
  const UINT msg = message.Msg;
  if (msg == WM_SETFOCUS) {
    TWinControl* form = FormOf(this);
    if (form != nullptr && !form->NoteFocusedControl(this)) return;
  } else if (msg == WM_CANCELMODE) {
    TControl* holder = CaptureControl();
    if (handle_ != nullptr && GetCapture() == handle_ && holder != nullptr &&
        holder->Parent() == this) {
      Deliver(holder, WM_CANCELMODE);
    }
  } else if (msg >= WM_MOUSEFIRST && msg <= 0x020A) {
    if (msg == WM_MOUSEMOVE && handle_ != nullptr) TrackMouseTarget(message);
    if (RouteMouseToChild(message)) {
      if (message.Result == 0 && handle_ != nullptr) {
        DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
      }
      return;
    }
  } else if (msg == WM_MOUSELEAVE) {
    mouseInClient_ = false;
    TControl* left = mouseControl_ != nullptr ? mouseControl_ : this;
    SetMouseControl(nullptr);
    Deliver(left, IM_MOUSE_LEAVE);
  }
  TControl::HandleControlMessage(message);
}

void TWinControl::HandleSetCursor(MessageRecord& m) {
  if (reinterpret_cast<HWND>(m.WParam) != handle_) {
    HandleUnclaimed(m);
    return;
  }
  const auto hitTest = static_cast<int16_t>(LOWORD(m.LParam));
  const UINT mouseMsg = HIWORD(m.LParam);
  if (hitTest == HTERROR) {
    HWND app = Host().AppWindow();
    if (mouseMsg == WM_LBUTTONDOWN && app != nullptr &&
        GetLastActivePopup(app) != GetForegroundWindow()) {
      Host().BringToFront();
      m.Result = 0;
      return;
    }
  } else if (hitTest == HTCLIENT) {
    const bool designing = HasState(stDesigning);
    TCursor cursor = Host().CursorOverride();
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(handle_, &p);
      if (TControl* child = ChildAt(p, false, false, false)) {
        cursor = designing ? crArrow : child->Cursor();
      }
      if (cursor == crDefault) cursor = designing ? crArrow : Cursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(Host().CursorHandleFor(cursor));
      m.Result = 1;
      return;
    }
  }
  HandleUnclaimed(m);
}

void TWinControl::HandleCursorChanged(MessageRecord& /*m*/) {
  if (handle_ == nullptr || GetCapture() != nullptr) return;
  POINT p;
  GetCursorPos(&p);
  if (FindControlAtScreen(p, false) == this) {
    Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_), HTCLIENT);
  }
}

void TWinControl::HandleNcHitTest(MessageRecord& m) {
  HandleUnclaimed(m);
  if (m.Result != HTTRANSPARENT || handle_ == nullptr) return;
  POINT p{MessageX(m.LParam), MessageY(m.LParam)};
  ScreenToClient(handle_, &p);
  if (ChildAt(p, false, false, false) != nullptr) m.Result = HTCLIENT;
}

void TWinControl::HandleMouseActivateNative(MessageRecord& m) {
  const DWORD pos = GetMessagePos();
  POINT p{static_cast<int16_t>(LOWORD(pos)), static_cast<int16_t>(HIWORD(pos))};
  if (handle_ != nullptr) ScreenToClient(handle_, &p);
  MouseActivateRecord record;
  record.hitTest = static_cast<int16_t>(LOWORD(m.LParam));
  record.button = ActivationButton(HIWORD(m.LParam));
  record.shift = KeyboardShiftState();
  m.Result = 0;
  if (TControl* child = ChildAt(p, false, false, false)) {
    record.x = p.x - child->Left();
    record.y = p.y - child->Top();
    m.Result = Deliver(child, IM_MOUSE_ACTIVATE, 0, reinterpret_cast<LPARAM>(&record));
  }
  if (m.Result == 0) {
    record.x = p.x;
    record.y = p.y;
    m.Result = Perform(IM_MOUSE_ACTIVATE, 0, reinterpret_cast<LPARAM>(&record));
  }
  if (m.Result == 0) HandleUnclaimed(m);
}
