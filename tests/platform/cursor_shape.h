#pragma once
// Reads back what a cursor or icon handle shows, through the API each platform offers:
// GetIconInfo and GetDIBits on Windows, the decoded image on Linux.
#include <cstdint>
#include <vector>

#include "platform/win32.h"

struct CursorShape {
  int width = 0;
  int height = 0;
  int hotX = 0;
  int hotY = 0;
  std::vector<bool> andBits;  // top row first
  std::vector<bool> xorBits;  // monochrome shapes
  std::vector<uint32_t> rgb;  // colour shapes: 0xRRGGBB, top row first
};

// False when the handle cannot be read.
bool ReadCursorShape(HICON handle, CursorShape* shape);
