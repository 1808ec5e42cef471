// Device contexts: defaults, the save/restore stack, origins and clipping, device
// capabilities, and pixels moved through GetDIBits and SetDIBits.
#include <cstring>

#include "tests/platform/gdi_support.h"

namespace {

using gdi_test::MakeDib;

class GdiDC : public gdi_test::GdiTest {};

TEST_F(GdiDC, NewMemoryDCHasTheDefaultState) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm),
            static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(SetROP2(dc, 0), 0);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetObjectType(screen), static_cast<DWORD>(OBJ_DC));
  const struct {
    int index;
    int value;
  } caps[] = {{BITSPIXEL, 32},  {PLANES, 1},      {LOGPIXELSX, 96},
              {LOGPIXELSY, 96}, {SIZEPALETTE, 0}, {NUMCOLORS, -1}};
  for (const auto& c : caps) {
    EXPECT_EQ(GetDeviceCaps(screen, c.index), c.value) << c.index;
    EXPECT_EQ(GetDeviceCaps(dc, c.index), c.value) << c.index;
  }
  EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_STRETCHBLT, 0);
  EXPECT_GT(GetDeviceCaps(screen, HORZRES), 0);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  DeleteDC(dc);
}

TEST_F(GdiDC, SaveAndRestoreWalkTheStack) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
  EXPECT_EQ(SaveDC(dc), 1);
  SelectObject(dc, pen);
  SetTextColor(dc, RGB(1, 1, 1));
  SetWindowOrgEx(dc, 5, 6, nullptr);
  EXPECT_EQ(SaveDC(dc), 2);
  SetTextColor(dc, RGB(2, 2, 2));
  EXPECT_EQ(SaveDC(dc), 3);
  SetTextColor(dc, RGB(3, 3, 3));
  EXPECT_FALSE(RestoreDC(dc, 0));
  EXPECT_FALSE(RestoreDC(dc, 4));
  EXPECT_FALSE(RestoreDC(dc, -4));
  EXPECT_TRUE(RestoreDC(dc, -1));  // back to what level 3 saved
  EXPECT_EQ(GetTextColor(dc), RGB(2, 2, 2));
  EXPECT_TRUE(RestoreDC(dc, 2));
  EXPECT_EQ(GetTextColor(dc), RGB(1, 1, 1));
  POINT org{};
  GetWindowOrgEx(dc, &org);
  EXPECT_EQ(org.x, 5);
  EXPECT_EQ(SaveDC(dc), 2);
  EXPECT_TRUE(RestoreDC(dc, -2));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_FALSE(RestoreDC(dc, -1));
  DeleteDC(dc);
  DeleteObject(pen);
}

TEST_F(GdiDC, ClippingAnswersWithTheRegionKind) {
  gdi_test::Dib dib = MakeDib(32, 20, 20);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib.bitmap);
  RECT box{};
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 20);
  EXPECT_EQ(IntersectClipRect(dc, 2, 2, 15, 15), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(dc, 5, 5, 8, 8), COMPLEXREGION);
  EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.bottom, 15);
  RECT inside{3, 3, 4, 4}, hole{5, 5, 8, 8}, outside{0, 0, 2, 2};
  EXPECT_TRUE(RectVisible(dc, &inside));
  EXPECT_FALSE(RectVisible(dc, &hole));
  EXPECT_FALSE(RectVisible(dc, &outside));
  SaveDC(dc);
  EXPECT_EQ(IntersectClipRect(dc, 30, 30, 40, 40), NULLREGION);
  SetPixel(dc, 3, 3, RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(0, 0, 0));  // drawing is clipped, reading is not
  RestoreDC(dc, -1);
  EXPECT_EQ(SetPixel(dc, 3, 3, RGB(255, 0, 0)), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 25, 3), CLR_INVALID);
  // Origins move the logical rectangle the clip is given in.
  SetWindowOrgEx(dc, 3, 4, nullptr);
  SetViewportOrgEx(dc, 1, 1, nullptr);
  GetClipBox(dc, &box);
  EXPECT_EQ(box.left, 4);
  EXPECT_EQ(box.top, 5);
  POINT p{0, 0};
  LPtoDP(dc, &p, 1);
  EXPECT_EQ(p.x, -2);
  EXPECT_EQ(p.y, -3);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib.bitmap);
}

TEST_F(GdiDC, DibBitsTravelBothWays) {
  gdi_test::Dib dib = MakeDib(24, 4, 3);
  HDC screen = GetDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 4, 3);
  // A format query reports the bitmap's own description.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info = {};
  info.header.biSize = sizeof info.header;
  EXPECT_NE(
      GetDIBits(screen, ddb, 0, 3, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
      0);
  EXPECT_EQ(info.header.biBitCount, 32);
  EXPECT_EQ(info.header.biWidth, 4);
  // 8-bit run-length data expands into the bitmap, bottom row first.
  info.header = {sizeof(BITMAPINFOHEADER), 4, 3, 1, 8, BI_RLE8, 0, 0, 0, 3, 0};
  info.colors[0] = {0, 0, 0, 0};
  info.colors[1] = {255, 0, 0, 0};
  info.colors[2] = {0, 0, 255, 0};
  const BYTE rle[] = {4, 1, 0, 0, 0, 3, 2, 2, 1,
                      0, 1, 2, 0, 0, 4, 1, 0, 1};  // runs, a literal, end codes
  info.header.biSizeImage = sizeof rle;
  EXPECT_EQ(SetDIBits(screen, ddb, 0, 3, rle, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS),
            3);
  // Read back as top-down 24-bit rows.
  info.header = {sizeof(BITMAPINFOHEADER), 4, -3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BYTE rows[3][12] = {};
  EXPECT_EQ(
      GetDIBits(screen, ddb, 0, 3, rows, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 3);
  const BYTE blue[3] = {255, 0, 0}, red[3] = {0, 0, 255};
  EXPECT_EQ(std::memcmp(&rows[2][0], blue, 3), 0);  // bottom row: blue run
  EXPECT_EQ(std::memcmp(&rows[1][0], red, 3), 0);   // middle row: red, red, blue, red
  EXPECT_EQ(std::memcmp(&rows[1][6], blue, 3), 0);
  EXPECT_EQ(std::memcmp(&rows[0][9], blue, 3), 0);  // top row: blue run
  // And into a DIB section through SetDIBits with plain rows.
  EXPECT_EQ(SetDIBits(screen, dib.bitmap, 0, 3, rows, reinterpret_cast<BITMAPINFO*>(&info),
                      DIB_RGB_COLORS),
            3);
  EXPECT_EQ(std::memcmp(dib.bits, &rows[2][0], 12), 0);  // the DIB section is bottom-up
  ReleaseDC(nullptr, screen);
  DeleteObject(ddb);
  DeleteObject(dib.bitmap);
}

TEST_F(GdiDC, DibColorTablesAreReadAndWrittenThroughTheDC) {
  gdi_test::Dib dib = MakeDib(4, 8, 2);
  HDC dc = CreateCompatibleDC(nullptr);
  RGBQUAD colors[16]{};
  EXPECT_EQ(GetDIBColorTable(dc, 0, 16, colors), 0u);  // no DIB selected
  HGDIOBJ old = SelectObject(dc, dib.bitmap);
  EXPECT_EQ(GetDIBColorTable(dc, 14, 16, colors), 2u);
  EXPECT_EQ(colors[1].rgbRed, 255);
  const RGBQUAD red{0, 0, 255, 0};
  EXPECT_EQ(SetDIBColorTable(dc, 3, 1, &red), 1u);
  dib.bits[0] = 0x30;
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));  // row 1 is first in a bottom-up DIB
  EXPECT_EQ(SetDIBColorTable(dc, 16, 1, &red), 0u);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib.bitmap);
}

}  // namespace
