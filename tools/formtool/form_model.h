#pragma once
// In-memory tree of one stored definition, shared by the text and binary sides of
// the form tool. Every value keeps its exact tag so both directions are lossless.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "classes/stream_format.h"

namespace formtool {

struct Value;
struct Property;

// An integer as stored: its tag (svInt8, svInt16 or svInt32) and value.
struct StoredInt {
  TValueType tag = svInt8;
  int32_t value = 0;
};

struct CollectionItem {
  std::optional<StoredInt> order;
  std::vector<Property> properties;
  int line = 0;
};

struct Value {
  TValueType tag = svNull;
  int64_t integer = 0;                     // svInt8/16/32/64, svCurrency (scaled by 10000)
  std::string bytes;                       // strings, identifiers, binary data, raw float bytes
  std::u16string wide;                     // svWString
  std::vector<std::string> names;          // svSet
  std::vector<Value> items;                // svList
  std::vector<CollectionItem> collection;  // svCollection
};

struct Property {
  std::string path;
  Value value;
  int line = 0;  // where the text gave it; 0 for values read from a binary
};

struct Component {
  bool hasPrefix = false;
  uint8_t flags = 0;   // hfInherited | hfChildPos | hfInline
  StoredInt childPos;  // meaningful with hfChildPos
  std::string className;
  std::string name;
  std::vector<Property> properties;
  std::vector<Component> children;
  int line = 0;
};

struct Document {
  Component root;
  std::string trailing;  // bytes after the root record, which readers ignore
};

}  // namespace formtool
