#include "graphics/colors.h"

#include <cstdint>

#include "classes/metadata.h"

COLORREF ResolveColor(TColor c) {
  if (c < 0) return GetSysColor(c & 0xFF);
  return static_cast<COLORREF>(c);
}

constinit const TypeDescriptor kTColorType = IntegerType("TColor", osSLong, INT32_MIN, INT32_MAX);
