// The launcher's artwork: a river valley at dusk with a brass lantern in the
// foreground, painted procedurally and deterministically.
#pragma once

#include "tools/artgen/canvas.h"

namespace artgen {

constexpr int kArtworkWidth = 1152;
constexpr int kArtworkHeight = 846;

// Paints the whole scene at the given size; layout scales with it.
Canvas RenderScene(int width, int height);

}  // namespace artgen
