#include "controls/picture_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

int ClampToInt(double value) {
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(value, kMin, kMax));  // truncates toward zero
}

int ClampToInt(int64_t value) {
  return static_cast<int>(
      std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

RECT PicturePlacement(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight,
                      PictureFit fit) {
  int w = pictureWidth;
  int h = pictureHeight;
  const int cw = clientWidth;
  const int ch = clientHeight;
  if (fit.stretch || (fit.proportional && (w > cw || h > ch))) {
    if (fit.proportional && w > 0 && h > 0) {
      const double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = ClampToInt(cw / aspect);
        if (h > ch) {
          h = ch;
          w = ClampToInt(ch * aspect);
        }
      } else {
        h = ch;
        w = ClampToInt(ch * aspect);
        if (w > cw) {
          w = cw;
          h = ClampToInt(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int64_t left = 0;
  int64_t top = 0;
  if (fit.center) {
    left = (static_cast<int64_t>(cw) - w) / 2;  // C++ division truncates toward zero
    top = (static_cast<int64_t>(ch) - h) / 2;
  }
  return RECT{ClampToInt(left), ClampToInt(top), ClampToInt(left + w), ClampToInt(top + h)};
}
