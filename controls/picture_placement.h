#pragma once
// Where an image puts its picture inside its client area, from its Stretch,
// Proportional and Center settings.
#include "platform/win32.h"

struct PictureFit {
  bool stretch = false;
  bool proportional = false;
  bool center = false;
};

// The destination rectangle of a picture of `pictureWidth` x `pictureHeight` in a
// client of `clientWidth` x `clientHeight`. Values that would leave the 32-bit range
// (absurd bounds read from a stream) are held at its ends instead of wrapping.
RECT PicturePlacement(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight,
                      PictureFit fit);
