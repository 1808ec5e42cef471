// Reads a finished artwork file back and checks every property the launcher's
// picture relies on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

struct ArtworkShape {
  size_t fileSize;
  int width;
  int height;
};

// Returns an empty string when `jpeg` is a single-scan baseline JFIF file of
// exactly the given size and dimensions, 8-bit YCbCr with luminance sampled
// 2 x 2 and chroma 1 x 1, that decodes without warnings; otherwise the first
// problem found.
std::string VerifyArtwork(const std::vector<uint8_t>& jpeg, const ArtworkShape& shape);

}  // namespace artgen
