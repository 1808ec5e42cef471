#include "classes/stream_writer.h"

#include <bit>
#include <cstring>
#include <limits>

#include "runtime/exception.h"

namespace {

bool IsAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

void StreamWriter::PutLE(uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void StreamWriter::PutBytes(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

void StreamWriter::PutShort(std::string_view text, const char* what) {
  if (text.size() > 255) {
    throw EWriteError(std::string(what) + " is longer than 255 bytes");
  }
  bytes_.push_back(static_cast<uint8_t>(text.size()));
  PutBytes(text.data(), text.size());
}

void StreamWriter::PutLength(size_t length) {
  // Readers take 4-byte lengths as signed numbers.
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw EWriteError("Value is too long for a 4-byte length");
  }
  PutLE(length, 4);
}

void StreamWriter::WriteSignature() { PutBytes(kFormSignature, sizeof kFormSignature); }

void StreamWriter::WriteHeaderPrefix(uint8_t flags) {
  if (flags & ~kHeaderFlagsMask) throw EWriteError("Header flags must fit in four bits");
  if (flags & hfChildPos) throw EWriteError("A child position flag needs a position");
  bytes_.push_back(kHeaderPrefixMark | flags);
}

void StreamWriter::WriteHeaderPrefix(uint8_t flags, int32_t childPos) {
  if (flags & ~kHeaderFlagsMask) throw EWriteError("Header flags must fit in four bits");
  bytes_.push_back(kHeaderPrefixMark | flags | hfChildPos);
  WriteInteger(childPos);
}

void StreamWriter::WriteComponentHeader(std::string_view className, std::string_view name) {
  if (className.size() >= kHeaderPrefixMark) {
    throw EWriteError("Class name is longer than 239 bytes");
  }
  if (name.size() > 255) throw EWriteError("Component name is longer than 255 bytes");
  PutShort(className, "Class name");
  PutShort(name, "Component name");
}

void StreamWriter::WritePropertyName(std::string_view path) {
  if (path.empty()) throw EWriteError("Property path is empty");
  PutShort(path, "Property path");
}

void StreamWriter::WriteEndOfList() { bytes_.push_back(svNull); }

void StreamWriter::WriteInteger(int32_t value) {
  if (value >= -128 && value <= 127) {
    WriteInt8(static_cast<int8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteInt16(static_cast<int16_t>(value));
  } else {
    WriteInt32(value);
  }
}

void StreamWriter::WriteInt8(int8_t value) {
  PutTag(svInt8);
  PutLE(static_cast<uint8_t>(value), 1);
}

void StreamWriter::WriteInt16(int16_t value) {
  PutTag(svInt16);
  PutLE(static_cast<uint16_t>(value), 2);
}

void StreamWriter::WriteInt32(int32_t value) {
  PutTag(svInt32);
  PutLE(static_cast<uint32_t>(value), 4);
}

void StreamWriter::WriteInt64(int64_t value) {
  PutTag(svInt64);
  PutLE(static_cast<uint64_t>(value), 8);
}

void StreamWriter::WriteString(std::string_view ansi, std::string_view utf8) {
  if (ansi != utf8) {
    WriteUtf8String(utf8);
  } else if (ansi.size() > 255) {
    WriteLongString(ansi);
  } else {
    WriteShortString(ansi);
  }
}

void StreamWriter::WriteUtf8Text(std::string_view utf8) {
  if (IsAscii(utf8)) {
    WriteString(utf8, utf8);
  } else {
    WriteUtf8String(utf8);
  }
}

void StreamWriter::WriteShortString(std::string_view bytes) {
  if (bytes.size() > 255) throw EWriteError("Short string is longer than 255 bytes");
  PutTag(svString);
  PutShort(bytes, "Short string");
}

void StreamWriter::WriteLongString(std::string_view bytes) {
  PutTag(svLString);
  PutLength(bytes.size());
  PutBytes(bytes.data(), bytes.size());
}

void StreamWriter::WriteUtf8String(std::string_view bytes) {
  PutTag(svUTF8String);
  PutLength(bytes.size());
  PutBytes(bytes.data(), bytes.size());
}

void StreamWriter::WriteWideString(std::u16string_view units) {
  if (units.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 2)) {
    throw EWriteError("Value is too long for a 4-byte length");
  }
  PutTag(svWString);
  PutLength(units.size());
  for (char16_t unit : units) PutLE(unit, 2);
}

void StreamWriter::WriteIdent(std::string_view ident) {
  if (ident.size() > 255) throw EWriteError("Identifier is longer than 255 bytes");
  PutTag(svIdent);
  PutShort(ident, "Identifier");
}

void StreamWriter::WriteBoolean(bool value) { PutTag(value ? svTrue : svFalse); }

void StreamWriter::WriteNil() { PutTag(svNil); }

void StreamWriter::WriteNull() { PutTag(svNull); }

void StreamWriter::WriteBinary(std::span<const uint8_t> data) {
  PutTag(svBinary);
  PutLength(data.size());
  PutBytes(data.data(), data.size());
}

void StreamWriter::WriteSet(std::span<const std::string> elements) {
  for (const std::string& element : elements) {
    // An empty name is the set's terminator and cannot be an element.
    if (element.empty()) throw EWriteError("Set element name is empty");
    if (element.size() > 255) throw EWriteError("Set element name is longer than 255 bytes");
  }
  PutTag(svSet);
  for (const std::string& element : elements) PutShort(element, "Set element name");
  bytes_.push_back(0);
}

void StreamWriter::WriteListBegin() { PutTag(svList); }

void StreamWriter::WriteListEnd() { PutTag(svNull); }

void StreamWriter::WriteCollectionBegin() { PutTag(svCollection); }

void StreamWriter::WriteCollectionItemBegin() { PutTag(svList); }

void StreamWriter::WriteCollectionItemBegin(int32_t order) {
  WriteInteger(order);
  PutTag(svList);
}

void StreamWriter::WriteCollectionItemEnd() { PutTag(svNull); }

void StreamWriter::WriteCollectionEnd() { PutTag(svNull); }

void StreamWriter::WriteExtended(double value) {
  uint8_t raw[kExtendedSize];
  EncodeExtended(value, raw);
  PutTag(svExtended);
  PutBytes(raw, sizeof raw);
}

void StreamWriter::WriteExtendedRaw(std::span<const uint8_t, kExtendedSize> raw) {
  PutTag(svExtended);
  PutBytes(raw.data(), raw.size());
}

void StreamWriter::WriteSingle(float value) {
  PutTag(svSingle);
  PutLE(std::bit_cast<uint32_t>(value), 4);
}

void StreamWriter::WriteDouble(double value) {
  PutTag(svDouble);
  PutLE(std::bit_cast<uint64_t>(value), 8);
}

void StreamWriter::WriteDate(double value) {
  PutTag(svDate);
  PutLE(std::bit_cast<uint64_t>(value), 8);
}

void StreamWriter::WriteCurrency(int64_t scaledBy10000) {
  PutTag(svCurrency);
  PutLE(static_cast<uint64_t>(scaledBy10000), 8);
}

void StreamWriter::WriteRaw(std::span<const uint8_t> data) { PutBytes(data.data(), data.size()); }

void EncodeExtended(double value, uint8_t out[kExtendedSize]) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const uint16_t sign = (bits >> 63) ? 0x8000 : 0;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  uint64_t significand = 0;
  int biased = 0;
  if (exponent == 0x7FF) {
    // Infinity keeps only the integer bit; a NaN keeps its payload, made quiet.
    biased = 0x7FFF;
    significand = (uint64_t{1} << 63) | (fraction << 11);
    if (fraction != 0) significand |= uint64_t{1} << 62;
  } else if (exponent != 0) {
    biased = exponent - 1023 + 16383;
    significand = (uint64_t{1} << 63) | (fraction << 11);
  } else if (fraction != 0) {
    // A subnormal double is a normal extended value: shift the leading one up.
    const int shift = std::countl_zero(fraction);
    significand = fraction << shift;
    biased = 16383 - 1022 - (shift - 11);
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(significand >> (8 * i));
  const uint16_t top = sign | static_cast<uint16_t>(biased);
  out[8] = static_cast<uint8_t>(top);
  out[9] = static_cast<uint8_t>(top >> 8);
}
