#include "tools/formtool/float_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "classes/stream_writer.h"

namespace formtool {
namespace {

std::string Raw(const void* data, size_t size) {
  return std::string(static_cast<const char*>(data), size);
}

template <typename F>
std::string Shortest(F value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

// The double equal to a stored 80-bit value, when there is one.
std::optional<double> ExtendedToDouble(std::string_view raw) {
  uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= uint64_t{static_cast<uint8_t>(raw[i])} << (8 * i);
  const int top = static_cast<uint8_t>(raw[8]) | (static_cast<uint8_t>(raw[9]) << 8);
  const int exponent = top & 0x7FFF;
  if (exponent == 0x7FFF) return std::nullopt;
  double value =
      std::ldexp(static_cast<double>(significand), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  if (top & 0x8000) value = -value;
  uint8_t back[kExtendedSize];
  EncodeExtended(value, back);
  if (std::memcmp(back, raw.data(), kExtendedSize) != 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::string> FloatToText(TValueType tag, std::string_view raw) {
  std::string text;
  switch (tag) {
    case svExtended: {
      if (raw.size() != kExtendedSize) return std::nullopt;
      const auto value = ExtendedToDouble(raw);
      if (!value) return std::nullopt;
      text = Shortest(*value);
      break;
    }
    case svSingle: {
      if (raw.size() != 4) return std::nullopt;
      float value;
      std::memcpy(&value, raw.data(), 4);
      if (!std::isfinite(value)) return std::nullopt;
      text = Shortest(value);
      break;
    }
    case svDouble:
    case svDate: {
      if (raw.size() != 8) return std::nullopt;
      double value;
      std::memcpy(&value, raw.data(), 8);
      if (!std::isfinite(value)) return std::nullopt;
      text = Shortest(value);
      break;
    }
    default:
      return std::nullopt;
  }
  // Values the parser cannot take back exactly stay raw.
  const auto back = TextToFloat(tag, text);
  if (!back || *back != raw) return std::nullopt;
  return text;
}

std::optional<std::string> TextToFloat(TValueType tag, std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (tag == svSingle) {
    float value;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value))
      return std::nullopt;
    return Raw(&value, 4);
  }
  double value;
  const auto result = std::from_chars(first, last, value);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) return std::nullopt;
  if (tag == svExtended) {
    uint8_t raw[kExtendedSize];
    EncodeExtended(value, raw);
    return Raw(raw, sizeof raw);
  }
  if (tag == svDouble || tag == svDate) return Raw(&value, 8);
  return std::nullopt;
}

std::string CurrencyToText(int64_t scaled) {
  const bool negative = scaled < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : scaled;
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
  const uint64_t fraction = magnitude % 10000;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction);
    digits.insert(0, 4 - digits.size(), '0');
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return text;
}

std::optional<int64_t> TextToCurrency(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
  if (whole.empty() || fraction.size() > 4 || (dot != std::string_view::npos && fraction.empty())) {
    return std::nullopt;
  }
  // Accumulate the magnitude as unsigned so that the most negative value fits.
  uint64_t magnitude = 0;
  std::string digits =
      std::string(whole) + std::string(fraction) + std::string(4 - fraction.size(), '0');
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    if (magnitude > (UINT64_MAX - 9) / 10) return std::nullopt;
    magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
  }
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  if (magnitude > limit) return std::nullopt;
  return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

}  // namespace formtool
