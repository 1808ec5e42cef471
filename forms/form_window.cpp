// The form's native window: creation parameters by border style and icons, window
// state, painting and the system commands.
#include "controls/canvas_lend.h"
#include "forms/application.h"
#include "forms/form.h"
#include "forms/screen.h"
#include "platform/gdi_handles.h"
#include "runtime/scope_exit.h"

namespace {

constexpr DWORD kBorderStyleMask = 0x7F3BFF7F;  // clears WS_POPUP, WS_CAPTION,
                                                // WS_THICKFRAME, DS_MODALFRAME
constexpr DWORD kBorderExStyleMask = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW;
constexpr UINT kBorderClassStyleMask = CS_SAVEBITS | CS_BYTEALIGNWINDOW;
constexpr UINT kFrameChangedFlags =
    SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;

// The show command for a window state set while the form is showing.
int StateChangeCommand(TWindowState state) {
  switch (state) {
    case wsMinimized:
      return SW_MINIMIZE;
    case wsMaximized:
      return SW_SHOWMAXIMIZED;
    default:
      return SW_SHOWNORMAL;
  }
}

bool IsSizeableStyle(TFormBorderStyle style) {
  return style == bsSizeable || style == bsSizeToolWin;
}

}  // namespace

// --- creation parameters --------------------------------------------------------------------

HWND TCustomForm::QueryOwnerWindow() {
  TApplication* app = Application();
  const HWND appWindow = app != nullptr ? app->AppWindow() : nullptr;
  const TPopupMode mode = formStyle_ != fsNormal                              ? pmNone
                          : (popupMode_ == pmNone && HasFlag(ffShownModally)) ? pmAuto
                                                                              : popupMode_;
  switch (mode) {
    case pmAuto: {
      TScreen* screen = Screen();
      FormLink* active = screen != nullptr ? screen->CurrentCustomForm() : nullptr;
      if (active != nullptr && active != static_cast<FormLink*>(this) &&
          active->FormHandleAllocated()) {
        const HWND window = active->FormHandle();
        if (!IsIconic(window) && IsWindowVisible(window) && IsWindowEnabled(window)) {
          return window;
        }
      }
      return appWindow;
    }
    case pmExplicit:
      if (popupParent_ != nullptr) return popupParent_->Handle();
      if (app != nullptr && app->PrimaryForm() != nullptr &&
          app->PrimaryForm() != static_cast<FormLink*>(this)) {
        return app->PrimaryForm()->FormHandle();
      }
      return appWindow;
    default:
      return appWindow;
  }
}

void TCustomForm::FillCreationParams(CreationParams& params) {
  TScrollingWinControl::FillCreationParams(params);
  if (Parent() == nullptr && HostWindow() == nullptr) {
    params.parentWindow = QueryOwnerWindow();
    params.style &= ~static_cast<DWORD>(WS_CHILD | 0x00030000);
  }
  params.windowClass.style = CS_DBLCLKS;
  if (position_ == poDefault || position_ == poDefaultPosOnly) {
    params.x = static_cast<int32_t>(CW_USEDEFAULT);
    params.y = static_cast<int32_t>(CW_USEDEFAULT);
  }
  ComputeBorderStyles(params.style, params.exStyle, params.windowClass.style);
  if (IsSizeableStyle(borderStyle_) && (position_ == poDefault || position_ == poDefaultSizeOnly)) {
    params.width = static_cast<int32_t>(CW_USEDEFAULT);
    params.height = static_cast<int32_t>(CW_USEDEFAULT);
  }
  if (borderStyle_ == bsDialog || borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) {
    windowState_ = wsNormal;
  } else if (windowState_ == wsMinimized) {
    params.style |= WS_MINIMIZE;
  } else if (windowState_ == wsMaximized) {
    params.style |= WS_MAXIMIZE;
  }
  if (HasState(stInline)) params.style &= ~static_cast<DWORD>(WS_CAPTION);
  ComputeBorderIconStyles(params.style, params.exStyle);
}

void TCustomForm::ComputeBorderStyles(DWORD& style, DWORD& exStyle, UINT& classStyle) {
  style &= kBorderStyleMask;
  exStyle &= ~kBorderExStyleMask;
  classStyle &= ~kBorderClassStyleMask;
  TFormBorderStyle border = borderStyle_;
  if (formStyle_ == fsMDIChild && (border == bsNone || border == bsDialog)) border = bsSizeable;
  const bool mdiChild = formStyle_ == fsMDIChild;
  switch (border) {
    case bsNone:
      if (Parent() == nullptr && HostWindow() == nullptr) style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      style |= WS_CAPTION;
      if (border == bsToolWindow && !mdiChild) exStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      style |= WS_CAPTION | WS_THICKFRAME;
      if (border == bsSizeToolWin && !mdiChild) exStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsDialog:
      // New-style controls: no modal frame bits.
      style |= WS_POPUP | WS_CAPTION;
      exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      classStyle |= CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
      break;
  }
}

void TCustomForm::ComputeBorderIconStyles(DWORD& style, DWORD& exStyle) {
  style &= ~static_cast<DWORD>(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  exStyle &= ~static_cast<DWORD>(WS_EX_CONTEXTHELP);
  TBorderIcons icons = borderIcons_;
  switch (borderStyle_) {
    case bsNone:
      icons = 0;
      break;
    case bsDialog:
      icons &= BorderIconBit(biSystemMenu) | BorderIconBit(biHelp);
      break;
    case bsToolWindow:
    case bsSizeToolWin:
      icons &= BorderIconBit(biSystemMenu);
      break;
    default:
      break;
  }
  const bool boxes =
      borderStyle_ == bsNone || borderStyle_ == bsSingle || borderStyle_ == bsSizeable;
  const bool mdiBoxes = formStyle_ != fsMDIChild || (icons & BorderIconBit(biSystemMenu)) != 0;
  if (boxes && mdiBoxes) {
    if (icons & BorderIconBit(biMinimize)) style |= WS_MINIMIZEBOX;
    if (icons & BorderIconBit(biMaximize)) style |= WS_MAXIMIZEBOX;
  }
  if (icons & BorderIconBit(biSystemMenu)) style |= WS_SYSMENU;
  if (icons & BorderIconBit(biHelp)) exStyle |= WS_EX_CONTEXTHELP;
}

// --- changing the look of an existing window ---------------------------------------------------

void TCustomForm::SetPosition(TPosition value) {
  if (value == position_) return;
  position_ = value;
  if (!HasState(stDesigning) && HandleAllocated()) RecreateWindow();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  if (AutoScroll() && !IsSizeableStyle(value)) SetAutoScroll(false);
  if (HandleAllocated()) RewriteWindowStyles(true);
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (value == borderIcons_) return;
  borderIcons_ = value;
  if (HandleAllocated()) RewriteWindowStyles(false);
}

void TCustomForm::RewriteWindowStyles(bool borderStyleChanged) {
  const HWND window = HandleValue();
  auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  auto exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  if (borderStyleChanged) {
    auto classStyle = static_cast<UINT>(GetClassLongA(window, GCL_STYLE));
    ComputeBorderStyles(style, exStyle, classStyle);
    ComputeBorderIconStyles(style, exStyle);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(exStyle));
    SetClassLongA(window, GCL_STYLE, static_cast<LONG>(classStyle));
    SendMessageA(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(borderStyle_ == bsDialog ? nullptr : EffectiveIcon()));
    GetSystemMenu(window, TRUE);
  } else {
    ComputeBorderIconStyles(style, exStyle);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(exStyle));
  }
  SetWindowPos(window, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
  if (borderStyleChanged) QueueRepaint();
}

HICON TCustomForm::EffectiveIcon() const {
  TApplication* app = Application();
  return app != nullptr ? app->IconHandle() : nullptr;
}

// --- window state ------------------------------------------------------------------------------

void TCustomForm::SetWindowState(TWindowState value) {
  if (value == windowState_) return;
  windowState_ = value;
  if (Showing() && !HasState(stDesigning)) ShowWindow(Handle(), StateChangeCommand(value));
}

void TCustomForm::HandleSize(MessageRecord& m) {
  switch (m.WParam) {
    case SIZE_MINIMIZED:
      windowState_ = wsMinimized;
      break;
    case SIZE_MAXIMIZED:
      windowState_ = wsMaximized;
      break;
    default:
      windowState_ = wsNormal;
      break;
  }
  DispatchInherited(TCustomForm::StaticMeta(), m);
}

void TCustomForm::HandleShowWindow(MessageRecord& m) {
  const HWND window = HandleValue();
  if (m.LParam == SW_PARENTCLOSING) {
    showAction_ = IsIconic(window)   ? SW_SHOWMINNOACTIVE
                  : IsZoomed(window) ? SW_SHOWMAXIMIZED
                                     : SW_SHOWNOACTIVATE;
    DispatchInherited(TCustomForm::StaticMeta(), m);
  } else if (m.LParam == SW_PARENTOPENING) {
    if (showAction_ != 0) {
      ShowWindow(window, showAction_);
      showAction_ = 0;
    }
  } else {
    DispatchInherited(TCustomForm::StaticMeta(), m);
  }
}

// --- painting ------------------------------------------------------------------------------------

void TCustomForm::HandlePaint(MessageRecord& m) {
  const HWND window = HandleValue();
  if (IsIconic(window)) {
    PaintSession paint(window);
    if (HICON icon = EffectiveIcon()) DrawIcon(paint.Get(), 0, 0, icon);
    return;
  }
  const bool had = HasStatus(stCustomPaint);
  IncludeStatus(stCustomPaint);
  ScopeExit restore([this, had] {
    if (!had) ExcludeStatus(stCustomPaint);
  });
  DispatchInherited(TCustomForm::StaticMeta(), m);
}

void TCustomForm::PaintOwnSurface(HDC dc) {
  CanvasLend lend(*canvas_, dc);
  FirePaint();
}

void TCustomForm::HandleEraseBackground(MessageRecord& m) {
  const HWND window = HandleValue();
  if (IsIconic(window)) {
    m.Result = DefWindowProcA(window, WM_ICONERASEBKGND, m.WParam, m.LParam);
    return;
  }
  DispatchInherited(TCustomForm::StaticMeta(), m);
}

void TCustomForm::HandleQueryDragIcon(MessageRecord& m) {
  m.Result = reinterpret_cast<LRESULT>(EffectiveIcon());
}

void TCustomForm::HandleSysCommand(MessageRecord& m) {
  const UINT command = static_cast<UINT>(m.WParam) & 0xFFF0;
  TApplication* app = Application();
  if (command == SC_MINIMIZE && app != nullptr &&
      app->PrimaryForm() == static_cast<FormLink*>(this)) {
    // The program is minimised as a whole, not just its main window.
    m.Result = SendMessageA(app->AppWindow(), WM_SYSCOMMAND, m.WParam, m.LParam);
    return;
  }
  if (command == SC_MOVE && Align() != alNone && windowState_ != wsMinimized) return;
  DispatchInherited(TCustomForm::StaticMeta(), m);
  if ((command == SC_MINIMIZE || command == SC_RESTORE) && Align() != alNone) RequestArrange();
}

void TCustomForm::HandleWindowPosChanging(MessageRecord& m) {
  if (HasState(stLoading) && !HasState(stDesigning) && m.LParam != 0) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
    if ((position_ == poDefault || position_ == poDefaultPosOnly) && windowState_ != wsMaximized) {
      pos->flags |= SWP_NOMOVE;
    }
    if ((position_ == poDefault || position_ == poDefaultSizeOnly) &&
        IsSizeableStyle(borderStyle_)) {
      pos->flags |= SWP_NOSIZE;
    }
  }
  DispatchInherited(TCustomForm::StaticMeta(), m);
}
