#pragma once
// The compiled form of a resource script: what the module's resource directory will hold.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rc {

// Standard resource type numbers, as the module loader knows them.
constexpr uint16_t kRtCursor = 1;
constexpr uint16_t kRtBitmap = 2;
constexpr uint16_t kRtIcon = 3;
constexpr uint16_t kRtString = 6;
constexpr uint16_t kRtRcdata = 10;
constexpr uint16_t kRtGroupCursor = 12;
constexpr uint16_t kRtGroupIcon = 14;
constexpr uint16_t kRtHtml = 23;

// A resource type or name: either a 16-bit number or an upper-cased text.
struct ResId {
  std::optional<std::string> text;
  uint16_t number = 0;

  static ResId Number(uint16_t n) { return ResId{std::nullopt, n}; }
  static ResId Text(std::string s);
  bool operator==(const ResId&) const = default;
  bool operator<(const ResId& other) const;
  std::string Describe() const;
};

struct Resource {
  ResId type;
  ResId name;
  uint16_t language = 0;
  std::vector<uint8_t> data;
};

struct Script {
  std::vector<Resource> resources;
  // Every file read while compiling (scripts, headers, data), for build dependencies.
  std::vector<std::string> inputs;
};

}  // namespace rc
