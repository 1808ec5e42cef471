// Deterministic noise for the artwork: integer hashing only, so the same
// coordinates always give the same value with no global random state.
#pragma once

#include <cstdint>

namespace artgen {

// Well-mixed 32-bit hash of a lattice point.
uint32_t Hash(int32_t x, int32_t y, uint32_t seed);

// Hash mapped to [0, 1).
float Hash01(int32_t x, int32_t y, uint32_t seed);

// Smoothly interpolated lattice noise in [0, 1].
float ValueNoise(float x, float y, uint32_t seed);

// Sum of `octaves` layers of value noise, each twice the frequency and half
// the weight of the one before; normalised to [0, 1].
float Fbm(float x, float y, int octaves, uint32_t seed);

// Like Fbm but folded around 0.5, which gives sharp crests (mountain ridges).
float RidgedFbm(float x, float y, int octaves, uint32_t seed);

}  // namespace artgen
