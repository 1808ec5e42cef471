#pragma once
// The raised/lowered frame panels draw for their bevels and border.
#include "graphics/canvas.h"

// Draws `width` nested one-pixel frames, the top and left sides in `topColor`, the
// right and bottom sides in `bottomColor`, and insets `rect` by `width` on each side.
// A width of 0 (or less) draws nothing and leaves the rect as it is.
void DrawFrame3D(TCanvas& canvas, RECT& rect, TColor topColor, TColor bottomColor, int width);
