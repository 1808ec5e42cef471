#include "forms/form.h"

#include "classes/filer.h"
#include "classes/form_resources.h"
#include "classes/metadata_builder.h"
#include "classes/reader.h"
#include "classes/reader_fixups.h"
#include "classes/standard_types.h"
#include "forms/application.h"
#include "forms/screen.h"
#include "platform/gdi_handles.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

namespace {

constexpr TBorderIcons kDefaultBorderIcons =
    BorderIconBit(biSystemMenu) | BorderIconBit(biMinimize) | BorderIconBit(biMaximize);

int ScreenPixelsPerInchNow() {
  if (TScreen* screen = Screen()) return screen->ScreenPixelsPerInch();
  WindowDC dc(nullptr);
  return GetDeviceCaps(dc.Get(), LOGPIXELSY);
}

}  // namespace

// --- construction -----------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner)
    : TScrollingWinControl(owner), canvas_(new TControlCanvas) {
  SetTraits(TraitBit(ctContainer) | TraitBit(ctCaptureMouse) | TraitBit(ctClickEvents) |
            TraitBit(ctSetCaption) | TraitBit(ctDoubleClicks) | TraitBit(ctPannable));
  SetBounds(0, 0, 320, 240);
  canvas_->SetControl(this);
  borderIcons_ = kDefaultBorderIcons;
  pixelsPerInch_ = ScreenPixelsPerInchNow();
  TControl::SetVisible(false);
  SetParentColor(false);
  SetParentFont(false);
  SetCtl3D(true);
  // A three-dimensional form shows the button face where a plain one would be white.
  if (Color() == clWindow) SetColor(clBtnFace);
  if (TScreen* screen = Screen()) screen->EnlistForm(this);
}

TCustomForm* FinishFormConstruction(TOwnedPtr<TCustomForm> form) {
  form->ReadStoredDefinition();
  form->CompleteConstruction();
  return form.release();
}

namespace {
thread_local const std::function<void(TCustomForm*)>* tlsPublish = nullptr;
}  // namespace

TCustomForm* ConstructFormOfClass(const ClassMetadata& cls, TComponent* owner,
                                  const std::function<void(TCustomForm*)>& publish) {
  const auto* outer = tlsPublish;
  tlsPublish = &publish;
  ScopeExit restore([outer] { tlsPublish = outer; });
  TComponent* made = cls.Construct(owner);
  return static_cast<TCustomForm*>(made);
}

void TCustomForm::ReadStoredDefinition() {
  // The instance is reachable through the caller's reference from here on.
  if (const auto* publish = tlsPublish) {
    tlsPublish = nullptr;
    (*publish)(this);
  }
  const ClassMetadata& cls = Meta();
  if (&cls == &TForm::StaticMeta() || &cls == &TCustomForm::StaticMeta()) return;
  SetFlag(ffInConstruction, true);
  ScopeExit clear([this] { SetFlag(ffInConstruction, false); });
  if (!LoadInheritedDefinition(this, TForm::StaticMeta())) {
    throw EResNotFound(msg::kResNotFound, {ClassName()});
  }
  if (oldCreateOrder_) RunOnCreate();
}

void TCustomForm::CompleteConstruction() {
  if (!oldCreateOrder_) RunOnCreate();
  if (HasFlag(ffActivatedWhileReading)) {
    SetFlag(ffActivatedWhileReading, false);
    FireActivate();
  }
}

void TCustomForm::RunOnCreate() {
  try {
    OnCreate(this);
  } catch (...) {
    HandleCreateError();
  }
  if (HasFlag(ffVisibleRequested)) {
    SetFlag(ffVisibleRequested, false);
    SetVisible(true);
  }
}

void TCustomForm::HandleCreateError() {
  if (TApplication* app = Application()) app->ReportException(this);
}

void TCustomForm::SetFlag(FormFlag f, bool on) {
  formFlags_ = on ? static_cast<uint8_t>(formFlags_ | f) : static_cast<uint8_t>(formFlags_ & ~f);
}

bool TCustomForm::IsPlainForm() const { return InheritsFrom(TForm::StaticMeta()); }

// --- reading and scaling ------------------------------------------------------------------

void TCustomForm::ReadOwnState(TReader& reader) {
  SuspendArrange();
  ScopeExit resume([this] { ResumeArrange(); });
  pendingClientWidth_ = 0;
  pendingClientHeight_ = 0;
  textHeight_ = 0;
  if (Meta().parent == &TForm::StaticMeta()) oldCreateOrder_ = true;
  TScrollingWinControl::ReadOwnState(reader);
  ScaleAfterReading();
  Perform(IM_PARENT_BIDIMODE_CHANGED);
}

void TCustomForm::ScaleAfterReading() {
  const int designPpi = pixelsPerInch_;
  bool scaled = false;
  if (designPpi != 0 && textHeight_ > 0) {
    const int screenPpi = ScreenPixelsPerInchNow();
    if ((ScalingFlags() & sfFont) != 0 && designPpi != screenPpi) {
      Font()->SetHeight(MulDiv(Font()->Height(), screenPpi, designPpi));
    }
    pixelsPerInch_ = screenPpi;
    canvas_->SetFont(Font());
    const int measured = canvas_->TextHeightOf("0");
    if (measured != textHeight_) {
      ScaleControls(measured, textHeight_);
      if (pendingClientWidth_ > 0) {
        pendingClientWidth_ = MulDiv(pendingClientWidth_, measured, textHeight_);
      }
      if (pendingClientHeight_ > 0) {
        pendingClientHeight_ = MulDiv(pendingClientHeight_, measured, textHeight_);
      }
      scaled = true;
    }
  }
  if (pendingClientWidth_ > 0) TControl::SetClientWidth(pendingClientWidth_);
  if (pendingClientHeight_ > 0) TControl::SetClientHeight(pendingClientHeight_);
  SetScalingFlags(0);
  // Children keep no flags either way.
  if (!scaled) ScaleControls(1, 1);
}

void TCustomForm::SetFormClientWidth(int32_t value) {
  if (HasState(stReading)) {
    pendingClientWidth_ = value;
  } else {
    TControl::SetClientWidth(value);
  }
}

void TCustomForm::SetFormClientHeight(int32_t value) {
  if (HasState(stReading)) {
    pendingClientHeight_ = value;
  } else {
    TControl::SetClientHeight(value);
  }
}

void TCustomForm::SetPixelsPerInch(int32_t value) {
  if (value == pixelsPerInch_ || (value != 0 && value <= 35)) return;
  if (HasState(stLoading) && pixelsPerInch_ == 0) return;
  pixelsPerInch_ = value;
}

void TCustomForm::SetScaled(bool value) {
  if (value == Scaled()) return;
  pixelsPerInch_ = value ? ScreenPixelsPerInchNow() : 0;
}

void TCustomForm::FinishLoading() {
  TScrollingWinControl::FinishLoading();
  if (TWinControl* control = activeControl_) {
    activeControl_ = nullptr;
    if (CanTakeFocus(control)) SetActiveControl(control);
  }
}

void TCustomForm::DeclareExtraProperties(TFiler& filer) {
  TScrollingWinControl::DeclareExtraProperties(filer);
  // PixelsPerInch arrives through the published property; the defined value only
  // exists so that a stream carrying it stays readable.
  filer.DefineValue(
      "PixelsPerInch", [this](TReader& r) { SetPixelsPerInch(r.ReadInteger()); }, nullptr, false);
  filer.DefineValue(
      "TextHeight", [this](TReader& r) { textHeight_ = r.ReadInteger(); }, nullptr, false);
  filer.DefineValue(
      "IgnoreFontProperty",
      [this](TReader& r) {
        if (r.ReadBoolean()) SetParentFont(true);
      },
      nullptr, false);
}

// --- destruction --------------------------------------------------------------------------

void TCustomForm::BeforeDestruction() {
  NameSpaceLock().BeginWrite();
  holdsNameSpaceLock_ = true;
  IncludeState(stDestroying);
  RemoveGlobalReferencesOfRoot(this);
  if (formStyle_ != fsMDIChild) SetVisible(false);
  if (!oldCreateOrder_) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (TApplication* app = Application()) app->ReportException(this);
    }
  }
  TScrollingWinControl::BeforeDestruction();
}

TCustomForm::~TCustomForm() {
  if (oldCreateOrder_) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (TApplication* app = Application()) app->ReportException(this);
    }
  }
  canvas_.reset();
  if (HandleAllocated()) DropWindow();
  if (TScreen* screen = Screen()) screen->DelistForm(this);
  if (holdsNameSpaceLock_) NameSpaceLock().EndWrite();
}

// --- metadata -----------------------------------------------------------------------------

const ClassMetadata& TCustomForm::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TCustomForm>("TCustomForm", &TScrollingWinControl::StaticMeta(), "forms")
          .Messages(&TCustomForm::kMessages)
          .Build();
  return meta;
}

const ClassMetadata& TForm::StaticMeta() {
  using F = TCustomForm;
  static const ClassMetadata meta = WithFormConstructor<TForm>(
      ClassBuilder<TForm>("TForm", &TCustomForm::StaticMeta(), "forms")
          .Property("BorderStyle", kTFormBorderStyleType, ByField(&F::borderStyle_),
                    ByMethod(&F::SetBorderStyle))
          .Default(bsSizeable)
          .Property("BorderIcons", kTBorderIconsType, ByField(&F::borderIcons_),
                    ByMethod(&F::SetBorderIcons))
          .Default(kDefaultBorderIcons)
          .Property("Position", kTPositionType, ByField(&F::position_), ByMethod(&F::SetPosition))
          .Default(poDefaultPosOnly)
          .Property("WindowState", kTWindowStateType, ByField(&F::windowState_),
                    ByMethod(&F::SetWindowState))
          .Default(wsNormal)
          .Property("FormStyle", kTFormStyleType, ByField(&F::formStyle_),
                    ByMethod(&F::SetFormStyle))
          .Default(fsNormal)
          .Property("DefaultMonitor", kTDefaultMonitorType, ByField(&F::defaultMonitor_),
                    ByMethod(&F::SetDefaultMonitor))
          .Default(dmActiveForm)
          .Property("Visible", kBooleanType, ByMethod(&F::FormVisible), ByMethod(&F::SetVisible))
          .Default(0)
          .Property("Scaled", kBooleanType, ByMethod(&F::Scaled), ByMethod(&F::SetScaled))
          .Property("PixelsPerInch", kIntegerType, ByField(&F::pixelsPerInch_),
                    ByMethod(&F::SetPixelsPerInch))
          .NotStored()
          .Property("OldCreateOrder", kBooleanType, ByField(&F::oldCreateOrder_),
                    ByMethod(&F::SetOldCreateOrder))
          .Property("ClientWidth", kIntegerType, ByMethod(&F::FormClientWidth),
                    ByMethod(&F::SetFormClientWidth))
          .Property("ClientHeight", kIntegerType, ByMethod(&F::FormClientHeight),
                    ByMethod(&F::SetFormClientHeight))
          .Property("PopupMode", kTPopupModeType, ByField(&F::popupMode_),
                    ByMethod(&F::SetPopupMode))
          .Default(pmNone)
          .Property("AlphaBlend", kBooleanType, ByField(&F::alphaBlend_), ByField(&F::alphaBlend_))
          .Default(0)
          .Property("AlphaBlendValue", kByteType, ByField(&F::alphaBlendValue_),
                    ByField(&F::alphaBlendValue_))
          .Default(255)
          .Property("TransparentColor", kBooleanType, ByField(&F::transparentColor_),
                    ByField(&F::transparentColor_))
          .Default(0)
          .Property("TransparentColorValue", kTColorType, ByField(&F::transparentColorValue_),
                    ByField(&F::transparentColorValue_))
          .Default(0)
          .Property("ScreenSnap", kBooleanType, ByField(&F::screenSnap_), ByField(&F::screenSnap_))
          .Default(0)
          .Property("SnapBuffer", kIntegerType, ByField(&F::snapBuffer_), ByField(&F::snapBuffer_))
          .Default(10)
          .Property("PrintScale", kTPrintScaleType, ByField(&F::printScale_),
                    ByField(&F::printScale_))
          .Default(poProportional)
          .Property("KeyPreview", kBooleanType, ByField(&F::keyPreview_), ByField(&F::keyPreview_))
          .Default(0)
          .Property("Caption", kStringType, ByMethod(&F::Caption), ByMethod(&F::SetCaption))
          .Property("Color", kTColorType, ByMethod(&F::Color), ByMethod(&F::SetColor))
          .Property("Font", kTFontType, ByMethod(&F::Font), ByMethod(&F::SetFont))
          .Property("ParentFont", kBooleanType, ByMethod(&F::ParentFont),
                    ByMethod(&F::SetParentFont))
          .Property("OnActivate", kTNotifyEventType, ByField(&F::OnActivate),
                    ByField(&F::OnActivate))
          .Property("OnClose", kTCloseEventType, ByField(&F::OnClose), ByField(&F::OnClose))
          .Property("OnCloseQuery", kTCloseQueryEventType, ByField(&F::OnCloseQuery),
                    ByField(&F::OnCloseQuery))
          .Property("OnCreate", kTNotifyEventType, ByField(&F::OnCreate), ByField(&F::OnCreate))
          .Property("OnDeactivate", kTNotifyEventType, ByField(&F::OnDeactivate),
                    ByField(&F::OnDeactivate))
          .Property("OnDestroy", kTNotifyEventType, ByField(&F::OnDestroy), ByField(&F::OnDestroy))
          .Property("OnHide", kTNotifyEventType, ByField(&F::OnHide), ByField(&F::OnHide))
          .Property("OnPaint", kTNotifyEventType, ByField(&F::OnPaint), ByField(&F::OnPaint))
          .Property("OnShow", kTNotifyEventType, ByField(&F::OnShow), ByField(&F::OnShow))
          .Build());
  return meta;
}
