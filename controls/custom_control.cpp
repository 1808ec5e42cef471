#include "controls/custom_control.h"

#include "classes/metadata_builder.h"
#include "controls/canvas_lend.h"
#include "runtime/scope_exit.h"

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(new TControlCanvas) {
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintOwnSurface(HDC dc) {
  CanvasLend lend(*canvas_, dc);
  canvas_->SetRightToLeftReading(false);
  DrawContent();
}

void TCustomControl::HandlePaint(MessageRecord& m) {
  // A custom control always takes the paint pass, even without children.
  IncludeStatus(stCustomPaint);
  ScopeExit clear([this] { ExcludeStatus(stCustomPaint); });
  DispatchInherited(TCustomControl::StaticMeta(), m);
}

const MessageTable TCustomControl::kMessages{On<&TCustomControl::HandlePaint>(WM_PAINT)};

const ClassMetadata& TCustomControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticMeta(), "controls")
          .Messages(&TCustomControl::kMessages)
          .Build();
  return meta;
}
