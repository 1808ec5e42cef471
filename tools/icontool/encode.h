#pragma once
// Writes drawings as the files resource scripts name: .cur (one bit per pixel, XOR and AND
// masks, hot spot in the directory) and .ico (32-bit colour with alpha, plus the AND mask).
#include <cstdint>
#include <vector>

#include "tools/icontool/art.h"

namespace icontool {

std::vector<uint8_t> EncodeCursor(const Art& art);
std::vector<uint8_t> EncodeIcon(const Art& art);

}  // namespace icontool
