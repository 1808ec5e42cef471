#pragma once
// TPicture: holds one graphic of any registered kind and stores it as the block
// "Data": a length byte and the class name (at most 63 characters), then the
// graphic's own payload.
#include <cstdint>
#include <string>

#include "classes/events.h"
#include "classes/persistent.h"
#include "graphics/graphic.h"

class TBitmap;
struct TypeDescriptor;

class TPicture : public TPersistent {
 public:
  static constexpr int kMaxClassNameLength = 63;

  TPicture() = default;
  ~TPicture() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

  TGraphic* Graphic() const { return graphic_; }
  // Copies `graphic` into a new graphic of its class; the caller keeps its own.
  void SetGraphic(TGraphic* graphic);
  int Width() const { return graphic_ ? graphic_->ImageWidth() : 0; }
  int Height() const { return graphic_ ? graphic_->ImageHeight() : 0; }
  // The graphic as a bitmap; any other kind is first replaced by an empty bitmap.
  TBitmap* AsBitmap();
  // Replaces the graphic by a new one of `graphicClass` unless it already is one.
  void ForceGraphicClass(const TGraphicClass& graphicClass);

  void LoadStream(TStream& stream);
  void SaveStream(TStream& stream);

  void Assign(const TPersistent* source) override;
  void AssignTo(TPersistent& dest) const override;
  void DeclareExtraProperties(TFiler& filer) override;

  virtual void NotifyChange();
  virtual void ReportProgress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                              bool redrawNow, const RECT& r, const std::string& msg);

  // The "Data" block: read from a stream holding exactly the block, written to one.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

 private:
  void GraphicChanged(TObject* sender);
  void GraphicProgress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                       const RECT& r, const std::string& msg);
  void Bind(TGraphic* graphic);
  // Frees the old graphic, stores `graphic` (bound) and reports the change.
  void Replace(TGraphic* graphic);

  TGraphic* graphic_ = nullptr;
};

// The published type of picture properties.
extern const TypeDescriptor kTPictureType;
