#include "tools/artgen/lantern.h"

#include <algorithm>
#include <cmath>

#include "tools/artgen/noise.h"

namespace artgen {

namespace {

// Lantern geometry in its own units: u across (0 on the axis), v up from the
// foot. One unit is one pixel at scale 1.
constexpr float kFlameV = 84.0f;
constexpr float kGlassBottom = 26.0f;
constexpr float kGlassTop = 160.0f;
constexpr float kGlassHalf = 44.0f;

const Rgb kBrassDark{0.20f, 0.11f, 0.04f};
const Rgb kBrass{0.74f, 0.51f, 0.20f};
const Rgb kBrassShine{1.0f, 0.90f, 0.62f};
const Rgb kWarm{1.0f, 0.58f, 0.22f};

// Half width of the metal body at height v, or a negative number where there is none.
float BodyHalfWidth(float v) {
  if (v < 0.0f) return -1.0f;
  if (v < 10.0f) return 58.0f;                // foot
  if (v < 18.0f) return 58.0f - (v - 10.0f);  // bevel of the foot
  if (v < kGlassBottom) return 51.0f;         // lower rim
  if (v < kGlassTop) return kGlassHalf;       // glass chamber
  if (v < 170.0f) return 54.0f;               // upper rim
  if (v < 214.0f) {                           // domed cap
    const float k = (v - 170.0f) / 50.0f;
    return 54.0f * std::sqrt(1.0f - k * k);
  }
  if (v < 232.0f) return 13.0f;  // chimney
  if (v < 238.0f) return 17.0f;  // chimney hat
  return -1.0f;
}

// Polished brass on a cylinder: dark at the sides, a bright streak where the
// sky catches it, and warm light on the parts the flame faces.
Rgb BrassShade(float nx, float u, float v, float flameLight) {
  const float facing = std::sqrt(std::max(0.0f, 1.0f - nx * nx));
  Rgb c = Mix(kBrassDark, kBrass, facing);
  c = c + kBrassShine * (0.75f * std::exp(-std::pow((nx + 0.42f) / 0.13f, 2.0f)));
  c = c + Rgb{0.85f, 0.45f, 0.40f} * (0.30f * std::exp(-std::pow((nx - 0.78f) / 0.12f, 2.0f)));
  c = c * (0.82f + 0.30f * Fbm(u / 5.0f, v / 5.0f, 3, 81));
  return c + kWarm * flameLight;
}

Rgb GlassColor(float u, float v) {
  const float du = u / kGlassHalf;
  const float dv = (v - kFlameV) / 80.0f;
  const float r = std::sqrt(du * du + dv * dv);
  Rgb c = Mix(Rgb{1.0f, 0.92f, 0.66f}, Rgb{0.90f, 0.42f, 0.10f}, SmoothStep(0.0f, 1.15f, r));
  // Soot darkens the top of the chamber a little.
  c = c * (1.0f - 0.25f * SmoothStep(110.0f, 160.0f, v));
  // Reflection of the sky on the curved glass.
  c = c + Rgb{0.9f, 0.85f, 0.9f} *
              (0.22f * std::exp(-std::pow((u + 27.0f) / 3.5f, 2.0f)) * SmoothStep(30.0f, 60.0f, v) *
               (1.0f - SmoothStep(130.0f, 155.0f, v)));
  // The flame: a teardrop with a white core.
  const float q = (v - 56.0f) / 64.0f;
  if (q > 0.0f && q < 1.0f) {
    const float half = 12.0f * std::sin(3.14159265f * std::pow(q, 0.65f)) * (1.0f - 0.35f * q);
    const float inside = Clamp01((half - std::fabs(u)) / 2.5f);
    const float core = Clamp01(1.0f - std::fabs(u) / std::max(half, 0.5f));
    const Rgb flame =
        Mix(Rgb{1.0f, 0.62f, 0.16f}, Rgb{1.0f, 0.99f, 0.90f}, core * (1.0f - q * 0.5f));
    c = Mix(c, flame, inside);
  }
  // The wick.
  if (v > 48.0f && v < 57.0f && std::fabs(u) < 1.6f) c = Rgb{0.15f, 0.08f, 0.04f};
  return c;
}

}  // namespace

void FlameCenter(const LanternPlacement& at, float* x, float* y) {
  *x = at.centerX;
  *y = at.baseY - kFlameV * at.scale;
}

void AddLanternGlow(Canvas& canvas, const LanternPlacement& at) {
  float fx = 0.0f;
  float fy = 0.0f;
  FlameCenter(at, &fx, &fy);
  const float near = 75.0f * at.scale;
  const float far = 150.0f * at.scale;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const float dx = x + 0.5f - fx;
      const float dy = (y + 0.5f - fy) * 1.1f;
      const float d2 = dx * dx + dy * dy;
      const float glow = 0.60f * std::exp(-d2 / (near * near)) + 0.45f / (1.0f + d2 / (far * far));
      Rgb& p = canvas.At(x, y);
      p = p + kWarm * glow;
    }
  }
}

void PaintLantern(Canvas& canvas, const LanternPlacement& at) {
  const float s = at.scale;
  const int x0 = static_cast<int>(at.centerX - 62.0f * s) - 2;
  const int x1 = static_cast<int>(at.centerX + 62.0f * s) + 2;
  const int y0 = static_cast<int>(at.baseY - 295.0f * s) - 2;
  const int y1 = static_cast<int>(at.baseY) + 2;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      if (x < 0 || y < 0 || x >= canvas.Width() || y >= canvas.Height()) continue;
      const float u = (x + 0.5f - at.centerX) / s;
      const float v = (at.baseY - (y + 0.5f)) / s;
      // Carrying ring above the chimney.
      const float ringDist = std::fabs(std::hypot(u, v - 262.0f) - 22.0f);
      if (v > 236.0f && ringDist < 4.5f) {
        const float cover = Clamp01((4.0f - ringDist) * s + 0.5f);
        const float nx = std::clamp(u / 26.0f, -1.0f, 1.0f);
        canvas.Blend(x, y, BrassShade(nx, u, v, 0.0f), cover);
      }
      const float half = BodyHalfWidth(v);
      if (half <= 0.0f) continue;
      const float cover = Clamp01((half - std::fabs(u)) * s + 0.5f);
      if (cover <= 0.0f) continue;
      Rgb c;
      const bool glass = v >= kGlassBottom && v < kGlassTop;
      if (glass && std::fabs(u) < 37.0f) {
        c = GlassColor(u, v);
        // Two thin wires of the guard, dark against the light.
        for (float wire : {-18.0f, 18.0f}) {
          const float wc = Clamp01(1.6f - std::fabs(u - wire) * s);
          c = Mix(c, Rgb{0.22f, 0.11f, 0.04f}, wc * 0.9f);
        }
      } else if (glass) {
        // Corner posts of the frame, lit from the inside edge.
        const float nx = std::clamp((std::fabs(u) - 40.5f) / 4.0f, -1.0f, 1.0f);
        c = BrassShade(u < 0 ? nx : -nx, u, v, 0.25f * (1.0f - SmoothStep(-1.0f, 0.5f, nx)));
      } else {
        float light = 0.0f;
        // Rims next to the glass catch the flame's light.
        if (v >= 18.0f && v < kGlassBottom) light = 0.35f * SmoothStep(18.0f, kGlassBottom, v);
        if (v >= kGlassTop && v < 172.0f) light = 0.45f * (1.0f - SmoothStep(kGlassTop, 172.0f, v));
        c = BrassShade(u / half, u, v, light);
      }
      canvas.Blend(x, y, c, cover);
    }
  }
}

}  // namespace artgen
