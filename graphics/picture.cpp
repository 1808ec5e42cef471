#include "graphics/picture.h"

#include <memory>

#include "classes/filer.h"
#include "classes/metadata_builder.h"
#include "classes/streams.h"
#include "graphics/bitmap.h"
#include "graphics/file_formats.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

constinit const TypeDescriptor kTPictureType = ClassType("TPicture", &TPicture::StaticMeta);

const ClassMetadata& TPicture::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TPicture>("TPicture", &TPersistent::StaticMeta(), "graphics").Build();
  return meta;
}

TPicture::~TPicture() { TObject::FreeObject(graphic_); }

void TPicture::Bind(TGraphic* graphic) {
  if (!graphic) return;
  graphic->OnChange = TNotifyEvent::Bind<&TPicture::GraphicChanged>(this);
  graphic->OnProgress = TProgressEvent::Bind<&TPicture::GraphicProgress>(this);
}

void TPicture::Replace(TGraphic* graphic) {
  TGraphic* old = graphic_;
  graphic_ = graphic;
  Bind(graphic);
  TObject::FreeObject(old);
  NotifyChange();
}

// Frees a half-made graphic if copying into it fails.
using GraphicHolder = std::unique_ptr<TGraphic, FreeDeleter>;

void TPicture::SetGraphic(TGraphic* graphic) {
  if (!graphic) {
    Replace(nullptr);
    return;
  }
  GraphicHolder copy(graphic->GraphicClass().construct());
  copy->Assign(graphic);
  Replace(copy.release());
}

TBitmap* TPicture::AsBitmap() {
  ForceGraphicClass(TBitmap::StaticClass());
  return static_cast<TBitmap*>(graphic_);
}

void TPicture::ForceGraphicClass(const TGraphicClass& graphicClass) {
  if (graphic_ && graphic_->GraphicClass().InheritsFrom(graphicClass)) return;
  Replace(graphicClass.construct());
}

void TPicture::LoadStream(TStream& stream) { AsBitmap()->LoadStream(stream); }

void TPicture::SaveStream(TStream& stream) { AsBitmap()->SaveStream(stream); }

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<const TPicture*>(source)) {
    SetGraphic(picture->graphic_);
  } else if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(const_cast<TGraphic*>(graphic));
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent& dest) const {
  if (graphic_ && &dest.Meta() == &graphic_->Meta()) {
    dest.Assign(graphic_);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::NotifyChange() { OnChange(this); }

void TPicture::ReportProgress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                              bool redrawNow, const RECT& r, const std::string& msg) {
  OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void TPicture::GraphicChanged(TObject*) { NotifyChange(); }

void TPicture::GraphicProgress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                               bool redrawNow, const RECT& r, const std::string& msg) {
  ReportProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void TPicture::ReadData(TStream& stream) {
  uint8_t length = 0;
  stream.ReadBuffer(&length, 1);
  // The writer never stores more than the name field holds; a longer name cannot
  // be a registered class, and reading it would overrun the field.
  if (length > kMaxClassNameLength) throw EReadError(msg::kInvalidStreamFormat, {});
  char name[kMaxClassNameLength];
  stream.ReadBuffer(name, length);
  const TGraphicClass* graphicClass = FindGraphicClass(std::string_view(name, length));
  GraphicHolder graphic;
  if (graphicClass) {
    graphic.reset(graphicClass->construct());
    graphic->ReadPayload(stream);
  }
  Replace(graphic.release());
}

void TPicture::WriteData(TStream& stream) {
  if (!graphic_) {
    const uint8_t zero = 0;
    stream.WriteBuffer(&zero, 1);
    return;
  }
  std::string_view name = graphic_->ClassName();
  if (name.size() > kMaxClassNameLength) name = name.substr(0, kMaxClassNameLength);
  const auto length = static_cast<uint8_t>(name.size());
  stream.WriteBuffer(&length, 1);
  stream.WriteBuffer(name.data(), length);
  graphic_->WritePayload(stream);
}

void TPicture::DeclareExtraProperties(TFiler& filer) {
  bool hasData;
  TPersistent* ancestor = filer.Ancestor();
  if (!ancestor) {
    hasData = graphic_ != nullptr;
  } else if (auto* picture = dynamic_cast<TPicture*>(ancestor)) {
    TGraphic* other = picture->graphic_;
    hasData = !(graphic_ == other || (graphic_ && other && graphic_->SameImage(other)));
  } else {
    hasData = true;
  }
  filer.DefineBlob(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, hasData);
}
