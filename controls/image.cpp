#include "controls/image.h"

#include "classes/metadata_builder.h"
#include "controls/picture_placement.h"
#include "controls/published_properties.h"
#include "controls/win_control.h"
#include "graphics/file_formats.h"
#include "graphics/pen.h"
#include "runtime/scope_exit.h"

namespace {
constexpr MethodParam kProgressParams[] = {{"Sender", "TObject"},   {"Stage", "TProgressStage"},
                                           {"PercentDone", "Byte"}, {"RedrawNow", "Boolean"},
                                           {"R", "TRect"},          {"Msg", "string"}};
}  // namespace

constinit const TypeDescriptor kTProgressEventType =
    MethodType<TObject*, TProgressStage, uint8_t, bool, const RECT&, const std::string&>(
        "TProgressEvent", kProgressParams);

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(new TPicture) {
  IncludeTrait(ctReplicatable);
  IncludeTrait(ctPannable);
  picture_->OnChange = TNotifyEvent::Bind<&TImage::PictureChanged>(this);
  picture_->OnProgress = TProgressEvent::Bind<&TImage::PictureProgress>(this);
  SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() = default;

void TImage::ChangeSetting(bool& setting, bool value) {
  if (value == setting) return;
  setting = value;
  PictureChanged(this);
}

void TImage::SetStretch(bool value) { ChangeSetting(stretch_, value); }
void TImage::SetCenter(bool value) { ChangeSetting(center_, value); }
void TImage::SetTransparent(bool value) { ChangeSetting(transparent_, value); }
void TImage::SetProportional(bool value) { ChangeSetting(proportional_, value); }

RECT TImage::ImageDestRect() {
  return PicturePlacement(picture_->Width(), picture_->Height(), ClientWidth(), ClientHeight(),
                          PictureFit{stretch_, proportional_, center_});
}

bool TImage::MayAutoSize(int32_t& newWidth, int32_t& newHeight) {
  const int width = picture_->Width();
  const int height = picture_->Height();
  if (HasState(stDesigning) && width == 0 && height == 0) return true;
  const TAlign align = Align();
  if (align == alNone || align == alLeft || align == alRight) newWidth = width;
  if (align == alNone || align == alTop || align == alBottom) newHeight = height;
  return true;
}

void TImage::DrawContent() {
  TCanvas& canvas = *Canvas();
  if (HasState(stDesigning)) {
    canvas.Pen()->SetStyle(psDash);
    canvas.Brush()->SetStyle(bsClear);
    canvas.DrawRectangle(0, 0, Width(), Height());
  }
  ScopeExit restore([this, saved = drawing_] { drawing_ = saved; });
  drawing_ = true;
  canvas.StretchGraphic(ImageDestRect(), picture_->Graphic());
}

bool TImage::RealizePalette() {
  TGraphic* graphic = picture_->Graphic();
  if (!Visible() || HasState(stLoading) || graphic == nullptr || !graphic->PaletteModified()) {
    return false;
  }
  if (graphic->PaletteHandle() == nullptr) {
    graphic->SetPaletteModified(false);
    return false;
  }
  TWinControl* form = Parent();
  while (form != nullptr && !form->IsForm()) form = form->Parent();
  if (form == nullptr || !form->HandleAllocated() || GetActiveWindow() != form->HandleValue()) {
    return false;
  }
  if (drawing_) {
    Deliver(form, WM_QUERYNEWPALETTE);
  } else {
    PostMessageA(form->HandleValue(), WM_QUERYNEWPALETTE, 0, 0);
  }
  graphic->SetPaletteModified(false);
  return true;
}

void TImage::PictureChanged(TObject* /*sender*/) {
  const int width = picture_->Width();
  const int height = picture_->Height();
  if (TControl::AutoSize() && width > 0 && height > 0) ApplyBounds(Left(), Top(), width, height);
  if (TGraphic* graphic = picture_->Graphic()) {
    if (!graphic->InheritsFrom(TMetafile::StaticMeta()) &&
        !graphic->InheritsFrom(TIcon::StaticMeta())) {
      graphic->SetTransparentFlag(transparent_);
    }
    const RECT dest = ImageDestRect();
    if (!graphic->IsTransparent() && dest.left <= 0 && dest.top <= 0 && dest.right >= Width() &&
        dest.bottom >= Height()) {
      IncludeTrait(ctOpaque);
    } else {
      ExcludeTrait(ctOpaque);
    }
    if (RealizePalette() && drawing_) FlushPaint();
  } else {
    ExcludeTrait(ctOpaque);
  }
  if (!drawing_) QueueRepaint();
}

void TImage::PictureProgress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                             bool redrawNow, const RECT& r, const std::string& msg) {
  if (redrawNow && incrementalDisplay_) {
    if (RealizePalette()) {
      FlushPaint();
    } else {
      DrawContent();
    }
  }
  OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

const ClassMetadata& TImage::StaticMeta() {
  static const ClassMetadata meta = [] {
    ClassBuilder<TImage> b("TImage", &TGraphicControl::StaticMeta(), "controls");
    b.Constructor();
    PublishControlProperties(b, {pcAlign, pcAnchors, pcAutoSize});
    b.Property("Center", kBooleanType, ByMethod(&TImage::Center), ByMethod(&TImage::SetCenter))
        .Default(0);
    PublishControlProperties(b, {pcConstraints, pcDragCursor, pcDragMode, pcEnabled});
    b.Property("IncrementalDisplay", kBooleanType, ByMethod(&TImage::IncrementalDisplay),
               ByMethod(&TImage::SetIncrementalDisplay))
        .Default(0);
    PublishControlProperties(b, {pcParentShowHint});
    b.Property("Picture", kTPictureType, ByMethod(&TImage::Picture), ByMethod(&TImage::SetPicture));
    b.Property("Proportional", kBooleanType, ByMethod(&TImage::Proportional),
               ByMethod(&TImage::SetProportional))
        .Default(0);
    PublishControlProperties(b, {pcShowHint});
    b.Property("Stretch", kBooleanType, ByMethod(&TImage::Stretch), ByMethod(&TImage::SetStretch))
        .Default(0);
    b.Property("Transparent", kBooleanType, ByMethod(&TImage::Transparent),
               ByMethod(&TImage::SetTransparent))
        .Default(0);
    PublishControlProperties(
        b, {pcVisible, pcOnClick, pcOnDblClick, pcOnMouseActivate, pcOnMouseDown, pcOnMouseEnter,
            pcOnMouseLeave, pcOnMouseMove, pcOnMouseUp});
    b.Property("OnProgress", kTProgressEventType, ByField(&TImage::OnProgress),
               ByField(&TImage::OnProgress));
    return b.Build();
  }();
  return meta;
}
