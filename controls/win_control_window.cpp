// TWinControl: the native window's life cycle, the window procedures that lead every
// message to WindowEntry, the default handling and the bounds the window reports.
#include <cfenv>
#include <vector>

#include "controls/control_canvas.h"
#include "controls/controls_host.h"
#include "controls/controls_module.h"
#include "controls/win_control.h"
#include "graphics/bitmap.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

namespace {
// The object whose window CreateWindowExA is making right now.
TWinControl* creationControl = nullptr;

[[noreturn]] void RaiseLastOSError() {
  const DWORD code = GetLastError();
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  throw EOSError("System Error.  Code: " + std::to_string(code) + ".\r\n" + text);
}

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

bool IsChildStyle(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0; }

void GiveChildIdentifier(HWND window) {
  if (IsChildStyle(window) && GetWindowLongPtrA(window, GWLP_ID) == 0) {
    SetWindowLongPtrA(window, GWLP_ID, reinterpret_cast<LONG_PTR>(window));
  }
}
struct ForeignChildSearch {
  HWND parent;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectForeignChild(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ForeignChildSearch*>(data);
  if (GetParent(child) == search->parent && TWinControl::FindControlOfWindow(child) == nullptr) {
    search->found.push_back(child);
  }
  return TRUE;
}
}  // namespace

// Every message of a framework window after the first one.
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (control == nullptr) return DefWindowProcA(window, msg, wparam, lparam);
  return control->WindowEntry(msg, wparam, lparam);
}

// The first message of a new window: tie the window to the object being created.
LRESULT CALLBACK InitialWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = creationControl;
  if (control == nullptr) return DefWindowProcA(window, msg, wparam, lparam);
  creationControl = nullptr;
  control->handle_ = window;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  const auto proc = reinterpret_cast<LONG_PTR>(&ObjectWindowProc);
  if (IsWindowUnicode(window)) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, proc);
  } else {
    SetWindowLongPtrA(window, GWLP_WNDPROC, proc);
  }
  GiveChildIdentifier(window);
  control->AttachWindowProperties(window);
  return ObjectWindowProc(window, msg, wparam, lparam);
}

LRESULT TWinControl::WindowEntry(UINT msg, WPARAM wparam, LPARAM lparam) {
  MessageRecord message{msg, wparam, lparam, 0};
  try {
    MessageEntryHook(message);
  } catch (...) {
    Host().ReportException(this, std::current_exception());
  }
  // The object may be gone now: only process-wide clean-up follows.
  FreeCachedDeviceContexts();
  FreeMemoryContexts();
  return message.Result;
}

TWinControl* TWinControl::FindControlOfWindow(HWND window) {
  if (window == nullptr) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  if (ControlAtom() != 0 && GlobalFindAtomA(ControlAtomText()) == ControlAtom()) {
    return static_cast<TWinControl*>(GetPropA(window, MAKEINTATOM(ControlAtom())));
  }
  return reinterpret_cast<TWinControl*>(SendMessageA(window, ObjectInstanceMessage(), 0, 0));
}

void TWinControl::AttachWindowProperties(HWND window) {
  SetPropA(window, MAKEINTATOM(WindowAtom()), this);
  SetPropA(window, MAKEINTATOM(ControlAtom()), this);
}

// --- creation --------------------------------------------------------------------------

HWND TWinControl::Handle() {
  if (handle_ == nullptr) {
    // Outermost first, without recursion, so deep trees cannot exhaust the stack here.
    std::vector<TWinControl*> chain;
    for (TWinControl* c = this; c != nullptr && c->handle_ == nullptr; c = c->Parent()) {
      chain.push_back(c);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if ((*it)->handle_ == nullptr) (*it)->EnsureWindow();
    }
  }
  return handle_;
}

void TWinControl::FillCreationParams(CreationParams& params) {
  params = CreationParams{};
  params.caption = StoredText();
  params.style = WS_CHILD | WS_CLIPSIBLINGS;
  if (HasTrait(ctContainer)) {
    params.style |= WS_CLIPCHILDREN;
    params.exStyle |= WS_EX_CONTROLPARENT;
  }
  if (!Enabled() && !HasState(stDesigning)) params.style |= WS_DISABLED;
  if (tabStop_) params.style |= WS_TABSTOP;
  params.x = Left();
  params.y = Top();
  params.width = Width();
  params.height = Height();
  params.parentWindow = Parent() != nullptr ? Parent()->Handle() : hostWindow_;
  params.windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.windowClass.lpfnWndProc = &DefWindowProcA;
  params.windowClass.hInstance = ModuleInstance();
  params.windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  params.className = std::string(ClassName().substr(0, 63));
}

void TWinControl::RegisterWindowClass(CreationParams& params) {
  const HINSTANCE instance = ModuleInstance();
  WNDCLASSA existing = {};
  const bool registered = GetClassInfoA(instance, params.className.c_str(), &existing) != FALSE;
  if (registered && existing.lpfnWndProc == &InitialWindowProc) return;
  if (registered) UnregisterClassA(params.className.c_str(), instance);
  params.windowClass.lpfnWndProc = &InitialWindowProc;
  params.windowClass.lpszClassName = params.className.c_str();
  params.windowClass.hInstance = instance;
  if (RegisterClassA(&params.windowClass) == 0) RaiseLastOSError();
}

void TWinControl::CallCreateWindow(CreationParams& params) {
  // Some drivers change the floating-point environment while creating windows.
  std::fenv_t saved;
  std::fegetenv(&saved);
  HWND window = CreateWindowExA(params.exStyle, params.className.c_str(), params.caption.c_str(),
                                params.style, params.x, params.y, params.width, params.height,
                                params.parentWindow, nullptr, ModuleInstance(), params.param);
  std::fesetenv(&saved);
  if (window == nullptr) {
    creationControl = nullptr;
    handle_ = nullptr;
  }
}

void TWinControl::BuildWindow() {
  CreationParams params;
  FillCreationParams(params);
  if (params.parentWindow == nullptr && (params.style & WS_CHILD) != 0) {
    auto* ownerControl = dynamic_cast<TWinControl*>(Owner());
    if (ownerControl == nullptr || !ownerControl->HasState(stReading)) {
      throw EInvalidOperation(msg::kNoParentWindow, {Name()});
    }
    params.parentWindow = ownerControl->Handle();
  }
  defaultProc_ = params.windowClass.lpfnWndProc;
  RegisterWindowClass(params);
  creationControl = this;
  CallCreateWindow(params);
  if (handle_ == nullptr) RaiseLastOSError();
  GiveChildIdentifier(handle_);
  text_.clear();
  text_.shrink_to_fit();
  ReadBoundsFromWindow();
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
  if (AutoSize()) FitToContent();
}

void TWinControl::EnsureWindow() {
  BuildWindow();
  AttachWindowProperties(handle_);
  if (Parent() != nullptr) PlaceInNativeZOrder();
  for (int i = 0; i < CountChildren(); ++i) ChildByIndex(i)->CaptureAnchorRules();
}

void TWinControl::PlaceInNativeZOrder() {
  if (Parent() == nullptr || handle_ == nullptr) return;
  const auto& siblings = Parent()->windowedChildren_;
  HWND preceding = nullptr;
  bool later = false;
  for (TWinControl* sibling : siblings) {
    if (later && sibling->handle_ != nullptr) {
      preceding = sibling->handle_;
      break;
    }
    if (sibling == this) later = true;
  }
  SetWindowPos(handle_, preceding, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// --- destruction -------------------------------------------------------------------------

void TWinControl::DropWindow() {
  if (handle_ == nullptr) return;
  for (TWinControl* child : windowedChildren_) child->DropWindow();
  // Foreign windows inside ours are told first so they can let go of their handles.
  ForeignChildSearch search{handle_, {}};
  EnumChildWindows(handle_, &CollectForeignChild, reinterpret_cast<LPARAM>(&search));
  for (HWND child : search.found) SendMessageA(child, IM_DROP_WINDOW, HasStatus(stRecreating), 0);
  TearDownWindow();
}

void TWinControl::SaveCaptionFromWindow() {
  if (!text_.empty() || handle_ == nullptr) return;
  const int length = GetWindowTextLengthA(handle_);
  if (length <= 0) return;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(handle_, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  text_ = std::move(text);
}

void TWinControl::TearDownWindow() {
  SaveCaptionFromWindow();
  FreeDeviceContextsOf(this);
  for (TControl* child : plainChildren_) FreeDeviceContextsOf(child);
  CallDestroyWindow();
}

void TWinControl::CallDestroyWindow() {
  IncludeStatus(stDestroyingHandle);
  const BOOL destroyed = DestroyWindow(handle_);
  ExcludeStatus(stDestroyingHandle);
  if (!destroyed) RaiseLastOSError();
  handle_ = nullptr;
}

void TWinControl::HandleDestroy(MessageRecord& m) {
  SaveCaptionFromWindow();
  HandleUnclaimed(m);
  RemovePropA(handle_, MAKEINTATOM(WindowAtom()));
  RemovePropA(handle_, MAKEINTATOM(ControlAtom()));
}

void TWinControl::HandleNcDestroy(MessageRecord& m) {
  HandleUnclaimed(m);
  SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
  handle_ = nullptr;
  showing_ = false;
}

void TWinControl::HandleRecreateWindow(MessageRecord& /*m*/) {
  if (handle_ == nullptr) return;
  MarkRecreating(true);
  ScopeExit unmark([this] { MarkRecreating(false); });
  DropWindow();
  SyncVisibilityState();
  unmark.Run();
}

void TWinControl::RecreateWindow() {
  if (handle_ != nullptr) Perform(IM_RECREATE_WINDOW);
}

// --- default handling -----------------------------------------------------------------------

void TWinControl::HandleUnclaimed(MessageRecord& m) {
  if (handle_ == nullptr) {
    TControl::HandleUnclaimed(m);
    return;
  }
  const UINT msg = m.Msg;
  if (msg == WM_CONTEXTMENU && Parent() != nullptr) {
    m.Result = Deliver(Parent(), msg, m.WParam, m.LParam);
    if (m.Result != 0) return;
  }
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
    m.Result =
        SendMessageA(reinterpret_cast<HWND>(m.LParam), msg + IM_REFLECT_BASE, m.WParam, m.LParam);
    return;
  }
  if (msg >= WM_CTLCOLORMSGBOX + IM_REFLECT_BASE && msg <= WM_CTLCOLORSTATIC + IM_REFLECT_BASE) {
    auto* dc = reinterpret_cast<HDC>(m.WParam);
    SetTextColor(dc, ResolveColor(Font()->Color()));
    SetBkColor(dc, ResolveColor(Brush()->Color()));
    m.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
    return;
  }
  if (msg == ObjectInstanceMessage() && msg != 0) {
    m.Result = reinterpret_cast<LRESULT>(this);
    return;
  }
  m.Result = CallWindowProcA(defaultProc_, handle_, msg, m.WParam, m.LParam);
}

void TWinControl::HandleCommand(MessageRecord& m) {
  HWND from = nullptr;
  if (m.Msg == WM_NOTIFY) {
    if (const auto* header = reinterpret_cast<const NMHDR*>(m.LParam)) from = header->hwndFrom;
  } else {
    from = reinterpret_cast<HWND>(m.LParam);
  }
  if (TWinControl* child = FindControlOfWindow(from); child != nullptr && child != this) {
    m.Result = Deliver(child, m.Msg + IM_REFLECT_BASE, m.WParam, m.LParam);
    return;
  }
  HandleUnclaimed(m);
}

// --- bounds from the window -----------------------------------------------------------------

void TWinControl::ReadBoundsFromWindow() {
  if (handle_ == nullptr) return;
  RECT r = {};
  if (IsIconic(handle_)) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(handle_, &placement);
    r = placement.rcNormalPosition;
  } else {
    GetWindowRect(handle_, &r);
  }
  if (IsChildStyle(handle_)) {
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  CaptureAnchorRules();
}

void TWinControl::ApplyBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  SanitizeSize(left, top, width, height);
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  if (handle_ != nullptr && !IsIconic(handle_)) {
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_ != nullptr) {
      WINDOWPLACEMENT placement = {};
      placement.length = sizeof placement;
      GetWindowPlacement(handle_, &placement);
      placement.rcNormalPosition = BoundsRect();
      SetWindowPlacement(handle_, &placement);
    }
  }
  CaptureAnchorRules();
  RecordExplicitBounds();
  RequestArrange();
}

void TWinControl::FitToContent() {
  if (HasState(stLoading) || handle_ == nullptr) return;
  SetWindowPos(handle_, nullptr, 0, 0, Width(), Height(),
               SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
  RequestArrange();
}

void TWinControl::HandleWindowPosChanging(MessageRecord& m) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
  if (pos != nullptr && !HasState(stReading | stDestroying) && (pos->flags & SWP_NOSIZE) == 0) {
    int32_t width = pos->cx, height = pos->cy;
    if (VetNewSize(width, height)) {
      pos->cx = width;
      pos->cy = height;
    } else {
      pos->flags |= SWP_NOSIZE;
    }
  }
  DispatchInherited(TWinControl::StaticMeta(), m);
}

void TWinControl::HandleWindowPosChanged(MessageRecord& m) {
  if (!HasStatus(stDestroyingHandle)) ReadBoundsFromWindow();
  DispatchInherited(TWinControl::StaticMeta(), m);
}

void TWinControl::HandleSize(MessageRecord& m) {
  ReadBoundsFromWindow();
  RecordExplicitBounds();
  HandleUnclaimed(m);
  Rearrange();
  if (!HasState(stLoading)) Resized();
}

void TWinControl::HandleMove(MessageRecord& m) {
  HandleUnclaimed(m);
  ReadBoundsFromWindow();
  RecordExplicitBounds();
}

RECT TWinControl::ClientArea() {
  if (handle_ == nullptr) return TControl::ClientArea();
  RECT r = {};
  GetClientRect(handle_, &r);
  return r;
}

POINT TWinControl::ClientOriginOnScreen() {
  POINT origin = {0, 0};
  ClientToScreen(Handle(), &origin);
  return origin;
}
