#pragma once
// Raster operations on raw pixel values. Binary (ROP2) codes 1..16 and the ternary
// (blit) codes are truth tables; a set bit of the table adds one minterm of the inputs.
#include <cstdint>

#include "platform/win32.h"

namespace linux_gdi {

inline uint32_t Rop2(int code, uint32_t pen, uint32_t dst) {
  switch (code) {
    case R2_COPYPEN:
      return pen;
    case R2_XORPEN:
      return pen ^ dst;
    case R2_NOP:
      return dst;
    case R2_NOT:
      return ~dst;
    default:
      break;
  }
  const unsigned table = static_cast<unsigned>(code - 1) & 15;
  uint32_t out = 0;
  for (unsigned i = 0; i < 4; ++i) {
    if (!(table & (1u << i))) continue;
    out |= ((i & 2) ? pen : ~pen) & ((i & 1) ? dst : ~dst);
  }
  return out;
}

// `code` is the operation's index byte (bits 16..23 of the raster-operation code).
inline uint32_t Rop3(unsigned code, uint32_t pat, uint32_t src, uint32_t dst) {
  switch (code) {
    case 0xCC:
      return src;
    case 0xF0:
      return pat;
    case 0x00:
      return 0;
    case 0xFF:
      return 0xFFFFFFFFu;
    case 0x55:
      return ~dst;
    case 0x5A:
      return pat ^ dst;
    case 0x66:
      return src ^ dst;
    case 0x88:
      return src & dst;
    case 0xEE:
      return src | dst;
    case 0x33:
      return ~src;
    case 0x44:
      return src & ~dst;
    case 0xC0:
      return pat & src;
    default:
      break;
  }
  uint32_t out = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!(code & (1u << i))) continue;
    out |= ((i & 4) ? pat : ~pat) & ((i & 2) ? src : ~src) & ((i & 1) ? dst : ~dst);
  }
  return out;
}

inline unsigned RopIndex(DWORD rop) { return (rop >> 16) & 0xFF; }
inline bool RopUsesSource(unsigned code) { return ((code >> 2) & 0x33) != (code & 0x33); }
inline bool RopUsesPattern(unsigned code) { return ((code >> 4) & 0x0F) != (code & 0x0F); }

}  // namespace linux_gdi
