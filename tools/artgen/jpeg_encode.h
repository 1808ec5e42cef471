// Baseline JFIF encoding through libjpeg's version-62 interface.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace artgen {

class JpegFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Encodes 8-bit RGB triples (top row first) as a single-scan baseline JFIF file:
// YCbCr, luminance sampled 2 x 2 and chroma 1 x 1, standard Huffman tables.
// Throws JpegFailure when the library reports an error.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& rgb, int width, int height,
                                int quality);

}  // namespace artgen
