#pragma once
// Small helpers shared by the reader tests.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classes/streams.h"

namespace standins {

inline std::unique_ptr<TMemoryStream> MemoryStreamOf(const std::vector<uint8_t>& bytes) {
  auto stream = std::make_unique<TMemoryStream>();
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream->SetPosition(0);
  return stream;
}

// Replaces the `nth` (1-based) occurrence of `from` by `to` (same length).
inline std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, std::string_view from,
                                    std::string_view to, int nth = 1) {
  for (size_t i = 0; i + from.size() <= bytes.size(); ++i) {
    if (std::equal(from.begin(), from.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i)) &&
        --nth == 0) {
      std::copy(to.begin(), to.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i));
      return bytes;
    }
  }
  return {};
}

// Offset of the `nth` occurrence of `what`, or npos.
inline size_t Find(const std::vector<uint8_t>& bytes, std::string_view what, int nth = 1) {
  for (size_t i = 0; i + what.size() <= bytes.size(); ++i) {
    if (std::equal(what.begin(), what.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i)) &&
        --nth == 0) {
      return i;
    }
  }
  return std::string::npos;
}

}  // namespace standins
