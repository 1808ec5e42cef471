// TWinControl: children, notifications and the state kept while no window exists.
#include "controls/win_control.h"

#include <algorithm>

#include "classes/filer.h"
#include "classes/metadata_builder.h"
#include "classes/reader.h"
#include "controls/control_canvas.h"
#include "runtime/scope_exit.h"

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), padding_(new TPadding(this)), brush_(new TBrush) {
  brush_->SetColor(Color());
  padding_->OnChange = TNotifyEvent::Bind<&TWinControl::PaddingChanged>(this);
}

TWinControl::~TWinControl() = default;

void TWinControl::BeforeDestruction() {
  if (!HasState(stDestroying)) BeginDestroying();
  if (handle_ != nullptr) DropWindow();
  // Take the last child each time: a child that removes a sibling while it goes cannot
  // invalidate the walk.
  while (CountChildren() > 0) {
    TControl* child = ChildByIndex(CountChildren() - 1);
    ReleaseChild(child);
    child->Free();
  }
  TControl::BeforeDestruction();
}

void TWinControl::ComponentNotify(TComponent* component, TOperation operation) {
  if (operation == noRemove && component == mouseControl_) mouseControl_ = nullptr;
  TControl::ComponentNotify(component, operation);
}

// --- children ------------------------------------------------------------------------

int TWinControl::CountChildren() const {
  return static_cast<int>(plainChildren_.size() + windowedChildren_.size());
}

TControl* TWinControl::ChildByIndex(int index) const {
  const int plain = static_cast<int>(plainChildren_.size());
  if (index < 0 || index >= CountChildren()) return nullptr;
  if (index < plain) return plainChildren_[static_cast<size_t>(index)];
  return windowedChildren_[static_cast<size_t>(index - plain)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (; control != nullptr; control = control->Parent()) {
    if (control == this) return true;
  }
  return false;
}

void TWinControl::NotifyChildren(UINT msg, WPARAM wparam, LPARAM lparam) {
  for (int i = 0; i < CountChildren(); ++i) {
    if (Deliver(ChildByIndex(i), msg, wparam, lparam) != 0) break;
  }
}

namespace {
bool BeingRead(const TControl* control) {
  return control->HasState(stReading | stLoading) || control->HasStatus(stReadingState);
}
}  // namespace

void TWinControl::AdoptChild(TControl* child) {
  child->CheckContainer(this);
  ControlListItem item{child, this};
  Perform(IM_CONTROL_LIST_CHANGING, reinterpret_cast<WPARAM>(&item), 1);
  Perform(IM_CONTROL_LIST_CHANGE, reinterpret_cast<WPARAM>(child), 1);
  auto* windowed = dynamic_cast<TWinControl*>(child);
  if (windowed != nullptr) {
    windowedChildren_.push_back(windowed);
    tabList_.push_back(windowed);
  } else {
    plainChildren_.push_back(child);
  }
  child->parent_ = this;
  if (!BeingRead(child)) {
    child->Perform(IM_PARENT_COLOR_CHANGED);
    child->Perform(IM_PARENT_FONT_CHANGED);
    child->Perform(IM_PARENT_SHOWHINT_CHANGED);
    child->Perform(IM_PARENT_BIDIMODE_CHANGED);
    if (windowed != nullptr) {
      windowed->Perform(IM_PARENT_CTL3D_CHANGED);
      windowed->SyncVisibilityState();
    } else if (HandleAllocated()) {
      child->QueueRepaint();
    }
    RearrangeFor(child);
  }
  Perform(IM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(child), 1);
}

void TWinControl::ReleaseChild(TControl* child) {
  Perform(IM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(child), 0);
  auto* windowed = dynamic_cast<TWinControl*>(child);
  if (windowed != nullptr) {
    windowed->DropWindow();
  } else if (HandleAllocated()) {
    child->InvalidateBox(child->Visible(), false);
  }
  if (windowed != nullptr) {
    std::erase(windowedChildren_, windowed);
    std::erase(tabList_, windowed);
  } else {
    std::erase(plainChildren_, child);
  }
  child->parent_ = nullptr;
  ControlListItem item{child, this};
  Perform(IM_CONTROL_LIST_CHANGE, reinterpret_cast<WPARAM>(child), 0);
  Perform(IM_CONTROL_LIST_CHANGING, reinterpret_cast<WPARAM>(&item), 0);
  Rearrange();
}

void TWinControl::PlaceChildAt(TComponent* child, int position) {
  if (auto* control = dynamic_cast<TControl*>(child); control && control->Parent() == this) {
    control->MoveInZOrder(position);
  }
}

void TWinControl::MarkRecreating(bool on) {
  if (on) {
    IncludeStatus(stRecreating);
  } else {
    ExcludeStatus(stRecreating);
  }
  for (TWinControl* child : windowedChildren_) child->MarkRecreating(on);
}

void TWinControl::ChangeParent(TWinControl* parent) {
  if (handle_ == nullptr || parent == Parent()) {
    TControl::ChangeParent(parent);
    return;
  }
  MarkRecreating(true);
  ScopeExit unmark([this] { MarkRecreating(false); });
  TControl::ChangeParent(parent);
  unmark.Run();
}

void TWinControl::ChangeScale(int32_t m, int32_t d) {
  if (m != d && d != 0) {
    TPadding& p = *padding_;
    p.SetLeft(MulDiv(p.Left(), m, d));
    p.SetTop(MulDiv(p.Top(), m, d));
    p.SetRight(MulDiv(p.Right(), m, d));
    p.SetBottom(MulDiv(p.Bottom(), m, d));
  }
  ScaleControls(m, d);
  TControl::ChangeScale(m, d);
}

void TWinControl::ScaleControls(int32_t m, int32_t d) {
  for (int i = 0; i < CountChildren(); ++i) ChildByIndex(i)->ChangeScale(m, d);
}

void TWinControl::RevealChild(TControl* /*child*/) {
  if (Parent() != nullptr) Parent()->RevealChild(this);
}

// --- showing -----------------------------------------------------------------------------

void TWinControl::SyncShowing() {
  const bool designing = HasState(stDesigning);
  bool shouldShow =
      designing ? !HasStatus(stDesignerHide) && !HasTrait(ctNoDesignVisible) : Visible();
  shouldShow = shouldShow && !HasStatus(stReadingState) && !HasState(stDestroying);
  if (shouldShow) {
    if (handle_ == nullptr) EnsureWindow();
    // Copy: a child that shows may change the list.
    const std::vector<TWinControl*> children = windowedChildren_;
    for (TWinControl* child : children) child->SyncShowing();
  }
  if (handle_ != nullptr && shouldShow != showing_) {
    showing_ = shouldShow;
    ScopeExit undoOnFailure([this, shouldShow] { showing_ = !shouldShow; });
    Perform(IM_SHOWING_CHANGED);
    undoOnFailure.Release();
  }
}

void TWinControl::SyncVisibilityState() {
  TWinControl* top = this;
  for (TWinControl* p = Parent(); p != nullptr; p = p->Parent()) {
    if (!p->Showing()) return;
    top = p;
  }
  if (HasState(stDestroying)) return;
  if (!top->IsForm() && top->HostWindow() == nullptr) return;
  SyncShowing();
}

void TWinControl::HandleShowingChanged(MessageRecord& /*m*/) {
  constexpr UINT kShow = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;
  constexpr UINT kHide = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0, showing_ ? kShow : kHide);
}

void TWinControl::HandleVisibleChanged(MessageRecord& /*m*/) { SyncVisibilityState(); }

// --- appearance ---------------------------------------------------------------------------

void TWinControl::HandleEnabledChanged(MessageRecord& m) {
  if (handle_ != nullptr) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
  DispatchInherited(TWinControl::StaticMeta(), m);
}

void TWinControl::HandleColorChanged(MessageRecord& m) {
  brush_->SetColor(Color());
  NotifyChildren(IM_PARENT_COLOR_CHANGED);
  DispatchInherited(TWinControl::StaticMeta(), m);
}

void TWinControl::HandleFontChangedNotice(MessageRecord& m) {
  DispatchInherited(TWinControl::StaticMeta(), m);
  if (handle_ != nullptr) {
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  }
  NotifyChildren(IM_PARENT_FONT_CHANGED);
}

void TWinControl::SetCtl3D(bool value) {
  if (value == ctl3D_) return;
  ctl3D_ = value;
  parentCtl3D_ = false;
  NotifyChildren(IM_PARENT_CTL3D_CHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (value == parentCtl3D_) return;
  parentCtl3D_ = value;
  if (Parent() != nullptr && !HasState(stReading)) Perform(IM_PARENT_CTL3D_CHANGED);
}

void TWinControl::HandleParentCtl3DChanged(MessageRecord& m) {
  if (!parentCtl3D_) return;
  const bool value = m.WParam != 0 ? m.LParam != 0 : (Parent() != nullptr && Parent()->Ctl3D());
  SetCtl3D(value);
  parentCtl3D_ = true;
}

void TWinControl::SetParentBackground(bool value) {
  if (value == ParentBackground()) return;
  if (value) {
    IncludeTrait(ctParentBackground);
  } else {
    ExcludeTrait(ctParentBackground);
  }
  QueueRepaint();
}

void TWinControl::PaddingChanged(TObject* /*sender*/) { Rearrange(); }

// --- stream ---------------------------------------------------------------------------------

void TWinControl::ReadOwnState(TReader& reader) {
  SuspendArrange();
  ScopeExit resume([this] { ResumeArrange(); });
  TControl::ReadOwnState(reader);
  resume.Run();
  int order = 0;
  for (TWinControl* child : tabList_) child->tabOrder_ = order++;
  if (Parent() != nullptr) Perform(IM_PARENT_CTL3D_CHANGED);
  SyncVisibilityState();
}

void TWinControl::DeclareExtraProperties(TFiler& filer) {
  TControl::DeclareExtraProperties(filer);
  filer.DefineValue(
      "DesignSize",
      [this](TReader& r) {
        r.ReadListBegin();
        designSize_.x = r.ReadInteger();
        designSize_.y = r.ReadInteger();
        r.ReadListEnd();
      },
      {}, false);
}

// --- metadata ---------------------------------------------------------------------------------

const MessageTable TWinControl::kMessages{
    On<&TWinControl::HandleWindowPosChanging>(WM_WINDOWPOSCHANGING),
    On<&TWinControl::HandleWindowPosChanged>(WM_WINDOWPOSCHANGED),
    On<&TWinControl::HandleSize>(WM_SIZE),
    On<&TWinControl::HandleMove>(WM_MOVE),
    On<&TWinControl::HandlePaint>(WM_PAINT),
    On<&TWinControl::HandleEraseBackground>(WM_ERASEBKGND),
    On<&TWinControl::HandleDestroy>(WM_DESTROY),
    On<&TWinControl::HandleNcDestroy>(WM_NCDESTROY),
    On<&TWinControl::HandleSetCursor>(WM_SETCURSOR),
    On<&TWinControl::HandleNcHitTest>(WM_NCHITTEST),
    On<&TWinControl::HandleMouseActivateNative>(WM_MOUSEACTIVATE),
    On<&TWinControl::HandleCommand>(WM_COMMAND),
    On<&TWinControl::HandleCommand>(WM_NOTIFY),
    On<&TWinControl::HandleShowingChanged>(IM_SHOWING_CHANGED),
    On<&TWinControl::HandleVisibleChanged>(IM_VISIBLE_CHANGED),
    On<&TWinControl::HandleEnabledChanged>(IM_ENABLED_CHANGED),
    On<&TWinControl::HandleColorChanged>(IM_COLOR_CHANGED),
    On<&TWinControl::HandleFontChangedNotice>(IM_FONT_CHANGED),
    On<&TWinControl::HandleParentCtl3DChanged>(IM_PARENT_CTL3D_CHANGED),
    On<&TWinControl::HandleInvalidate>(IM_INVALIDATE),
    On<&TWinControl::HandleCursorChanged>(IM_CURSOR_CHANGED),
    On<&TWinControl::HandleRecreateWindow>(IM_RECREATE_WINDOW)};

const ClassMetadata& TWinControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TWinControl>("TWinControl", &TControl::StaticMeta(), "controls")
          .Messages(&TWinControl::kMessages)
          .Build();
  return meta;
}
