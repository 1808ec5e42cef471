#pragma once
// Encodes a picture as PNG (8-bit RGB, no alpha): what `formtool render` writes.
#include <cstdint>
#include <string>
#include <vector>

namespace formtool {

// `rgb` holds width * height pixels as 0x00RRGGBB, top row first. Returns the file's
// bytes; throws FormError if the encoder fails.
std::string EncodePng(int width, int height, const std::vector<uint32_t>& rgb);

}  // namespace formtool
