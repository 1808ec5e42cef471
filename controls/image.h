#pragma once
// TImage: a non-windowed control that draws a picture into a rectangle worked out from
// Stretch, Proportional and Center. It is opaque exactly when a non-transparent graphic
// covers its whole rectangle, so its parent can skip painting beneath it.
#include <string>

#include "controls/graphic_control.h"
#include "graphics/picture.h"

extern const TypeDescriptor kTProgressEventType;

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const TPicture* value) { picture_->Assign(value); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool IncrementalDisplay() const { return incrementalDisplay_; }
  void SetIncrementalDisplay(bool value) { incrementalDisplay_ = value; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool value);
  // True while the image paints itself.
  bool Drawing() const { return drawing_; }

  TProgressEvent OnProgress;

  // Where the picture goes, in client coordinates.
  RECT ImageDestRect();
  bool MayAutoSize(int32_t& newWidth, int32_t& newHeight) override;

 protected:
  void DrawContent() override;

 private:
  void PictureChanged(TObject* sender);
  void PictureProgress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                       const RECT& r, const std::string& msg);
  // Offers a changed palette of the graphic to the form; true when it asked for one.
  bool RealizePalette();
  void ChangeSetting(bool& setting, bool value);

  TOwnedPtr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool incrementalDisplay_ = false;
  bool transparent_ = false;
  bool drawing_ = false;
  bool proportional_ = false;
};
