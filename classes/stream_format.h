#pragma once
// Byte layout of a stored component tree: the signature, the header prefix flags
// and the value tags shared by the reader and the writer. All multi-byte numbers
// are little-endian; there is no padding anywhere.
#include <cstdint>

// The four bytes every stream starts with.
inline constexpr char kFormSignature[4] = {'T', 'P', 'F', '0'};

// A component record may start with one byte 0xF0 | flags. Any first byte at or
// above 0xF0 is such a prefix, which is why a class name is at most 239 bytes.
inline constexpr uint8_t kHeaderPrefixMark = 0xF0;
inline constexpr uint8_t kHeaderFlagsMask = 0x0F;

enum THeaderFlag : uint8_t {
  hfInherited = 0x01,  // found by name in the ancestor's tree, not created
  hfChildPos = 0x02,   // an integer value (tag and data) follows: position among siblings
  hfInline = 0x04,     // an inline root embedded in this tree
};

// One tag byte in front of every value.
enum TValueType : uint8_t {
  svNull = 0,  // also the end marker of lists, collections and items
  svList = 1,
  svInt8 = 2,
  svInt16 = 3,
  svInt32 = 4,
  svExtended = 5,  // 10-byte 80-bit float
  svString = 6,    // 1-byte length + ANSI bytes
  svIdent = 7,     // 1-byte length + identifier bytes
  svFalse = 8,
  svTrue = 9,
  svBinary = 10,   // 4-byte length + bytes
  svSet = 11,      // short-string names ended by an empty one
  svLString = 12,  // 4-byte length + ANSI bytes
  svNil = 13,
  svCollection = 14,
  svSingle = 15,    // 4-byte float
  svCurrency = 16,  // 64-bit integer, value * 10000
  svDate = 17,      // 64-bit float
  svWString = 18,   // 4-byte count of UTF-16 units + 2 * count bytes
  svInt64 = 19,
  svUTF8String = 20,  // 4-byte byte length + UTF-8 bytes
  svDouble = 21,
};

inline constexpr uint8_t kLastValueType = svDouble;

// Size in bytes of the 80-bit extended float as stored.
inline constexpr int kExtendedSize = 10;

// Fixed data sizes after the tag for the tags that have one; -1 for tags whose
// data has a variable length, 0 for tags without data.
constexpr int FixedValueSize(uint8_t tag) {
  switch (tag) {
    case svInt8:
      return 1;
    case svInt16:
      return 2;
    case svInt32:
    case svSingle:
      return 4;
    case svExtended:
      return kExtendedSize;
    case svCurrency:
    case svDate:
    case svInt64:
    case svDouble:
      return 8;
    case svList:
    case svString:
    case svIdent:
    case svBinary:
    case svSet:
    case svLString:
    case svCollection:
    case svWString:
    case svUTF8String:
      return -1;
    default:
      return 0;
  }
}
