#include "controls/frame3d.h"

#include "graphics/pen.h"

void DrawFrame3D(TCanvas& canvas, RECT& rect, TColor topColor, TColor bottomColor, int width) {
  canvas.Pen()->SetWidth(1);
  --rect.bottom;
  --rect.right;
  for (int i = 0; i < width; ++i) {
    canvas.Pen()->SetColor(topColor);
    const POINT topLeft[] = {
        {rect.left, rect.bottom}, {rect.left, rect.top}, {rect.right, rect.top}};
    canvas.DrawPolyline(topLeft);
    canvas.Pen()->SetColor(bottomColor);
    const POINT bottomRight[] = {
        {rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left - 1, rect.bottom}};
    canvas.DrawPolyline(bottomRight);
    InflateRect(&rect, -1, -1);
  }
  ++rect.bottom;
  ++rect.right;
}
