// Window DCs as the windowing layer makes them: drawing lands at the DC's origin on the
// surface and only inside the visible region it was given or narrowed to; a DC whose
// window went draws nothing; a surface without storage gets it before the first drawing.
#ifndef _WIN32
#include "platform/linux/gdi/window_dc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/gdi_support.h"

namespace {

using linux_gdi::Region;

constexpr int kWidth = 8, kHeight = 6;
constexpr uint32_t kPainted = 0x00FF00;

struct TestSurface {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * kHeight, 0);
  linux_gdi::Surface surface;
  TestSurface() {
    surface.width = kWidth;
    surface.height = kHeight;
    surface.stride = kWidth * 4;
    surface.masks[0] = 0xFF0000;
    surface.masks[1] = 0xFF00;
    surface.masks[2] = 0xFF;
  }
  void GiveStorage() { surface.bits = reinterpret_cast<uint8_t*>(pixels.data()); }
  // The painted pixels as rows of '#' and '.'.
  std::string Painted() const {
    std::string out;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) out += pixels[y * kWidth + x] == kPainted ? '#' : '.';
      out += '\n';
    }
    return out;
  }
};

class WindowDC : public gdi_test::GdiTest {};

TEST_F(WindowDC, DrawsAtItsOriginInsideItsVisibleRegion) {
  enum class Then { kKeep, kNarrow, kDetach };
  struct Case {
    const char* name;
    POINT origin;
    RECT visible;
    Then then;
    const char* painted;
  };
  const Case cases[] = {
      {"whole surface",
       {0, 0},
       {0, 0, 8, 6},
       Then::kKeep,
       "###.....\n###.....\n........\n........\n........\n........\n"},
      {"moved origin",
       {4, 3},
       {0, 0, 8, 6},
       Then::kKeep,
       "........\n........\n........\n....###.\n....###.\n........\n"},
      {"clipped by visible",
       {1, 1},
       {2, 0, 8, 2},
       Then::kKeep,
       "........\n..##....\n........\n........\n........\n........\n"},
      {"narrowed afterwards",
       {0, 0},
       {0, 0, 8, 6},
       Then::kNarrow,
       "........\n.#......\n........\n........\n........\n........\n"},
      {"window went",
       {0, 0},
       {0, 0, 8, 6},
       Then::kDetach,
       "........\n........\n........\n........\n........\n........\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSurface target;
    bool made = false;
    HDC dc = linux_gdi::NewWindowDC(
        linux_gdi::WindowView{&target.surface, c.origin, Region(c.visible), Region(c.visible), [&] {
                                made = true;
                                target.GiveStorage();
                              }});
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(linux_gdi::WindowDCOrigin(dc).x, c.origin.x);
    EXPECT_EQ(linux_gdi::WindowDCOrigin(dc).y, c.origin.y);
    if (c.then == Then::kNarrow) linux_gdi::SetVisibleRegion(dc, Region(RECT{1, 1, 2, 2}));
    if (c.then == Then::kDetach) linux_gdi::DetachSurface(dc);
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    const RECT area{0, 0, 3, 2};
    EXPECT_TRUE(FillRect(dc, &area, brush));
    DeleteObject(brush);
    EXPECT_EQ(made, c.then != Then::kDetach);
    EXPECT_EQ(target.Painted(), c.painted);
    EXPECT_TRUE(DeleteDC(dc));
  }
}

}  // namespace
#endif
