// The glowing brass lantern that stands in the foreground.
#pragma once

#include "tools/artgen/canvas.h"

namespace artgen {

struct LanternPlacement {
  float centerX;  // axis of the lantern
  float baseY;    // where its foot rests on the ground
  float scale;    // 1.0 is about 270 pixels tall
};

// Where the flame burns: the centre of the lantern's light.
void FlameCenter(const LanternPlacement& at, float* x, float* y);

// Adds the warm light the lantern throws on everything around it.
void AddLanternGlow(Canvas& canvas, const LanternPlacement& at);

// Paints the lantern body: ring, cap, glass with its flame, frame and foot.
void PaintLantern(Canvas& canvas, const LanternPlacement& at);

}  // namespace artgen
