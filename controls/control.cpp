#include "controls/control.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "classes/filer.h"
#include "classes/reader.h"
#include "controls/controls_host.h"
#include "controls/mouse_capture.h"
#include "controls/win_control.h"
#include "platform/gdi_handles.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

LRESULT Deliver(TControl* control, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (control == nullptr) return 0;
  MessageRecord message{msg, wparam, lparam, 0};
  control->MessageEntryHook(message);
  return message.Result;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner),
      font_(new TFont),
      constraints_(new TSizeConstraints(this)),
      margins_(new TMargins(this)) {
  MessageEntryHook = TMethod<MessageRecord&>::Bind<&TControl::HandleControlMessage>(this);
  font_->OnChange = TNotifyEvent::Bind<&TControl::FontChanged>(this);
  lastFontHeight_ = font_->Height();
  constraints_->OnChange = TNotifyEvent::Bind<&TControl::ConstraintsChanged>(this);
  margins_->OnChange = TNotifyEvent::Bind<&TControl::MarginsChanged>(this);
}

TControl::~TControl() = default;

void TControl::BeforeDestruction() {
  if (!HasState(stDestroying)) BeginDestroying();
  Host().ForgetControl(this);
  if (CaptureControl() == this) SetCaptureOwner(nullptr);
  ChangeParent(nullptr);
}

// --- tree ---------------------------------------------------------------------------

void TControl::ChangeParent(TWinControl* parent) {
  if (parent == parent_) return;
  // A parent that is this control or lies inside it would close a cycle.
  for (const TControl* p = parent; p != nullptr; p = p->parent_) {
    if (p == this) throw EInvalidOperation(msg::kControlParentSelf, {});
  }
  if (parent_ != nullptr) parent_->ReleaseChild(this);
  if (parent != nullptr) {
    parent->AdoptChild(this);
    CaptureAnchorRules();
  }
}

void TControl::AttachToParent(TComponent* parent) {
  if (auto* windowed = dynamic_cast<TWinControl*>(parent)) SetParent(windowed);
}

TComponent* TControl::ParentOfComponent() const { return parent_; }

// --- z-order ----------------------------------------------------------------------------

void TControl::MoveInZOrder(int position) {
  if (parent_ == nullptr) return;
  auto* windowed = dynamic_cast<TWinControl*>(this);
  if (windowed != nullptr) {
    auto& list = parent_->windowedChildren_;
    const int count = static_cast<int>(list.size());
    const int current =
        static_cast<int>(std::find(list.begin(), list.end(), windowed) - list.begin());
    position = std::clamp(position, 0, count - 1);
    if (position == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + position, windowed);
    if (windowed->HandleAllocated()) windowed->PlaceInNativeZOrder();
    return;
  }
  auto& list = parent_->plainChildren_;
  const int count = static_cast<int>(list.size());
  const int current = static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
  position = std::clamp(position, 0, count - 1);
  if (position == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + position, this);
  InvalidateBox(visible_, true);
}

void TControl::RaiseToTop() {
  if (parent_ != nullptr) MoveInZOrder(INT32_MAX);
}

void TControl::LowerToBottom() { MoveInZOrder(0); }

// --- appearance and state ---------------------------------------------------------------

bool TControl::IsShown() const {
  return visible_ && !(HasStatus(stDesignerHide) && HasState(stDesigning));
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  BeforeVisibleChange(value);
  visible_ = value;
  Perform(IM_VISIBLE_CHANGED, value ? 1 : 0);
  RequestArrange();
}

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Perform(IM_ENABLED_CHANGED);
}

void TControl::FontChanged(TObject* /*sender*/) {
  parentFont_ = false;
  if (font_->Height() != lastFontHeight_) {
    scalingFlags_ |= sfFont;
    lastFontHeight_ = font_->Height();
  }
  Perform(IM_FONT_CHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (parent_ != nullptr && !HasState(stReading)) Perform(IM_PARENT_FONT_CHANGED);
}

void TControl::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  parentColor_ = false;
  Perform(IM_COLOR_CHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (parent_ != nullptr && !HasState(stReading)) Perform(IM_PARENT_COLOR_CHANGED);
}

void TControl::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  Perform(IM_CURSOR_CHANGED);
}

void TControl::SetAlignWithMargins(bool value) {
  if (value == AlignWithMargins()) return;
  if (value) {
    IncludeTrait(ctAlignWithMargins);
  } else {
    ExcludeTrait(ctAlignWithMargins);
  }
  RequestArrange();
}

std::string TControl::Caption() {
  const auto length = static_cast<size_t>(std::max<LRESULT>(Perform(WM_GETTEXTLENGTH), 0));
  std::string text(length + 1, '\0');
  const auto copied = static_cast<size_t>(
      std::clamp<LRESULT>(Perform(WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())), 0,
                          static_cast<LRESULT>(length)));
  text.resize(copied);
  return text;
}

void TControl::SetCaption(const std::string& value) {
  if (Caption() == value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  Perform(IM_TEXT_CHANGED);
}

// --- painting ------------------------------------------------------------------------------

void TControl::InvalidateBox(bool visible, bool opaque) {
  if (!visible || parent_ == nullptr || !parent_->HandleAllocated()) return;
  const RECT box = BoundsRect();
  bool erase = !(opaque || parent_->HasTrait(ctOpaque));
  // An opaque visible sibling below that covers the whole box paints it anyway.
  for (TControl* sibling : parent_->plainChildren_) {
    if (!erase || sibling == this) break;
    if (!sibling->visible_ || !sibling->HasTrait(ctOpaque)) continue;
    RECT covered;
    const RECT other = sibling->BoundsRect();
    if (IntersectRect(&covered, &box, &other) && EqualRect(&covered, &box)) erase = false;
  }
  InvalidateRect(parent_->HandleValue(), &box, erase ? TRUE : FALSE);
}

void TControl::QueueRepaint() { InvalidateBox(visible_, HasTrait(ctOpaque)); }

void TControl::RepaintNow() {
  if (!IsShown() || parent_ == nullptr || !parent_->HandleAllocated()) return;
  if (!HasTrait(ctOpaque)) {
    QueueRepaint();
    FlushPaint();
    return;
  }
  WindowDC dc(parent_->HandleValue());
  if (!dc) return;
  IntersectClipRect(dc.Get(), left_, top_, left_ + width_, top_ + height_);
  parent_->PaintChildren(dc.Get(), this);
}

void TControl::FlushPaint() {
  if (parent_ != nullptr) parent_->FlushPaint();
}

HDC TControl::AcquireDC(HWND& window) {
  if (parent_ == nullptr) throw EInvalidOperation(msg::kNoParentWindow, {Name()});
  HDC dc = parent_->AcquireDC(window);
  SetViewportOrgEx(dc, left_, top_, nullptr);
  IntersectClipRect(dc, 0, 0, width_, height_);
  return dc;
}

// --- messages -------------------------------------------------------------------------------

void TControl::DispatchByNumber(MessageRecord& message) {
  if (message.Msg == 0 || message.Msg >= 0xC000) {
    HandleUnclaimed(message);
    return;
  }
  if (MessageHandlerFn handler = FindMessageHandler(&Meta(), message.Msg)) {
    handler(*this, message);
  } else {
    HandleUnclaimed(message);
  }
}

void TControl::DispatchInherited(const ClassMetadata& ownClass, MessageRecord& message) {
  if (MessageHandlerFn handler = FindMessageHandler(ownClass.parent, message.Msg)) {
    handler(*this, message);
  } else {
    HandleUnclaimed(message);
  }
}

void TControl::HandleUnclaimed(MessageRecord& message) {
  switch (message.Msg) {
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const char*>(message.LParam);
      text_ = text ? text : "";
      message.Result = 1;
      break;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(message.LParam);
      if (buffer == nullptr || message.WParam == 0) {
        message.Result = 0;
        break;
      }
      const size_t copied = std::min<size_t>(text_.size(), message.WParam - 1);
      std::memcpy(buffer, text_.data(), copied);
      buffer[copied] = '\0';
      message.Result = static_cast<LRESULT>(copied);
      break;
    }
    case WM_GETTEXTLENGTH:
      message.Result = static_cast<LRESULT>(text_.size());
      break;
    default:
      break;
  }
}

void TControl::HandleWindowPosChanged(MessageRecord& m) {
  WidenConstraintsToSize();
  HandleUnclaimed(m);
}

void TControl::HandleVisibleChanged(MessageRecord& /*m*/) {
  // The old place must be painted again whether the control appears or goes.
  InvalidateBox(true, visible_ && HasTrait(ctOpaque));
}

void TControl::HandleEnabledChanged(MessageRecord& /*m*/) { QueueRepaint(); }

void TControl::HandleRepaintNotice(MessageRecord& /*m*/) { QueueRepaint(); }

void TControl::HandleParentFontChanged(MessageRecord& m) {
  if (!parentFont_) return;
  if (m.WParam != 0) {
    font_->Assign(reinterpret_cast<const TFont*>(m.LParam));
  } else if (parent_ != nullptr) {
    font_->Assign(parent_->Font());
  }
  parentFont_ = true;
}

void TControl::HandleParentColorChanged(MessageRecord& m) {
  if (!parentColor_) return;
  if (m.WParam != 0) {
    SetColor(static_cast<TColor>(m.LParam));
  } else if (parent_ != nullptr) {
    SetColor(parent_->Color());
  }
  parentColor_ = true;
}

void TControl::HandleHitTest(MessageRecord& m) { m.Result = 1; }

// --- stream -----------------------------------------------------------------------------------

void TControl::ReadOwnState(TReader& reader) {
  IncludeStatus(stReadingState);
  ScopeExit clear([this] { ExcludeStatus(stReadingState); });
  if (auto* parent = dynamic_cast<TWinControl*>(reader.Parent())) SetParent(parent);
  TComponent::ReadOwnState(reader);
  clear.Run();
  if (parent_ != nullptr) {
    Perform(IM_PARENT_COLOR_CHANGED);
    Perform(IM_PARENT_FONT_CHANGED);
    Perform(IM_PARENT_SHOWHINT_CHANGED);
    Perform(IM_SYSFONT_CHANGED);
    Perform(IM_PARENT_BIDIMODE_CHANGED);
  }
}

void TControl::FinishLoading() {
  TComponent::FinishLoading();
  CaptureAnchorRules();
}

void TControl::DeclareExtraProperties(TFiler& filer) {
  TComponent::DeclareExtraProperties(filer);
  // Read only: this system writes no component data, so nothing is declared as stored.
  filer.DefineValue(
      "IsControl", [this](TReader& r) { isControl_ = r.ReadBoolean(); }, {}, false);
  filer.DefineValue(
      "ExplicitLeft", [this](TReader& r) { explicitLeft_ = r.ReadInteger(); }, {}, false);
  filer.DefineValue(
      "ExplicitTop", [this](TReader& r) { explicitTop_ = r.ReadInteger(); }, {}, false);
  filer.DefineValue(
      "ExplicitWidth", [this](TReader& r) { explicitWidth_ = r.ReadInteger(); }, {}, false);
  filer.DefineValue(
      "ExplicitHeight", [this](TReader& r) { explicitHeight_ = r.ReadInteger(); }, {}, false);
}

void TControl::AssignName(const std::string& newName) {
  const auto* ownerControl = dynamic_cast<const TControl*>(Owner());
  const bool follow = HasTrait(ctSetCaption) && !HasState(stLoading) &&
                      !(ownerControl != nullptr && ownerControl->HasState(stLoading)) &&
                      Caption() == Name();
  TComponent::AssignName(newName);
  if (follow) SetCaption(newName);
}

// --- metadata ----------------------------------------------------------------------------------

const MessageTable TControl::kMessages{
    On<&TControl::HandleWindowPosChanged>(WM_WINDOWPOSCHANGED),
    On<&TControl::HandleLButtonDown>(WM_LBUTTONDOWN),
    On<&TControl::HandleLButtonDblClk>(WM_LBUTTONDBLCLK),
    On<&TControl::HandleLButtonUp>(WM_LBUTTONUP),
    On<&TControl::HandleRButtonDown>(WM_RBUTTONDOWN),
    On<&TControl::HandleRButtonUp>(WM_RBUTTONUP),
    On<&TControl::HandleMButtonDown>(WM_MBUTTONDOWN),
    On<&TControl::HandleMButtonUp>(WM_MBUTTONUP),
    On<&TControl::HandleMouseMove>(WM_MOUSEMOVE),
    On<&TControl::HandleCancelMode>(WM_CANCELMODE),
    On<&TControl::HandleVisibleChanged>(IM_VISIBLE_CHANGED),
    On<&TControl::HandleEnabledChanged>(IM_ENABLED_CHANGED),
    On<&TControl::HandleRepaintNotice>(IM_COLOR_CHANGED),
    On<&TControl::HandleRepaintNotice>(IM_FONT_CHANGED),
    On<&TControl::HandleParentFontChanged>(IM_PARENT_FONT_CHANGED),
    On<&TControl::HandleParentColorChanged>(IM_PARENT_COLOR_CHANGED),
    On<&TControl::HandleHitTest>(IM_HIT_TEST),
    On<&TControl::HandleMouseEnter>(IM_MOUSE_ENTER),
    On<&TControl::HandleMouseLeave>(IM_MOUSE_LEAVE),
    On<&TControl::HandleMouseActivate>(IM_MOUSE_ACTIVATE)};
