#include "tools/artgen/noise.h"

#include <cmath>

namespace artgen {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B9u;
  h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

float Hash01(int32_t x, int32_t y, uint32_t seed) {
  return static_cast<float>(Hash(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

namespace {

float Fade(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float ValueNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx);
  const int32_t iy = static_cast<int32_t>(fy);
  const float tx = Fade(x - fx);
  const float ty = Fade(y - fy);
  const float a = Hash01(ix, iy, seed);
  const float b = Hash01(ix + 1, iy, seed);
  const float c = Hash01(ix, iy + 1, seed);
  const float d = Hash01(ix + 1, iy + 1, seed);
  const float top = a + (b - a) * tx;
  const float bottom = c + (d - c) * tx;
  return top + (bottom - top) * ty;
}

float Fbm(float x, float y, int octaves, uint32_t seed) {
  float sum = 0.0f;
  float weight = 0.5f;
  float total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u);
    total += weight;
    x *= 2.0f;
    y *= 2.0f;
    weight *= 0.5f;
  }
  return sum / total;
}

float RidgedFbm(float x, float y, int octaves, uint32_t seed) {
  float sum = 0.0f;
  float weight = 0.5f;
  float total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    const float n = ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 131u);
    sum += weight * (1.0f - std::fabs(2.0f * n - 1.0f));
    total += weight;
    x *= 2.0f;
    y *= 2.0f;
    weight *= 0.5f;
  }
  return sum / total;
}

}  // namespace artgen
