#include "tools/formtool/binary_reader.h"

#include <cstring>

#include "tools/formtool/form_error.h"

namespace formtool {
namespace {

// An 8-bit stored integer is signed: 0x80..0xFF are -128..-1.
int32_t SignedByte(uint64_t byte) {
  return byte >= 0x80 ? static_cast<int32_t>(byte) - 0x100 : static_cast<int32_t>(byte);
}

class BinaryReader {
 public:
  explicit BinaryReader(std::string_view data) : data_(data) {}

  Document ReadDocument() {
    if (data_.size() < 4 || std::memcmp(data_.data(), kFormSignature, 4) != 0) {
      Fail(0, "not a stored definition: it does not start with \"TPF0\"");
    }
    pos_ = 4;
    Document doc;
    doc.root = ReadComponent(0);
    doc.trailing = std::string(data_.substr(pos_));
    return doc;
  }

 private:
  [[noreturn]] void Fail(size_t offset, const std::string& message) {
    throw FormError("offset " + std::to_string(offset) + ": " + message);
  }

  void Need(size_t count, const char* what) {
    if (data_.size() - pos_ < count) {
      Fail(pos_, std::string("data ends inside ") + what + " (" + std::to_string(count) +
                     " bytes needed, " + std::to_string(data_.size() - pos_) + " left)");
    }
  }

  uint8_t Byte(const char* what) {
    Need(1, what);
    return static_cast<uint8_t>(data_[pos_++]);
  }

  uint8_t PeekByte(const char* what) {
    Need(1, what);
    return static_cast<uint8_t>(data_[pos_]);
  }

  uint64_t Unsigned(int size, const char* what) {
    Need(size, what);
    uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
      value |= uint64_t{static_cast<uint8_t>(data_[pos_ + i])} << (8 * i);
    }
    pos_ += size;
    return value;
  }

  std::string Bytes(size_t count, const char* what) {
    Need(count, what);
    std::string out(data_.substr(pos_, count));
    pos_ += count;
    return out;
  }

  std::string ShortString(const char* what) {
    const uint8_t length = Byte(what);
    return Bytes(length, what);
  }

  // A 4-byte length, signed as readers take it, checked against what is left.
  size_t Length(const char* what, size_t unitSize = 1) {
    const size_t at = pos_;
    const auto length = static_cast<int32_t>(Unsigned(4, what));
    if (length < 0)
      Fail(at, std::string("negative length ") + std::to_string(length) + " of " + what);
    if ((data_.size() - pos_) / unitSize < static_cast<size_t>(length)) {
      Fail(at, std::string("length ") + std::to_string(length) + " of " + what +
                   " runs past the end of the data");
    }
    return static_cast<size_t>(length);
  }

  void Enter(int depth) {
    if (depth > kMaxNesting) {
      Fail(pos_, "nesting deeper than " + std::to_string(kMaxNesting) + " levels");
    }
  }

  StoredInt ReadStoredInt(const char* what) {
    const size_t at = pos_;
    StoredInt result;
    result.tag = static_cast<TValueType>(Byte(what));
    switch (result.tag) {
      case svInt8:
        result.value = SignedByte(Unsigned(1, what));
        break;
      case svInt16:
        result.value = static_cast<int16_t>(Unsigned(2, what));
        break;
      case svInt32:
        result.value = static_cast<int32_t>(Unsigned(4, what));
        break;
      default:
        Fail(at, std::string(what) + " is not an integer (tag " + std::to_string(result.tag) + ")");
    }
    return result;
  }

  Component ReadComponent(int depth) {
    Enter(depth);
    Component component;
    const uint8_t first = PeekByte("a component record");
    if (first >= kHeaderPrefixMark) {
      ++pos_;
      component.hasPrefix = true;
      component.flags = first & kHeaderFlagsMask;
      if (component.flags & hfChildPos) component.childPos = ReadStoredInt("the child position");
    }
    const size_t classAt = pos_;
    component.className = ShortString("a class name");
    // Without a prefix such a name would read as one; no writer stores it.
    if (component.className.size() >= kHeaderPrefixMark) {
      Fail(classAt, "class name is longer than 239 bytes");
    }
    component.name = ShortString("a component name");
    component.properties = ReadProperties(depth);
    while (PeekByte("the child list") != 0) component.children.push_back(ReadComponent(depth + 1));
    ++pos_;
    return component;
  }

  std::vector<Property> ReadProperties(int depth) {
    std::vector<Property> properties;
    while (PeekByte("the property list") != 0) {
      Property property;
      property.path = ShortString("a property path");
      property.value = ReadValue(depth + 1);
      properties.push_back(std::move(property));
    }
    ++pos_;
    return properties;
  }

  Value ReadValue(int depth) {
    Enter(depth);
    const size_t at = pos_;
    Value value;
    value.tag = static_cast<TValueType>(Byte("a value"));
    if (ReadScalar(value)) return value;
    switch (value.tag) {
      case svNull:
      case svFalse:
      case svTrue:
      case svNil:
        break;
      case svWString:
        ReadWideString(value);
        break;
      case svSet:
        for (;;) {
          std::string name = ShortString("a set");
          if (name.empty()) break;
          value.names.push_back(std::move(name));
        }
        break;
      case svList:
        while (PeekByte("a list") != svNull) value.items.push_back(ReadValue(depth + 1));
        ++pos_;
        break;
      case svCollection:
        while (PeekByte("a collection") != svNull) {
          value.collection.push_back(ReadCollectionItem(depth + 1));
        }
        ++pos_;
        break;
      default:
        Fail(at, "unknown value tag " + std::to_string(value.tag));
    }
    return value;
  }

  // The body of a number, float or byte string; false for other tags.
  bool ReadScalar(Value& value) {
    switch (value.tag) {
      case svInt8:
        value.integer = SignedByte(Unsigned(1, "an 8-bit integer"));
        return true;
      case svInt16:
        value.integer = static_cast<int16_t>(Unsigned(2, "a 16-bit integer"));
        return true;
      case svInt32:
        value.integer = static_cast<int32_t>(Unsigned(4, "a 32-bit integer"));
        return true;
      case svInt64:
      case svCurrency:
        value.integer = static_cast<int64_t>(Unsigned(8, "a 64-bit integer"));
        return true;
      case svExtended:
        value.bytes = Bytes(kExtendedSize, "an extended float");
        return true;
      case svSingle:
        value.bytes = Bytes(4, "a single float");
        return true;
      case svDouble:
      case svDate:
        value.bytes = Bytes(8, "a double float");
        return true;
      case svString:
        value.bytes = ShortString("a string");
        return true;
      case svIdent:
        value.bytes = ShortString("an identifier");
        return true;
      case svLString:
        value.bytes = Bytes(Length("a long string"), "a long string");
        return true;
      case svUTF8String:
        value.bytes = Bytes(Length("a UTF-8 string"), "a UTF-8 string");
        return true;
      case svBinary:
        value.bytes = Bytes(Length("a binary block"), "a binary block");
        return true;
      default:
        return false;
    }
  }

  void ReadWideString(Value& value) {
    const size_t count = Length("a wide string", 2);
    value.wide.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      value.wide.push_back(static_cast<char16_t>(Unsigned(2, "a wide string")));
    }
  }

  // An optional order number, then the item's properties in a list.
  CollectionItem ReadCollectionItem(int depth) {
    CollectionItem item;
    const uint8_t next = PeekByte("a collection item");
    if (next == svInt8 || next == svInt16 || next == svInt32) {
      item.order = ReadStoredInt("an item order");
    }
    const size_t tagAt = pos_;
    const uint8_t listTag = Byte("a collection item");
    if (listTag != svList) {
      Fail(tagAt, "collection item does not start with a list tag (found tag " +
                      std::to_string(listTag) + ")");
    }
    item.properties = ReadProperties(depth);
    return item;
  }

  std::string_view data_;
  size_t pos_ = 0;
};

}  // namespace

Document ReadBinary(std::string_view data) { return BinaryReader(data).ReadDocument(); }

}  // namespace formtool
