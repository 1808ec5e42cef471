// LineTo and Polyline.
#include "platform/linux/gdi/pen_line.h"

using namespace linux_gdi;

extern "C" {

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  std::optional<DrawTarget> target = BeginDraw(hdc);
  if (!target) return FALSE;
  const POINT from = target->ToSurface(target->state->currentPos.x, target->state->currentPos.y);
  PenLine(*target, target->state->pen).Path({from, target->ToSurface(x, y)});
  target->state->currentPos = {x, y};
  return TRUE;
}

BOOL WINAPI Polyline(HDC hdc, const POINT* apt, int cpt) {
  std::optional<DrawTarget> target = BeginDraw(hdc);
  if (!target) return FALSE;
  if (cpt < 2 || !apt) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<POINT> points;
  points.reserve(static_cast<size_t>(cpt));
  for (int i = 0; i < cpt; ++i) points.push_back(target->ToSurface(apt[i].x, apt[i].y));
  PenLine(*target, target->state->pen).Path(points);
  return TRUE;
}

}  // extern "C"
