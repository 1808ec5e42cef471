#include "tools/artgen/scene.h"

#include <algorithm>
#include <cmath>

#include "tools/artgen/lantern.h"
#include "tools/artgen/noise.h"

namespace artgen {

namespace {

// Positions of the scene in pixels, derived from the picture size.
struct Layout {
  float w;
  float h;
  float horizon;  // where the valley floor meets the far hills
  float sunX;     // the sun has just set behind the mountains here
};

Rgb SkyGradient(float t) {
  // Deep violet overhead through plum and rose to amber at the horizon.
  struct Stop {
    float at;
    Rgb color;
  };
  static const Stop kStops[] = {
      {0.00f, {0.07f, 0.04f, 0.17f}}, {0.30f, {0.20f, 0.09f, 0.32f}},
      {0.50f, {0.46f, 0.18f, 0.38f}}, {0.64f, {0.80f, 0.36f, 0.32f}},
      {0.78f, {0.97f, 0.58f, 0.30f}}, {1.00f, {1.00f, 0.78f, 0.44f}},
  };
  if (t <= 0.0f) return kStops[0].color;
  for (size_t i = 1; i < sizeof(kStops) / sizeof(kStops[0]); ++i) {
    if (t <= kStops[i].at) {
      const float k = (t - kStops[i - 1].at) / (kStops[i].at - kStops[i - 1].at);
      return Mix(kStops[i - 1].color, kStops[i].color, SmoothStep(0.0f, 1.0f, k));
    }
  }
  return kStops[5].color;
}

Rgb SkyColor(const Layout& l, float x, float y) {
  const float t = Clamp01(y / l.horizon);
  Rgb c = SkyGradient(t);
  const float dx = (x - l.sunX) / l.w;
  const float dy = (y - l.horizon) / l.h;
  const float d2 = dx * dx + 4.0f * dy * dy;
  c = c + Rgb{1.0f, 0.50f, 0.18f} * (0.30f * std::exp(-d2 * 14.0f));
  c = c + Rgb{1.0f, 0.82f, 0.52f} * (0.30f * std::exp(-d2 * 110.0f));
  return c;
}

void PaintSky(Canvas& canvas, const Layout& l) {
  const int bottom = static_cast<int>(l.horizon) + 2;
  for (int y = 0; y < bottom; ++y) {
    for (int x = 0; x < canvas.Width(); ++x) canvas.At(x, y) = SkyColor(l, x + 0.5f, y + 0.5f);
  }
  // A few stars, fading out as the sky warms towards the horizon.
  constexpr int kCell = 44;
  for (int cy = 0; cy * kCell < l.horizon * 0.62f; ++cy) {
    for (int cx = 0; cx * kCell < l.w; ++cx) {
      if (Hash01(cx, cy, 7) > 0.26f) continue;
      const float sx = (cx + Hash01(cx, cy, 8)) * kCell;
      const float sy = (cy + Hash01(cx, cy, 9)) * kCell;
      const float fade = 1.0f - SmoothStep(0.20f, 0.62f, sy / l.horizon);
      const float b = Hash01(cx, cy, 10);
      const float bright = (0.25f + 0.75f * b * b * b) * fade;
      const float radius = 0.55f + 0.75f * b;
      const Rgb tint = Mix(Rgb{0.80f, 0.85f, 1.0f}, Rgb{1.0f, 0.92f, 0.80f}, Hash01(cx, cy, 11));
      for (int y = static_cast<int>(sy) - 4; y <= static_cast<int>(sy) + 4; ++y) {
        for (int x = static_cast<int>(sx) - 4; x <= static_cast<int>(sx) + 4; ++x) {
          if (x < 0 || y < 0 || x >= canvas.Width() || y >= bottom) continue;
          const float ddx = x + 0.5f - sx;
          const float ddy = y + 0.5f - sy;
          const float g = std::exp(-(ddx * ddx + ddy * ddy) / (2.0f * radius * radius));
          canvas.At(x, y) = canvas.At(x, y) + tint * (bright * g);
        }
      }
    }
  }
  // Thin bands of cloud, dark violet above and lit rose-gold from below.
  for (int y = 0; y < bottom; ++y) {
    const float t = (y + 0.5f) / l.horizon;
    const float band = SmoothStep(0.10f, 0.30f, t) * (1.0f - SmoothStep(0.60f, 0.85f, t));
    if (band <= 0.0f) continue;
    const Rgb lit =
        Mix(Rgb{0.30f, 0.15f, 0.33f}, Rgb{1.0f, 0.60f, 0.42f}, SmoothStep(0.35f, 0.9f, t));
    for (int x = 0; x < canvas.Width(); ++x) {
      const float warp = Fbm(x / 400.0f, y / 90.0f, 3, 12);
      const float n = Fbm(x / 240.0f + warp * 1.5f, y / 30.0f, 6, 13);
      const float density = SmoothStep(0.50f, 0.74f, n) * band;
      if (density <= 0.0f) continue;
      const float underside =
          SmoothStep(0.55f, 0.70f, Fbm(x / 240.0f + warp * 1.5f, (y - 4) / 30.0f, 4, 13));
      const Rgb c = Mix(lit, lit * 0.75f, underside * 0.6f);
      canvas.Blend(x, y, c, density * 0.8f);
    }
  }
}

struct Ridge {
  float base;       // fraction of the height above the horizon at the lowest points
  float amplitude;  // fraction of the height the peaks add
  float frequency;  // crests across the picture
  uint32_t seed;
  bool ridged;
  Rgb color;
  float haze;  // how much of the sky near the horizon mixes in
  float rim;   // sunset light along the crest
};

float RidgeY(const Layout& l, const Ridge& r, float x) {
  const float u = x / l.w * r.frequency;
  const float n = r.ridged ? RidgedFbm(u, 0.37f, 6, r.seed) : Fbm(u, 0.37f, 5, r.seed);
  return l.horizon - l.h * (r.base + r.amplitude * n);
}

void PaintRidge(Canvas& canvas, const Layout& l, const Ridge& r, bool trees) {
  const int bottom = static_cast<int>(l.horizon) + 2;
  for (int x = 0; x < canvas.Width(); ++x) {
    float top = RidgeY(l, r, x + 0.5f);
    if (trees) {
      // A ragged tree line on the nearest hills.
      top -= l.h * 0.016f * Fbm(x / 5.0f, 3.0f, 3, r.seed + 1) *
             SmoothStep(0.35f, 0.6f, Fbm(x / 90.0f, 1.0f, 2, r.seed + 2));
    }
    const Rgb haze = SkyColor(l, x + 0.5f, l.horizon * 0.86f);
    const float sunward = std::exp(-std::pow((x - l.sunX) / (0.33f * l.w), 2.0f));
    for (int y = static_cast<int>(top) - 1; y < bottom; ++y) {
      if (y < 0) continue;
      const float coverage = Clamp01(y + 0.5f - top + 0.5f);
      if (coverage <= 0.0f) continue;
      const float depth = Clamp01((y - top) / (l.horizon - top + 1.0f));
      const float rock = 0.80f + 0.40f * Fbm(x / 16.0f, y / 11.0f, 4, r.seed + 5);
      Rgb c = r.color * rock;
      // Mist gathers in the low ground at the foot of each range.
      c = Mix(c, haze, r.haze + (0.40f - r.haze * 0.4f) * depth * depth * depth);
      const float rim = std::exp(-(y - top) / 2.2f) * r.rim * (0.35f + 0.65f * sunward);
      c = c + Rgb{1.0f, 0.55f, 0.28f} * rim;
      canvas.Blend(x, y, c, coverage);
    }
  }
}

float RiverCenter(const Layout& l, float t, float z) {
  return l.w * 0.5f + l.w * (t + 0.035f) * 0.34f * std::sin(0.55f * z - 0.22f);
}

float RiverHalfWidth(const Layout& l, float t, float z) {
  return l.w * (t + 0.035f) * (0.15f + 0.02f * std::sin(z * 1.7f));
}

float MoundTop(const Layout& l, float x) {
  const float bump = std::exp(-std::pow((x - l.w * 0.13f) / (l.w * 0.24f), 2.0f));
  return l.h * 1.06f - l.h * 0.34f * bump - 10.0f * Fbm(x / 60.0f, 5.0f, 3, 61);
}

void PaintValley(Canvas& canvas, const Layout& l) {
  const int top = static_cast<int>(l.horizon);
  const Rgb farGround{0.30f, 0.17f, 0.25f};
  const Rgb nearGround{0.075f, 0.078f, 0.066f};
  for (int y = top; y < canvas.Height(); ++y) {
    const float t = (y + 0.5f - l.horizon) / (l.h - l.horizon);
    const float z = 1.0f / (t + 0.035f);
    const float fog = std::exp(-t * 7.0f);
    const float center = RiverCenter(l, t, z);
    const float halfWidth = RiverHalfWidth(l, t, z);
    const int mirrorY = static_cast<int>(2.0f * l.horizon - y);
    for (int x = 0; x < canvas.Width(); ++x) {
      const float wx = (x + 0.5f - l.w * 0.5f) / (l.w * (t + 0.035f));
      // Fields and meadows in perspective, with finer grass close by.
      const float fields = Fbm(wx * 1.6f, z * 0.7f, 5, 51);
      const float grass = Fbm(wx * 24.0f, z * 9.0f, 3, 52);
      // Hedgerows and copses: darker patches where the field noise is high.
      const float copse = SmoothStep(0.62f, 0.68f, Fbm(wx * 6.0f + 9.0f, z * 2.5f, 5, 53));
      Rgb ground = nearGround * (0.55f + 0.9f * fields) * (0.80f + 0.4f * grass * (0.3f + t));
      ground = ground * (1.0f - 0.35f * copse);
      ground = Mix(ground, farGround, fog);
      const float edge = std::fabs(x + 0.5f - center) - halfWidth;
      // Wet, darker soil and a pale line of shore along the water.
      const float shore = 1.0f - SmoothStep(0.0f, 2.0f + 10.0f * t, edge);
      ground = Mix(ground, ground * 0.6f + Rgb{0.05f, 0.04f, 0.05f}, shore);
      const float water = Clamp01(0.5f - edge);
      if (water > 0.0f) {
        const float rx = (ValueNoise(wx * 6.0f, z * 14.0f, 71) - 0.5f) * 22.0f * t;
        const float ry = (ValueNoise(wx * 9.0f, z * 20.0f, 72) - 0.5f) * 8.0f * (t + 0.1f);
        // Only rows above the valley hold the sky and hills being reflected.
        const int sy = std::min(static_cast<int>(mirrorY + ry), top - 1);
        Rgb refl = canvas.Sample(static_cast<int>(x + rx), sy);
        refl = refl * Rgb{0.80f, 0.82f, 0.92f};
        Rgb w = Mix(refl, Rgb{0.04f, 0.04f, 0.09f}, 0.35f * t);
        // Long ripple highlights catch the amber afterglow.
        const float ripple =
            ValueNoise(wx * 14.0f, z * 45.0f, 73) * ValueNoise(wx * 3.0f, z * 6.0f, 74);
        w = w + Rgb{1.0f, 0.65f, 0.35f} *
                    (0.30f * SmoothStep(0.45f, 0.75f, ripple) * (1.0f - fog * 0.5f));
        const float lip = std::exp(-std::fabs(edge + 1.5f + 2.0f * t) / (0.8f + 1.5f * t));
        w = w + Rgb{0.55f, 0.35f, 0.30f} * (0.25f * lip);
        canvas.At(x, y) = Mix(ground, w, water);
      } else {
        canvas.At(x, y) = ground;
      }
    }
  }
}

// Dark firs scattered over the valley floor, smaller and mistier with distance.
void PaintTrees(Canvas& canvas, const Layout& l) {
  constexpr int kTrees = 150;
  // Far trees first so nearer ones overlap them: depth rises with the index.
  for (int i = 0; i < kTrees; ++i) {
    const float t = 0.03f + 0.30f * (i + Hash01(i, 0, 91)) / kTrees;
    const float z = 1.0f / (t + 0.035f);
    const float baseY = l.horizon + t * (l.h - l.horizon);
    const float x = Hash01(i, 1, 91) * l.w;
    const float height = l.h * (t + 0.035f) * (0.16f + 0.14f * Hash01(i, 2, 91));
    const float halfBase = height * 0.26f;
    const float clearance = RiverHalfWidth(l, t, z) + halfBase + 0.02f * l.w;
    if (std::fabs(x - RiverCenter(l, t, z)) < clearance) continue;
    // Firs grow in groves rather than evenly.
    if (Fbm(x / l.w * 5.0f, z * 0.35f, 3, 92) < 0.52f) continue;
    const float fog = std::exp(-t * 7.0f);
    const Rgb color = Mix(Rgb{0.030f, 0.032f, 0.045f}, Rgb{0.26f, 0.14f, 0.22f}, fog * 0.85f);
    for (int y = static_cast<int>(baseY - height) - 1; y <= static_cast<int>(baseY); ++y) {
      const float s = Clamp01((baseY - (y + 0.5f)) / height);  // 0 at the foot, 1 at the tip
      // Tiers of branches: each widens and then steps in.
      const float tier = s * 4.0f - std::floor(s * 4.0f);
      float half = halfBase * (1.0f - s) * (0.65f + 0.35f * (1.0f - tier));
      if (s < 0.08f) half = std::max(half * 0.25f, 0.8f);  // trunk
      for (int px = static_cast<int>(x - half) - 1; px <= static_cast<int>(x + half) + 1; ++px) {
        const float coverage = Clamp01(half + 0.5f - std::fabs(px + 0.5f - x));
        canvas.Blend(px, y, color, coverage);
      }
    }
  }
}

void PaintGrassBlade(Canvas& canvas, float x0, float base, float height, float lean, Rgb color) {
  const int yTop = static_cast<int>(base - height);
  for (int y = yTop; y <= static_cast<int>(base); ++y) {
    const float s = Clamp01((base - (y + 0.5f)) / height);
    const float cx = x0 + lean * s * s;
    const float half = 1.3f * (1.0f - s) + 0.25f;
    for (int x = static_cast<int>(cx - half) - 1; x <= static_cast<int>(cx + half) + 1; ++x) {
      const float coverage = Clamp01(half + 0.5f - std::fabs(x + 0.5f - cx));
      canvas.Blend(x, y, color, coverage);
    }
  }
}

void PaintForeground(Canvas& canvas, const Layout& l) {
  const Rgb soil{0.060f, 0.048f, 0.045f};
  for (int x = 0; x < canvas.Width(); ++x) {
    const float top = MoundTop(l, x + 0.5f);
    for (int y = static_cast<int>(top) - 1; y < canvas.Height(); ++y) {
      if (y < 0) continue;
      const float coverage = Clamp01(y + 1.0f - top);
      const float tex = 0.7f + 0.6f * Fbm(x / 9.0f, y / 7.0f, 4, 62);
      canvas.Blend(x, y, soil * tex, coverage);
    }
  }
  // Grass along the crest of the knoll and at the water's edge.
  for (int i = 0; i < 420; ++i) {
    const float x0 = Hash01(i, 0, 63) * l.w * 0.56f;
    const float top = MoundTop(l, x0);
    if (top >= l.h) continue;
    const float height = 10.0f + 34.0f * Hash01(i, 1, 63) * Hash01(i, 2, 63) + 8.0f;
    const float lean = (Hash01(i, 3, 63) - 0.45f) * 18.0f;
    const float shade = 0.6f + 0.8f * Hash01(i, 4, 63);
    PaintGrassBlade(canvas, x0, top + 3.0f, height, lean, Rgb{0.045f, 0.055f, 0.035f} * shade);
  }
}

void ApplyVignetteAndGrain(Canvas& canvas, const Layout& l) {
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const float dx = (x + 0.5f) / l.w - 0.5f;
      const float dy = (y + 0.5f) / l.h - 0.5f;
      const float v = 1.0f - 0.45f * (dx * dx * 1.1f + dy * dy * 1.3f);
      // Fine grain hides banding in the long gradients.
      const float grain = (Hash01(x, y, 99) - 0.5f) * 0.019f;
      Rgb& p = canvas.At(x, y);
      p = p * v + Rgb{grain, grain, grain};
    }
  }
}

}  // namespace

Canvas RenderScene(int width, int height) {
  Canvas canvas(width, height);
  const Layout l{static_cast<float>(width), static_cast<float>(height), height * 0.47f,
                 width * 0.63f};
  PaintSky(canvas, l);
  const Ridge far{0.035f, 0.16f, 5.0f, 21, true, {0.27f, 0.16f, 0.36f}, 0.12f, 0.30f};
  const Ridge middle{0.012f, 0.09f, 6.5f, 33, true, {0.13f, 0.07f, 0.17f}, 0.06f, 0.18f};
  const Ridge near{0.002f, 0.05f, 6.0f, 45, false, {0.055f, 0.045f, 0.075f}, 0.04f, 0.08f};
  PaintRidge(canvas, l, far, false);
  PaintRidge(canvas, l, middle, false);
  PaintRidge(canvas, l, near, true);
  PaintValley(canvas, l);
  PaintTrees(canvas, l);
  PaintForeground(canvas, l);
  const LanternPlacement lantern{l.w * 0.15f, MoundTop(l, l.w * 0.15f) + 6.0f, height / 846.0f};
  AddLanternGlow(canvas, lantern);
  PaintLantern(canvas, lantern);
  ApplyVignetteAndGrain(canvas, l);
  return canvas;
}

}  // namespace artgen
