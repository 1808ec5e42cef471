// Painting: the update region, the order of WM_ERASEBKGND and WM_PAINT, WM_PAINT only when no
// posted message waits, and children clipped out of a WS_CLIPCHILDREN parent.
#include <gtest/gtest.h>

#include "recorder.h"

namespace conform {
namespace {

constexpr COLORREF kParentColor = RGB(200, 0, 0);
constexpr COLORREF kChildColor = RGB(0, 0, 200);

// Paints each window with its colour in its own WM_PAINT, leaving erasing to the default.
std::optional<LRESULT> PaintSolid(HWND hwnd, UINT message, HWND child) {
  if (message != WM_PAINT) return std::nullopt;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HBRUSH brush = CreateSolidBrush(hwnd == child ? kChildColor : kParentColor);
  FillRect(dc, &ps.rcPaint, brush);
  DeleteObject(brush);
  EndPaint(hwnd, &ps);
  return 0;
}

COLORREF PixelAt(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return pixel;
}

// A parent at (200, 200) 160 x 120, a child at (40, 30) 50 x 40 in it.
struct Painted {
  Recorder rec;
  HWND parent, child;
  explicit Painted(DWORD parentStyle) {
    parent = rec.Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE | parentStyle, 200, 200, 160, 120);
    child = rec.Make(0, WS_CHILD | WS_VISIBLE, 40, 30, 50, 40, parent);
    rec.Watch(parent, 1);
    rec.Watch(child, 2);
    rec.handler = [this](HWND hwnd, UINT message, WPARAM, LPARAM) {
      return PaintSolid(hwnd, message, child);
    };
    SetWindowPos(parent, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Recorder::Pump();
    rec.Clear();
  }
  ~Painted() { DestroyWindow(parent); }
};

TEST(Paint, UpdateWindowErasesThenPaintsOnlyTheParent) {
  struct Case {
    const char* name;
    DWORD parentStyle;
    BOOL erase;
    Table expected;
  } const cases[] = {
      {"clip children, erase",
       WS_CLIPCHILDREN,
       TRUE,
       {{WM_PAINT, kSent | kParent}, {WM_ERASEBKGND, kSent | kParent}}},
      {"clip children, no erase", WS_CLIPCHILDREN, FALSE, {{WM_PAINT, kSent | kParent}}},
  };
  for (const Case& c : cases) {
    Painted tree(c.parentStyle);
    InvalidateRect(tree.parent, nullptr, c.erase);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(tree.parent, &update, FALSE)) << c.name;
    EXPECT_EQ(update.right, 160) << c.name;
    EXPECT_EQ(update.bottom, 120) << c.name;
    EXPECT_FALSE(GetUpdateRect(tree.child, &update, FALSE)) << c.name;
    UpdateWindow(tree.parent);
    EXPECT_TRUE(tree.rec.Check(c.expected, c.name));
    EXPECT_FALSE(GetUpdateRect(tree.parent, &update, FALSE)) << c.name;
    // The child kept its own pixels: the parent's painting was clipped around it.
    EXPECT_EQ(PixelAt(tree.parent, 10, 10), kParentColor) << c.name;
    EXPECT_EQ(PixelAt(tree.parent, 60, 50), kChildColor) << c.name;
    EXPECT_EQ(PixelAt(tree.child, 5, 5), kChildColor) << c.name;
  }
}

// Reads through a window DC cover the window's own area, children over it included, and
// nothing outside it; a hidden window shows nothing.
TEST(Paint, WindowDcReadsStopAtTheWindow) {
  Painted tree(WS_CLIPCHILDREN);
  UpdateWindow(tree.parent);
  UpdateWindow(tree.child);
  struct Case {
    const char* name;
    bool ofChild;
    int x, y;
    COLORREF expected;
  } const cases[] = {
      {"parent, under the child", false, 60, 50, kChildColor},
      {"parent, right of it", false, 170, 10, CLR_INVALID},
      {"parent, above it", false, 10, -5, CLR_INVALID},
      {"child, its own", true, 5, 5, kChildColor},
      {"child, the parent left of it", true, -5, 5, CLR_INVALID},
      {"child, the parent below it", true, 5, 45, CLR_INVALID},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PixelAt(c.ofChild ? tree.child : tree.parent, c.x, c.y), c.expected) << c.name;
  ShowWindow(tree.parent, SW_HIDE);
  EXPECT_EQ(PixelAt(tree.parent, 10, 10), CLR_INVALID);
}

// Without WS_CLIPCHILDREN the invalidation reaches the children as well.
TEST(Paint, InvalidateWithoutClipChildrenReachesTheChild) {
  Painted tree(0);
  InvalidateRect(tree.parent, nullptr, TRUE);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(tree.child, &update, FALSE));
  Recorder::Pump();
  EXPECT_TRUE(tree.rec.Check({{WM_PAINT, kPosted | kParent},
                              {WM_ERASEBKGND, kSent | kParent},
                              {WM_PAINT, kPosted | kChild},
                              {WM_NCPAINT, kSent | kChild | kOptional},
                              {WM_ERASEBKGND, kSent | kChild}},
                             "no clip children"));
  EXPECT_EQ(PixelAt(tree.parent, 60, 50), kChildColor);
}

TEST(Paint, UpdateRegionOfAPartialInvalidation) {
  Painted tree(WS_CLIPCHILDREN);
  RECT part = {100, 60, 130, 90};
  InvalidateRect(tree.parent, &part, FALSE);
  RECT part2 = {10, 5, 20, 15};
  InvalidateRect(tree.parent, &part2, FALSE);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(tree.parent, &update, FALSE));
  EXPECT_EQ(update.left, 10);
  EXPECT_EQ(update.top, 5);
  EXPECT_EQ(update.right, 130);
  EXPECT_EQ(update.bottom, 90);
  ValidateRect(tree.parent, nullptr);
  EXPECT_FALSE(GetUpdateRect(tree.parent, &update, FALSE));
}

// WM_PAINT is generated only when no posted message waits, whatever the order of the calls.
TEST(Paint, PaintComesAfterPostedMessages) {
  Painted tree(WS_CLIPCHILDREN);
  InvalidateRect(tree.parent, nullptr, FALSE);
  PostMessageA(tree.parent, WM_USER, 1, 0);
  PostMessageA(tree.child, WM_USER, 2, 0);
  Recorder::Pump();
  EXPECT_TRUE(tree.rec.Check({{WM_USER, kPosted | kParent, 1},
                              {WM_USER, kPosted | kChild, 2},
                              {WM_PAINT, kPosted | kParent}},
                             "paint after posted"));
}

}  // namespace
}  // namespace conform
