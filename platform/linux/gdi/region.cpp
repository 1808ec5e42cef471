#include "platform/linux/gdi/region.h"

#include <algorithm>
#include <utility>

namespace linux_gdi {

namespace {
// pixman keeps 32-bit coordinates; a rectangle is clamped so its size never overflows.
constexpr int kLimit = 0x3FFFFFFF;
int Clamp(LONG v) { return std::clamp<LONG>(v, -kLimit, kLimit); }
}  // namespace

RECT Normalized(RECT r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

Region::Region() { pixman_region32_init(&region_); }

Region::Region(const RECT& rect) {
  const RECT r = Normalized(rect);
  const int left = Clamp(r.left), top = Clamp(r.top);
  const int right = Clamp(r.right), bottom = Clamp(r.bottom);
  if (left < right && top < bottom) {
    pixman_region32_init_rect(&region_, left, top, static_cast<unsigned>(right - left),
                              static_cast<unsigned>(bottom - top));
  } else {
    pixman_region32_init(&region_);
  }
}

Region::Region(const Region& other) {
  pixman_region32_init(&region_);
  pixman_region32_copy(&region_, &other.region_);
}

Region::Region(Region&& other) noexcept : Region() {
  pixman_region32_copy(&region_, &other.region_);
}

Region& Region::operator=(const Region& other) {
  if (this != &other) pixman_region32_copy(&region_, &other.region_);
  return *this;
}

Region& Region::operator=(Region&& other) noexcept {
  return *this = static_cast<const Region&>(other);
}

Region::~Region() { pixman_region32_fini(&region_); }

bool Region::IsEmpty() const { return !pixman_region32_not_empty(&region_); }

int Region::Kind() const {
  const int n = pixman_region32_n_rects(&region_);
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT Region::Extents() const {
  if (IsEmpty()) return {0, 0, 0, 0};
  const pixman_box32_t* box = pixman_region32_extents(&region_);
  return {box->x1, box->y1, box->x2, box->y2};
}

bool Region::Contains(int x, int y) const {
  return pixman_region32_contains_point(&region_, x, y, nullptr) != 0;
}

bool Region::Overlaps(const RECT& rect) const {
  Region r(rect);
  r.Intersect(*this);
  return !r.IsEmpty();
}

std::vector<RECT> Region::Rects() const {
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&region_, &n);
  std::vector<RECT> out;
  out.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) out.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
  return out;
}

void Region::Intersect(const Region& other) {
  pixman_region32_intersect(&region_, &region_, &other.region_);
}

void Region::Intersect(const RECT& rect) { Intersect(Region(rect)); }

void Region::Subtract(const RECT& rect) {
  const Region r(rect);
  pixman_region32_subtract(&region_, &region_, &r.region_);
}

void Region::Unite(const Region& other) {
  pixman_region32_union(&region_, &region_, &other.region_);
}

void Region::Translate(int dx, int dy) { pixman_region32_translate(&region_, dx, dy); }

}  // namespace linux_gdi
