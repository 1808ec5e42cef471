#include "tools/artgen/canvas.h"

#include <algorithm>
#include <cmath>

namespace artgen {

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float SmoothStep(float edge0, float edge1, float v) {
  const float t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

Rgb Canvas::Sample(int x, int y) const {
  x = std::clamp(x, 0, width_ - 1);
  y = std::clamp(y, 0, height_ - 1);
  return At(x, y);
}

void Canvas::Blend(int x, int y, Rgb color, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0.0f) return;
  Rgb& p = At(x, y);
  p = Mix(p, color, Clamp01(coverage));
}

std::vector<uint8_t> Canvas::ToRgb8() const {
  std::vector<uint8_t> out;
  out.reserve(pixels_.size() * 3);
  auto byte = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); };
  for (const Rgb& p : pixels_) {
    out.push_back(byte(p.r));
    out.push_back(byte(p.g));
    out.push_back(byte(p.b));
  }
  return out;
}

}  // namespace artgen
