// Turns rendered pixels into the launcher's artwork file of an exact size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

struct SizedJpeg {
  std::vector<uint8_t> bytes;  // empty when no quality fits
  int quality = 0;             // the quality that was used
  size_t padding = 0;          // comment bytes added to reach the size
  std::string error;
};

// Encodes at the highest quality (100 down to 1) whose file is no larger than
// `targetSize` and can be padded to it with comment segments, then pads it.
// Searching downwards keeps the result independent of how a particular
// library build rounds its tables: only the first fitting quality matters.
SizedJpeg EncodeToExactSize(const std::vector<uint8_t>& rgb, int width, int height,
                            size_t targetSize);

}  // namespace artgen
