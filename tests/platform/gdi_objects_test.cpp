// GDI objects: creation, description, selection and deletion, and refusal of bad input.
#include <cstring>

#include "tests/platform/gdi_support.h"

namespace {

using gdi_test::MakeDib;

class GdiObjects : public gdi_test::GdiTest {};

TEST_F(GdiObjects, StockObjectsDescribeThemselves) {
  LOGPEN pen{};
  ASSERT_EQ(GetObjectA(GetStockObject(NULL_PEN), sizeof pen, &pen), static_cast<int>(sizeof pen));
  EXPECT_EQ(pen.lopnStyle, static_cast<UINT>(PS_NULL));
  ASSERT_EQ(GetObjectA(GetStockObject(WHITE_PEN), sizeof pen, &pen), static_cast<int>(sizeof pen));
  EXPECT_EQ(pen.lopnColor, RGB(255, 255, 255));
  LOGBRUSH brush{};
  const struct {
    int stock;
    UINT style;
    COLORREF color;
  } brushes[] = {
      {WHITE_BRUSH, BS_SOLID, RGB(255, 255, 255)}, {LTGRAY_BRUSH, BS_SOLID, RGB(192, 192, 192)},
      {GRAY_BRUSH, BS_SOLID, RGB(128, 128, 128)},  {DKGRAY_BRUSH, BS_SOLID, RGB(64, 64, 64)},
      {BLACK_BRUSH, BS_SOLID, RGB(0, 0, 0)},       {NULL_BRUSH, BS_NULL, RGB(0, 0, 0)}};
  for (const auto& b : brushes) {
    ASSERT_EQ(GetObjectA(GetStockObject(b.stock), sizeof brush, &brush),
              static_cast<int>(sizeof brush));
    EXPECT_EQ(brush.lbStyle, b.style) << b.stock;
    EXPECT_EQ(brush.lbColor, b.color) << b.stock;
  }
  LOGFONTA font{};
  ASSERT_EQ(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font),
            static_cast<int>(sizeof font));
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_STREQ(font.lfFaceName, "MS Shell Dlg");
  ASSERT_EQ(GetObjectA(GetStockObject(SYSTEM_FONT), sizeof font, &font),
            static_cast<int>(sizeof font));
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_STREQ(font.lfFaceName, "System");
  // Deleting a stock object is accepted and changes nothing.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
}

TEST_F(GdiObjects, CreatedObjectsReadBackAsCreated) {
  const LOGPEN dashed{PS_DASH, {5, 9}, RGB(1, 2, 3)};
  HPEN pen = CreatePenIndirect(&dashed);
  LOGPEN pout{};
  ASSERT_EQ(GetObjectA(pen, sizeof pout, &pout), static_cast<int>(sizeof pout));
  EXPECT_EQ(pout.lopnStyle, static_cast<UINT>(PS_DASH));
  EXPECT_EQ(pout.lopnWidth.x, 5);
  EXPECT_EQ(pout.lopnWidth.y, 0);
  EXPECT_EQ(GetObjectA(pen, sizeof pout - 1, &pout), 0);
  EXPECT_EQ(GetObjectA(pen, 0, nullptr), static_cast<int>(sizeof(LOGPEN)));
  const LOGPEN none{PS_NULL, {3, 0}, RGB(1, 2, 3)};
  EXPECT_EQ(CreatePenIndirect(&none), GetStockObject(NULL_PEN));
  const LOGBRUSH hollow{BS_HOLLOW, RGB(5, 6, 7), 0};
  EXPECT_EQ(CreateBrushIndirect(&hollow), GetStockObject(NULL_BRUSH));
  const LOGBRUSH hatched{BS_HATCHED, RGB(5, 6, 7), HS_DIAGCROSS};
  HBRUSH hatch = CreateBrushIndirect(&hatched);
  LOGBRUSH bout{};
  ASSERT_EQ(GetObjectA(hatch, sizeof bout, &bout), static_cast<int>(sizeof bout));
  EXPECT_EQ(bout.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(bout.lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
  HBITMAP bits = CreateBitmap(8, 8, 1, 1, nullptr);
  const LOGBRUSH patterned{BS_PATTERN, RGB(5, 6, 7), reinterpret_cast<ULONG_PTR>(bits)};
  HBRUSH pattern = CreateBrushIndirect(&patterned);
  ASSERT_EQ(GetObjectA(pattern, sizeof bout, &bout), static_cast<int>(sizeof bout));
  EXPECT_EQ(bout.lbHatch, reinterpret_cast<ULONG_PTR>(bits));
  const LOGBRUSH badStyle{99, 0, 0};
  EXPECT_EQ(CreateBrushIndirect(&badStyle), nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -11;
  lf.lfWeight = FW_BOLD;
  std::strcpy(lf.lfFaceName, "Tahoma");
  HFONT font = CreateFontIndirectA(&lf);
  LOGFONTA fout{};
  EXPECT_EQ(GetObjectA(font, 10, &fout), 10);  // a font copies as much as fits
  ASSERT_EQ(GetObjectA(font, sizeof fout, &fout), static_cast<int>(sizeof fout));
  EXPECT_EQ(std::memcmp(&fout, &lf, sizeof lf), 0);
  for (HGDIOBJ o : {HGDIOBJ(pen), HGDIOBJ(hatch), HGDIOBJ(pattern), HGDIOBJ(bits), HGDIOBJ(font)})
    EXPECT_TRUE(DeleteObject(o));
}

TEST_F(GdiObjects, BitmapsDescribeTheirFormat) {
  HBITMAP mono = CreateBitmap(10, 3, 1, 1, nullptr);
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(mono, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidthBytes, 2);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmBits, nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP compatible = CreateCompatibleBitmap(screen, 10, 10);
  ASSERT_EQ(GetObjectA(compatible, sizeof(DIBSECTION), &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidthBytes, 40);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP small = CreateCompatibleBitmap(memory, 10, 10);  // a memory DC starts monochrome
  GetObjectA(small, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  const DWORD masks[] = {0xF800, 0x07E0, 0x001F};
  // 16-bit sections describe their masks even when created without them.
  const struct {
    int bpp;
    int height;
    const DWORD* masks;
    LONG stride;
    DWORD compression;
    DWORD greenMask;
  } formats[] = {{1, 3, nullptr, 4, BI_RGB, 0},
                 {4, -3, nullptr, 4, BI_RGB, 0},
                 {8, 3, nullptr, 8, BI_RGB, 0},
                 {16, 3, nullptr, 12, BI_BITFIELDS, 0x03E0},
                 {16, -3, masks, 12, BI_BITFIELDS, 0x07E0},
                 {24, 3, nullptr, 16, BI_RGB, 0},
                 {32, -3, nullptr, 20, BI_RGB, 0}};
  for (const auto& f : formats) {
    gdi_test::Dib dib = MakeDib(f.bpp, 5, f.height, {}, f.masks);
    ASSERT_NE(dib.bitmap, nullptr) << f.bpp;
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(dib.bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds)) << f.bpp;
    EXPECT_EQ(ds.dsBm.bmWidthBytes, f.stride) << f.bpp;
    EXPECT_EQ(ds.dsBm.bmBits, dib.bits) << f.bpp;
    EXPECT_EQ(ds.dsBmih.biHeight, 3) << f.bpp;
    EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(f.stride * 3)) << f.bpp;
    EXPECT_EQ(ds.dsBmih.biCompression, f.compression) << f.bpp;
    EXPECT_EQ(ds.dsBitfields[1], f.greenMask) << f.bpp;
    EXPECT_EQ(ds.dsBmih.biClrUsed, f.bpp <= 8 ? 1u << f.bpp : 0u) << f.bpp;
    DeleteObject(dib.bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (HGDIOBJ o : {HGDIOBJ(mono), HGDIOBJ(compatible), HGDIOBJ(small)}) DeleteObject(o);
}

TEST_F(GdiObjects, UnusableDibHeadersAndAbsurdSizesAreRefused) {
  const struct {
    LONG width, height;
    WORD bpp;
  } bad[] = {{100000, 100000, 32}, {-5, 5, 32},        {0, 5, 32}, {5, 0, 32}, {5, 5, 7},
             {5, 5, 64},           {0x7FFFFFFF, 2, 32}};
  for (const auto& b : bad) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), b.width, b.height, 1, b.bpp, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr)
        << b.width << "x" << b.height;
    EXPECT_EQ(bits, nullptr);
  }
}

TEST_F(GdiObjects, SelectedObjectsAreDeletedWhenTheyAreLetGo) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HGDIOBJ old = SelectObject(dc, pen);
  EXPECT_EQ(old, GetStockObject(BLACK_PEN));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));  // still selected: still there
  EXPECT_EQ(SelectObject(dc, old), pen);
  EXPECT_EQ(GetObjectType(pen), 0u);
  // A bitmap goes into one DC at a time.
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 1, nullptr);
  HDC other = CreateCompatibleDC(nullptr);
  ASSERT_NE(SelectObject(dc, bitmap), nullptr);
  EXPECT_EQ(SelectObject(other, bitmap), nullptr);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(dc));  // lets go of the bitmap, which then goes
  EXPECT_EQ(GetObjectType(bitmap), 0u);
  DeleteDC(other);
}

// Every call given a handle of the wrong kind, or one already deleted, fails softly.
TEST_F(GdiObjects, WrongAndDeletedHandlesFail) {
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  DeleteObject(pen);
  HDC dc = CreateCompatibleDC(nullptr);
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  HBRUSH brush = CreateSolidBrush(0);
  const HDC notDc = reinterpret_cast<HDC>(brush);
  LOGPEN lp{};
  for (HDC bad : {gone, notDc}) {
    EXPECT_EQ(SelectObject(bad, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_FALSE(PatBlt(bad, 0, 0, 1, 1, PATCOPY));
    EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, bad, 0, 0, SRCCOPY));
    EXPECT_FALSE(LineTo(bad, 1, 1));
    EXPECT_FALSE(Rectangle(bad, 0, 0, 2, 2));
    EXPECT_EQ(SetTextColor(bad, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(bad, 0, 0), CLR_INVALID);
    EXPECT_EQ(SaveDC(bad), 0);
    EXPECT_FALSE(RestoreDC(bad, -1));
    EXPECT_EQ(IntersectClipRect(bad, 0, 0, 1, 1), ERROR);
    EXPECT_EQ(GetDeviceCaps(bad, BITSPIXEL), 0);
    EXPECT_FALSE(DeleteDC(bad));
  }
  EXPECT_EQ(SelectObject(dc, pen), nullptr);
  EXPECT_EQ(GetObjectA(pen, sizeof lp, &lp), 0);
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(nullptr), 0u);
  EXPECT_FALSE(DeleteObject(nullptr));
  DeleteObject(brush);
  DeleteDC(dc);
}

TEST_F(GdiObjects, PalettesHoldTheirEntries) {
  struct {
    WORD version, count;
    PALETTEENTRY entries[3];
  } log = {0x300, 3, {{10, 20, 30, 0}, {200, 0, 0, 0}, {0, 0, 255, 0}}};
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
  PALETTEENTRY out[4]{};
  EXPECT_EQ(GetPaletteEntries(palette, 1, 4, out), 2u);
  EXPECT_EQ(out[0].peRed, 200);
  WORD count = 0;
  EXPECT_EQ(GetObjectA(palette, sizeof count, &count), 2);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(250, 5, 5)), 1u);
  HPALETTE halftone = CreateHalftonePalette(nullptr);
  EXPECT_EQ(GetPaletteEntries(halftone, 0, 0, nullptr), 256u);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectPalette(dc, palette, FALSE), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(dc), 0u);  // a true-colour display maps nothing
  EXPECT_EQ(SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE),
            palette);
  DeleteDC(dc);
  DeleteObject(palette);
  DeleteObject(halftone);
}

}  // namespace
