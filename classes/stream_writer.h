#pragma once
// Low-level writer of the stored component-tree layout (classes/stream_format.h).
// It appends to an in-memory byte buffer and makes the standard encoding choices:
// integers in the narrowest width, strings as ANSI unless their UTF-8 form differs,
// long ANSI strings with a 4-byte length. Explicit-tag writes exist next to the
// choosing ones so that any stored stream can be reproduced byte for byte.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "classes/stream_format.h"

class StreamWriter {
 public:
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t> TakeBytes() { return std::move(bytes_); }
  size_t Size() const { return bytes_.size(); }

  // --- structure -----------------------------------------------------------
  void WriteSignature();
  // The optional component prefix 0xF0 | flags. With hfChildPos in `flags` use the
  // overload that takes the position, which follows as an integer value.
  void WriteHeaderPrefix(uint8_t flags);
  void WriteHeaderPrefix(uint8_t flags, int32_t childPos);
  // Class name and component name as short strings. A class name of 240 bytes or
  // more would read back as a prefix byte, so it is refused.
  void WriteComponentHeader(std::string_view className, std::string_view name);
  // A property path as a short string; an empty path would read as the end marker.
  void WritePropertyName(std::string_view path);
  // The single 0x00 that ends property lists, child lists, value lists and sets.
  void WriteEndOfList();

  // --- integers ------------------------------------------------------------
  // Narrowest of svInt8, svInt16, svInt32.
  void WriteInteger(int32_t value);
  void WriteInt8(int8_t value);
  void WriteInt16(int16_t value);
  void WriteInt32(int32_t value);
  void WriteInt64(int64_t value);

  // --- strings -------------------------------------------------------------
  // The standard choice for a text held as ANSI whose UTF-8 form is `utf8`:
  // svUTF8String when the two differ, else svLString above 255 bytes, else svString.
  void WriteString(std::string_view ansi, std::string_view utf8);
  // The same choice for text given as UTF-8, with ASCII as the common part of the
  // ANSI code pages: pure ASCII is stored as ANSI, anything else as svUTF8String.
  void WriteUtf8Text(std::string_view utf8);
  void WriteShortString(std::string_view bytes);    // svString; at most 255 bytes
  void WriteLongString(std::string_view bytes);     // svLString
  void WriteUtf8String(std::string_view bytes);     // svUTF8String
  void WriteWideString(std::u16string_view units);  // svWString
  void WriteIdent(std::string_view ident);          // svIdent; at most 255 bytes

  // --- other values ----------------------------------------------------------
  void WriteBoolean(bool value);
  void WriteNil();
  void WriteNull();
  void WriteBinary(std::span<const uint8_t> data);
  void WriteSet(std::span<const std::string> elements);
  void WriteListBegin();
  void WriteListEnd();
  void WriteCollectionBegin();
  void WriteCollectionItemBegin();               // item without an order value
  void WriteCollectionItemBegin(int32_t order);  // order value in the narrowest width
  void WriteCollectionItemEnd();
  void WriteCollectionEnd();

  // --- floats ----------------------------------------------------------------
  void WriteExtended(double value);  // exact: every double is an 80-bit value
  void WriteExtendedRaw(std::span<const uint8_t, kExtendedSize> raw);
  void WriteSingle(float value);
  void WriteDouble(double value);
  void WriteDate(double value);
  void WriteCurrency(int64_t scaledBy10000);

  // Bytes exactly as given; for callers that assemble data themselves.
  void WriteRaw(std::span<const uint8_t> data);

 private:
  void PutTag(TValueType tag) { bytes_.push_back(tag); }
  void PutLE(uint64_t value, int size);
  void PutShort(std::string_view text, const char* what);
  void PutLength(size_t length);
  void PutBytes(const void* data, size_t size);

  std::vector<uint8_t> bytes_;
};

// The 10 bytes of the 80-bit extended value equal to `value` (little-endian:
// 8 bytes of significand with its explicit integer bit, then sign and exponent).
void EncodeExtended(double value, uint8_t out[kExtendedSize]);
