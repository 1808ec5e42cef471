#include "classes/reader_text.h"

#include <cstdint>

std::u16string DecodeStoredUtf8(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  const size_t size = bytes.size();
  auto continuation = [&](size_t index, uint8_t& out) {
    if (index >= size) return false;
    out = static_cast<uint8_t>(bytes[index]);
    return out >= 0x80 && out <= 0xBF;
  };
  for (size_t i = 0; i < size;) {
    const uint8_t lead = static_cast<uint8_t>(bytes[i]);
    if (lead < 0x80) {
      units.push_back(lead);
      ++i;
      continue;
    }
    uint8_t second = 0;
    if (!continuation(i + 1, second)) return {};
    if (lead & 0x20) {
      uint8_t third = 0;
      if (!continuation(i + 2, third)) return {};
      units.push_back(
          static_cast<char16_t>(((lead & 0x0F) << 12) | ((second & 0x3F) << 6) | (third & 0x3F)));
      i += 3;
    } else {
      units.push_back(static_cast<char16_t>(((lead & 0x3F) << 6) | (second & 0x3F)));
      i += 2;
    }
  }
  return units;
}
