// Kernel and drawing calls the framework layers make: directories, bounded copies, icon
// copies and their bitmaps, and FillRect's treatment of inverted rectangles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

TEST(FrameworkCalls, BoundedCopyAlwaysTerminates) {
  struct Case {
    const char* source;
    int size;
    const char* expected;
  };
  const Case cases[] = {
      {"DISPLAY", 32, "DISPLAY"}, {"DISPLAY", 4, "DIS"}, {"", 5, ""}, {"x", 1, ""}};
  for (const Case& c : cases) {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(lstrcpynA(buffer, c.source, c.size), buffer);
    EXPECT_STREQ(buffer, c.expected) << c.source << " " << c.size;
  }
}

TEST(FrameworkCalls, DirectoriesAreMadeEnteredAndRemoved) {
  char previous[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(length, std::strlen(previous));
  char tiny[2] = {};
  EXPECT_EQ(GetCurrentDirectoryA(sizeof tiny, tiny), length + 1);  // the size it needs

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "framework_calls_dir";
  RemoveDirectoryA(dir.c_str());
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(dir.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
  char now[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, now);
  EXPECT_NE(std::string(now).find("framework_calls_dir"), std::string::npos) << now;
  ASSERT_TRUE(SetCurrentDirectoryA(previous));
  EXPECT_TRUE(RemoveDirectoryA(dir.c_str()));
  EXPECT_FALSE(RemoveDirectoryA(dir.c_str()));
  EXPECT_FALSE(SetCurrentDirectoryA(dir.c_str()));
}

TEST(FrameworkCalls, CopiedIconsAreTheCallersAndKeepTheImage) {
  HCURSOR shared = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32761));
  ASSERT_NE(shared, nullptr);
  HICON copy = CopyIcon(shared);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, shared);
  ICONINFO original{}, copied{};
  ASSERT_TRUE(GetIconInfo(shared, &original));
  ASSERT_TRUE(GetIconInfo(copy, &copied));
  EXPECT_EQ(copied.xHotspot, original.xHotspot);
  EXPECT_EQ(copied.yHotspot, original.yHotspot);
  EXPECT_FALSE(copied.fIcon);
  BITMAP mask{};
  ASSERT_NE(GetObjectA(copied.hbmMask, sizeof mask, &mask), 0);
  EXPECT_EQ(mask.bmWidth, 32);
  for (ICONINFO* info : {&original, &copied}) {
    DeleteObject(info->hbmMask);
    if (info->hbmColor) DeleteObject(info->hbmColor);
  }
  EXPECT_TRUE(DestroyIcon(copy));
  // The shared handle lives on.
  EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32761)), shared);
  ICONINFO again{};
  EXPECT_TRUE(GetIconInfo(shared, &again));
  DeleteObject(again.hbmMask);
  if (again.hbmColor) DeleteObject(again.hbmColor);
}

// Painted pixels of a 20 x 12 surface after FillRect of `rect` on black.
int PaintedPixels(const RECT& rect) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 12);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT whole{0, 0, 20, 12};
  FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  int painted = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) painted += GetPixel(dc, x, y) != 0;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return painted;
}

TEST(FrameworkCalls, FillRectTakesExtentsAsTheyWrap) {
  struct Case {
    RECT rect;
    int painted;
  };
  const Case cases[] = {
      {{2, 2, 6, 5}, 12},
      {{6, 5, 2, 2}, 12},  // inverted: the mirrored area
      {{0, 0, 0, 12}, 0},
      // What a frame of absurd width leaves: the extents wrap to small positive ones far
      // off the surface.
      {{2147483647, 2147483647, -2147483627, -2147483627}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PaintedPixels(c.rect), c.painted)
        << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
  }
}

}  // namespace
