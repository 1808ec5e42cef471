// Drawing whole graphics onto a canvas; the graphic draws itself.
#include "graphics/canvas.h"
#include "graphics/graphic.h"

void TCanvas::DrawGraphic(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->IsEmpty()) return;
  NotifyChanging();
  EnsureState(TCanvasState::HasDeviceContext);
  SetBkColor(handle_, ResolveColor(brush_->Color()));
  SetTextColor(handle_, ResolveColor(font_->Color()));
  const RECT rect = {x, y, x + graphic->ImageWidth(), y + graphic->ImageHeight()};
  graphic->DrawInto(this, rect);
  NotifyChange();
}

void TCanvas::StretchGraphic(const RECT& rect, TGraphic* graphic) {
  if (!graphic) return;
  NotifyChanging();
  EnsureState(TCanvasState::All);
  graphic->DrawInto(this, rect);
  NotifyChange();
}
