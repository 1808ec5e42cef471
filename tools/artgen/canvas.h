// Floating-point RGB picture the scene is painted into before encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace artgen {

struct Rgb {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

class Canvas {
 public:
  Canvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Rgb& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // Reads with coordinates clamped to the picture, for reflections and blurs.
  Rgb Sample(int x, int y) const;
  // Paints `color` over the pixel with the given coverage in [0, 1].
  void Blend(int x, int y, Rgb color, float coverage);

  // 8-bit R, G, B triples, top row first, rounded and clamped.
  std::vector<uint8_t> ToRgb8() const;

 private:
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

}  // namespace artgen
