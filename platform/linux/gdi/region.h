#pragma once
// A set of device pixels: a copyable value over pixman's 32-bit regions, so a clip
// region can live in a plain DC state that is copied onto the save/restore stack.
#include <pixman.h>

#include <vector>

#include "platform/win32.h"

namespace linux_gdi {

class Region {
 public:
  Region();
  explicit Region(const RECT& rect);
  Region(const Region& other);
  Region(Region&& other) noexcept;
  Region& operator=(const Region& other);
  Region& operator=(Region&& other) noexcept;
  ~Region();

  bool IsEmpty() const;
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Kind() const;
  RECT Extents() const;
  bool Contains(int x, int y) const;
  bool Overlaps(const RECT& rect) const;
  // The region as non-overlapping rectangles, top to bottom, left to right.
  std::vector<RECT> Rects() const;

  void Intersect(const Region& other);
  void Intersect(const RECT& rect);
  void Subtract(const RECT& rect);
  void Unite(const Region& other);
  void Translate(int dx, int dy);

  const pixman_region32_t* Raw() const { return &region_; }

 private:
  pixman_region32_t region_;
};

// A rectangle with its edges ordered (left <= right, top <= bottom).
RECT Normalized(RECT rect);

}  // namespace linux_gdi
