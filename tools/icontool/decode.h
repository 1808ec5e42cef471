#pragma once
// Reads the images back out of an .ico file, whichever sizes it carries, so the build can
// install the program's icon as separate pictures (icontool png).
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace icontool {

struct IconError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, top row first; empty when `png` holds it
  std::vector<uint8_t> png;    // an entry stored as PNG already, kept as it is
};

// Every image of the file in directory order: 32-bit entries with their alpha (the AND
// mask where the alpha is all zero), 24-bit ones through the AND mask, PNG entries as
// they are. Throws IconError on anything else or on a damaged file.
std::vector<IconImage> DecodeIcon(const std::vector<uint8_t>& file);

}  // namespace icontool
