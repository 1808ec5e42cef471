#include "controls/graphic_control.h"

#include "classes/metadata_builder.h"
#include "controls/canvas_lend.h"
#include "controls/mouse_capture.h"
#include "controls/win_control.h"

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(new TControlCanvas) {
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::BeforeDestruction() {
  if (CaptureControl() == this) SetCaptureOwner(nullptr);
  canvas_->FreeDeviceContext();
  TControl::BeforeDestruction();
}

void TGraphicControl::HandlePaint(MessageRecord& m) {
  if (m.WParam == 0) return;
  CanvasLend lend(*canvas_, reinterpret_cast<HDC>(m.WParam));
  DrawContent();
}

const MessageTable TGraphicControl::kMessages{On<&TGraphicControl::HandlePaint>(WM_PAINT)};

const ClassMetadata& TGraphicControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticMeta(), "controls")
          .Messages(&TGraphicControl::kMessages)
          .Build();
  return meta;
}
