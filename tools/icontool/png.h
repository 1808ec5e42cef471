#pragma once
// Encodes a decoded icon image as PNG (8-bit RGBA), for the icon theme folders.
#include <cstdint>
#include <vector>

#include "tools/icontool/decode.h"

namespace icontool {

// The image's PNG file: an entry stored as PNG unchanged, a bitmap one encoded. Throws
// IconError if the encoder fails.
std::vector<uint8_t> EncodePng(const IconImage& image);

}  // namespace icontool
