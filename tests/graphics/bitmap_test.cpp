#include "graphics/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "classes/streams.h"
#include "runtime/exception.h"
#include "tests/support/dib_surface.h"
#include "tests/support/exception_message.h"

namespace {

using BitmapPtr = std::unique_ptr<TBitmap, FreeDeleter>;

class ChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++count; }
  int count = 0;
};

// The shared test surface, black to start with, with a canvas over it.
class Target : public test_support::DibSurface {
 public:
  Target(int width, int height) : DibSurface(width, height) {
    PatBlt(Dc(), 0, 0, width, height, BLACKNESS);
    canvas.SetHandle(Dc());
  }
  ~Target() { canvas.SetHandle(nullptr); }
  // 0x00RRGGBB as stored in the 32-bit row.
  uint32_t Pixel(int x, int y) const {
    GdiFlush();
    return Raw(x, y);
  }
  TCanvas canvas;
};

BitmapPtr Make24(int width, int height) {
  BitmapPtr b(new TBitmap);
  b->SetPixelLayout(px24Bit);
  b->SetImageWidth(width);
  b->SetImageHeight(height);
  return b;
}

// Writes blue, green, red of each pixel from its coordinates.
void Paint(TBitmap& b) {
  for (int y = 0; y < b.ImageHeight(); ++y) {
    auto* row = static_cast<uint8_t*>(b.ScanLineAddress(y));
    for (int x = 0; x < b.ImageWidth(); ++x) {
      row[3 * x] = static_cast<uint8_t>(x);
      row[3 * x + 1] = static_cast<uint8_t>(y);
      row[3 * x + 2] = static_cast<uint8_t>(x ^ y);
    }
  }
}

uint32_t Rgb24At(TBitmap& b, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(b.ScanLineAddress(y));
  return row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
}

TEST(Bitmap, NewTwentyFourBitBitmapIsAWhiteBottomUpSection) {
  BitmapPtr b = Make24(846, 531);
  EXPECT_EQ(b->HandleKind(), hkDIB);
  EXPECT_EQ(b->PixelLayout(), px24Bit);
  EXPECT_EQ(b->ImageWidth(), 846);
  EXPECT_EQ(b->ImageHeight(), 531);
  EXPECT_GT(b->Image()->dib.dsBmih.biHeight, 0);
  auto* row0 = static_cast<uint8_t*>(b->ScanLineAddress(0));
  auto* row1 = static_cast<uint8_t*>(b->ScanLineAddress(1));
  // 846 * 3 = 2538 bytes, padded to 2540; bottom-up rows lie at falling addresses.
  EXPECT_EQ(row0 - row1, 2540);
  auto* last = static_cast<uint8_t*>(b->ScanLineAddress(530));
  EXPECT_EQ(row0 - last, 530 * 2540);
  for (int x = 0; x < 846 * 3; ++x) ASSERT_EQ(row0[x], 0xFF) << x;
  EXPECT_EQ(last[2537], 0xFF);
}

TEST(Bitmap, RowsOutsideTheBitmapAreRefused) {
  BitmapPtr b = Make24(4, 3);
  for (int row : {-1, 3})
    EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { b->ScanLineAddress(row); }),
              "Scan line index out of range");
  TBitmap empty;
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { empty.ScanLineAddress(0); }),
            "Scan line index out of range");
}

TEST(Bitmap, FormatsAndEmptiness) {
  TBitmap b;
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(b.HandleKind(), hkDDB);
  EXPECT_EQ(b.PixelLayout(), pxDevice);
  // Only the description changes until both sizes are set.
  b.SetPixelLayout(px8Bit);
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(b.PixelLayout(), px8Bit);
  b.SetImageSize(5, 5);
  EXPECT_FALSE(b.IsEmpty());
  EXPECT_EQ(b.PixelLayout(), px8Bit);
  b.SetPixelLayout(px16Bit);
  EXPECT_EQ(b.PixelLayout(), px16Bit);
  b.SetPixelLayout(px15Bit);
  EXPECT_EQ(b.PixelLayout(), px15Bit);
  for (TPixelLayout layout : {px32Bit, px1Bit, px4Bit, px24Bit}) {
    b.SetPixelLayout(layout);
    EXPECT_EQ(b.PixelLayout(), layout);
    EXPECT_EQ(b.ImageWidth(), 5);
  }
  b.SetPixelLayout(pxDevice);
  EXPECT_EQ(b.HandleKind(), hkDDB);
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { b.SetPixelLayout(pxCustom); }),
            "Invalid pixel format");
}

TEST(Bitmap, SizeChangesReportOnceAndKeepTheTopLeftPixels) {
  BitmapPtr b = Make24(8, 6);
  Paint(*b);
  ChangeCounter counter;
  b->OnChange = TNotifyEvent::Bind<&ChangeCounter::Changed>(&counter);
  b->SetImageSize(8, 6);
  EXPECT_EQ(counter.count, 0);
  b->SetImageSize(12, 4);
  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(b->ImageWidth(), 12);
  EXPECT_EQ(b->ImageHeight(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(Rgb24At(*b, x, y), (x ^ y) << 16 | y << 8 | x);
}

TEST(Bitmap, CopiesShareUntilOneChanges) {
  BitmapPtr a = Make24(6, 6);
  Paint(*a);
  TBitmap b;
  b.Assign(a.get());
  EXPECT_EQ(a->Image(), b.Image());
  EXPECT_EQ(a->Image()->RefCount(), 2);
  // Drawing on b's canvas gives b a private copy first.
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRectangle({0, 0, 6, 6});
  EXPECT_NE(a->Image(), b.Image());
  EXPECT_EQ(a->Image()->RefCount(), 1);
  EXPECT_EQ(Rgb24At(*a, 2, 3), static_cast<uint32_t>((2 ^ 3) << 16 | 3 << 8 | 2));
  EXPECT_EQ(Rgb24At(b, 2, 3), 0xFF0000u);
  // Row access is a change too.
  TBitmap c;
  c.Assign(a.get());
  static_cast<uint8_t*>(c.ScanLineAddress(0))[0] = 77;
  EXPECT_NE(Rgb24At(*a, 0, 0) & 0xFF, 77u);
  // Assigning none empties.
  c.Assign(nullptr);
  EXPECT_TRUE(c.IsEmpty());
}

TEST(Bitmap, HandleKindConversionsKeepThePixels) {
  BitmapPtr b = Make24(5, 4);
  Paint(*b);
  b->SetHandleKind(hkDDB);
  EXPECT_EQ(b->HandleKind(), hkDDB);
  EXPECT_NE(b->NativeHandle(), nullptr);
  b->SetHandleKind(hkDIB);
  EXPECT_EQ(b->HandleKind(), hkDIB);
  EXPECT_EQ(Rgb24At(*b, 4, 3), static_cast<uint32_t>((4 ^ 3) << 16 | 3 << 8 | 4));
}

TEST(Bitmap, AdoptsANativeBitmap) {
  HDC screen = GetDC(nullptr);
  HBITMAP native = CreateCompatibleBitmap(screen, 7, 3);
  ReleaseDC(nullptr, screen);
  TBitmap b;
  ChangeCounter counter;
  b.OnChange = TNotifyEvent::Bind<&ChangeCounter::Changed>(&counter);
  b.SetNativeHandle(native);
  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(b.ImageWidth(), 7);
  EXPECT_EQ(b.ImageHeight(), 3);
  EXPECT_EQ(b.HandleKind(), hkDDB);
  EXPECT_EQ(b.NativeHandle(), native);

  // A bitmap held in a DC of someone else's cannot be drawn on.
  HDC foreign = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(foreign, native);
  EXPECT_THROW(b.Canvas()->SetPixelAt(0, 0, clRed), EOutOfResources);
  SelectObject(foreign, old);
  DeleteDC(foreign);
  EXPECT_NO_THROW(b.Canvas()->SetPixelAt(0, 0, clRed));

  // A handle that is not a bitmap is refused when a new bitmap is made from it.
  TBitmap notBitmap;
  notBitmap.SetNativeHandle(reinterpret_cast<HBITMAP>(CreatePen(PS_SOLID, 3, 0)));
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { notBitmap.SetImageSize(5, 5); }),
            "Bitmap image is not valid");
}

TEST(Bitmap, StretchUsesColorOnColorAndTheTargetsCopyMode) {
  BitmapPtr b = Make24(4, 4);
  Paint(*b);
  Target target(8, 8);
  SetStretchBltMode(target.Dc(), BLACKONWHITE);
  b->DrawInto(&target.canvas, {0, 0, 8, 8});
  EXPECT_EQ(GetStretchBltMode(target.Dc()), COLORONCOLOR);
  // Pixel (1, 1) of the source covers (2..3, 2..3) of the target.
  EXPECT_EQ(target.Pixel(2, 3), static_cast<uint32_t>((1 ^ 1) << 16 | 1 << 8 | 1));
  target.canvas.SetCopyMode(NOTSRCCOPY);
  b->DrawInto(&target.canvas, {0, 0, 8, 8});
  EXPECT_EQ(target.Pixel(2, 3), ~static_cast<uint32_t>(1 << 8 | 1) & 0xFFFFFF);
}

TEST(Bitmap, TransparentDrawingKeepsTheTargetWhereTheColorMatches) {
  BitmapPtr b = Make24(2, 1);
  auto* row = static_cast<uint8_t*>(b->ScanLineAddress(0));
  std::memset(row, 0, 6);
  row[3 * 1 + 2] = 0xFF;  // (1, 0) red, (0, 0) black
  b->SetTransparentColor(clBlack);
  b->SetTransparentFlag(true);
  Target target(2, 1);
  PatBlt(target.Dc(), 0, 0, 2, 1, WHITENESS);
  b->DrawInto(&target.canvas, {0, 0, 2, 1});
  EXPECT_EQ(target.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(target.Pixel(1, 0), 0xFF0000u);

  // The colour the mask is made from: palette-relative, the bottom-left pixel by default.
  EXPECT_EQ(b->TransparentColor(), 0x02000000);
  b->SetTransparentColor(clRed);
  EXPECT_EQ(b->TransparentColor(), 0x020000FF);
  b->SetTransparentColor(clDefault);
  row = static_cast<uint8_t*>(b->ScanLineAddress(0));
  row[1] = 0x80;  // (0, 0) is the bottom-left pixel of a one-row bitmap
  EXPECT_EQ(b->TransparentColor(), 0x02008000);
  TBitmap mono;
  mono.SetPixelLayout(px1Bit);
  mono.SetImageSize(4, 4);
  EXPECT_EQ(mono.TransparentColor(), 0x02FFFFFF);
}

TEST(Bitmap, DormantBitmapComesBackOnFirstDraw) {
  BitmapPtr b = Make24(3, 3);
  Paint(*b);
  b->MakeDormant();
  EXPECT_FALSE(b->IsEmpty());
  EXPECT_EQ(b->Image()->handle, nullptr);
  EXPECT_NE(b->Image()->saveStream, nullptr);
  Target target(3, 3);
  b->DrawInto(&target.canvas, {0, 0, 3, 3});
  EXPECT_NE(b->Image()->handle, nullptr);
  EXPECT_EQ(target.Pixel(2, 1), static_cast<uint32_t>((2 ^ 1) << 16 | 1 << 8 | 2));
}

TEST(Bitmap, DormantBitmapConvertsToDeviceDependent) {
  // Pattern bitmaps are made dormant and later asked for a device-dependent handle.
  BitmapPtr b = Make24(3, 3);
  Paint(*b);
  b->MakeDormant();
  b->SetHandleKind(hkDDB);
  EXPECT_EQ(b->HandleKind(), hkDDB);
  HBITMAP handle = b->NativeHandle();
  DIBSECTION dib = {};
  EXPECT_EQ(GetObjectA(handle, sizeof dib, &dib), static_cast<int>(sizeof(BITMAP)));
  Target target(3, 3);
  b->DrawInto(&target.canvas, {0, 0, 3, 3});
  EXPECT_EQ(target.Pixel(2, 1), static_cast<uint32_t>((2 ^ 1) << 16 | 1 << 8 | 2));
}

TEST(Bitmap, DormantImageSharedByACopyStaysWhole) {
  BitmapPtr a = Make24(3, 2);
  Paint(*a);
  a->MakeDormant();
  TBitmap b;
  b.Assign(a.get());
  EXPECT_EQ(Rgb24At(b, 1, 1), static_cast<uint32_t>(1 << 8 | 1));
  EXPECT_EQ(Rgb24At(*a, 2, 1), static_cast<uint32_t>((2 ^ 1) << 16 | 1 << 8 | 2));
}

TEST(Bitmap, SixteenColorSystemPaletteAndFourBitBitmaps) {
  HPALETTE palette = SystemPalette16();
  ASSERT_NE(palette, nullptr);
  WORD count = 0;
  GetObjectA(palette, sizeof count, &count);
  EXPECT_EQ(count, 16);
  PALETTEENTRY e[16] = {};
  ASSERT_EQ(GetPaletteEntries(palette, 0, 16, e), 16u);
  EXPECT_EQ(RGB(e[0].peRed, e[0].peGreen, e[0].peBlue), 0x000000u);
  EXPECT_EQ(RGB(e[15].peRed, e[15].peGreen, e[15].peBlue), 0xFFFFFFu);
  // A 4-bit bitmap takes its colour table from that palette.
  TBitmap b;
  b.SetPixelLayout(px4Bit);
  b.SetImageSize(2, 2);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b.Image()->dibHandle);
  RGBQUAD table[16] = {};
  EXPECT_EQ(GetDIBColorTable(dc, 0, 16, table), 16u);
  SelectObject(dc, old);
  DeleteDC(dc);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(table[i].rgbRed, e[i].peRed) << i;
    EXPECT_EQ(table[i].rgbBlue, e[i].peBlue) << i;
  }
}

TEST(Bitmap, OutOfResourcesCarriesTheSystemText) {
  SetLastError(0);
  EXPECT_EQ(MessageOf<EOutOfResources>([] { RaiseOutOfResources(); }), "Out of system resources");
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  const std::string text = MessageOf<EOutOfResources>([] { RaiseOutOfResources(); });
  EXPECT_NE(text, "Out of system resources");
  EXPECT_NE(text, "");
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(Bitmap, BmpFormRoundTrips) {
  BitmapPtr b = Make24(5, 3);
  Paint(*b);
  TMemoryStream bmp;
  b->SaveStream(bmp);
  const auto* bytes = static_cast<const uint8_t*>(bmp.Memory());
  ASSERT_GE(bmp.Size(), 54);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  uint32_t fileSize, offset;
  std::memcpy(&fileSize, bytes + 2, 4);
  std::memcpy(&offset, bytes + 10, 4);
  EXPECT_EQ(fileSize, bmp.Size());
  EXPECT_EQ(offset, 54u);
  EXPECT_EQ(bmp.Size(), 54 + 3 * 16);  // rows of 15 bytes padded to 16

  bmp.SetPosition(0);
  TBitmap back;
  back.LoadStream(bmp);
  EXPECT_EQ(back.PixelLayout(), px24Bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(Rgb24At(back, x, y), Rgb24At(*b, x, y));

  // The counted form stored inside pictures.
  TMemoryStream payload;
  b->WritePayload(payload);
  int32_t count = 0;
  std::memcpy(&count, payload.Memory(), 4);
  EXPECT_EQ(count, bmp.Size());
  payload.SetPosition(0);
  TBitmap fromPayload;
  fromPayload.ReadPayload(payload);
  EXPECT_EQ(payload.Position(), payload.Size());
  EXPECT_EQ(Rgb24At(fromPayload, 4, 2), Rgb24At(*b, 4, 2));
}

TEST(Bitmap, PalettedBmpKeepsItsColorTable) {
  TBitmap b;
  b.SetPixelLayout(px4Bit);
  b.SetImageSize(3, 2);
  TMemoryStream bmp;
  b.SaveStream(bmp);
  const auto* bytes = static_cast<const uint8_t*>(bmp.Memory());
  uint32_t offset;
  std::memcpy(&offset, bytes + 10, 4);
  EXPECT_EQ(offset, 54u + 16 * 4);
  bmp.SetPosition(0);
  TBitmap back;
  back.LoadStream(bmp);
  EXPECT_EQ(back.PixelLayout(), px4Bit);
  EXPECT_NE(back.PaletteHandle(), nullptr);
}

// A BMP file from its header fields, colour table and bits.
TMemoryStream* MakeBmp(const std::vector<uint8_t>& header, const std::vector<uint8_t>& table,
                       const std::vector<uint8_t>& bits) {
  auto* s = new TMemoryStream;
  const uint32_t offset = 14 + static_cast<uint32_t>(header.size() + table.size());
  const uint32_t size = offset + static_cast<uint32_t>(bits.size());
  s->Write("BM", 2);
  s->Write(&size, 4);
  const uint32_t reserved = 0;
  s->Write(&reserved, 4);
  s->Write(&offset, 4);
  s->Write(header.data(), static_cast<int64_t>(header.size()));
  s->Write(table.data(), static_cast<int64_t>(table.size()));
  s->Write(bits.data(), static_cast<int64_t>(bits.size()));
  s->SetPosition(0);
  return s;
}

std::vector<uint8_t> Le(std::initializer_list<std::pair<uint32_t, int>> fields) {
  std::vector<uint8_t> out;
  for (auto [value, width] : fields)
    for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return out;
}

TEST(Bitmap, RunLengthAndCoreHeaderFilesAreRead) {
  // 4 x 2, 8 bits, run-length coded: bottom row index 1, top row index 0.
  const auto info = Le({{40, 4},
                        {4, 4},
                        {2, 4},
                        {1, 2},
                        {8, 2},
                        {BI_RLE8, 4},
                        {0, 4},
                        {0, 4},
                        {0, 4},
                        {2, 4},
                        {0, 4}});
  const std::vector<uint8_t> table = {0, 0, 0, 0, 255, 255, 255, 0};
  std::unique_ptr<TMemoryStream> rle(MakeBmp(info, table, {4, 1, 0, 0, 4, 0, 0, 1}));
  TBitmap b;
  b.LoadStream(*rle);
  EXPECT_EQ(b.PixelLayout(), px8Bit);
  EXPECT_EQ(static_cast<uint8_t*>(b.ScanLineAddress(0))[3], 0);
  EXPECT_EQ(static_cast<uint8_t*>(b.ScanLineAddress(1))[3], 1);

  // 2 x 1, 24 bits, with the 12-byte core header: written back the same way.
  const auto core = Le({{12, 4}, {2, 2}, {1, 2}, {1, 2}, {24, 2}});
  std::unique_ptr<TMemoryStream> os2(MakeBmp(core, {}, {1, 2, 3, 4, 5, 6, 0, 0}));
  TBitmap c;
  c.LoadStream(*os2);
  EXPECT_TRUE(c.Image()->os2Format);
  EXPECT_EQ(Rgb24At(c, 1, 0), 0x060504u);
  TMemoryStream out;
  c.SaveStream(out);
  ASSERT_EQ(out.Size(), os2->Size());
  EXPECT_EQ(std::memcmp(out.Memory(), os2->Memory(), static_cast<size_t>(out.Size())), 0);
}

// Rows kept top row first, in a file or in an adopted section, read as the picture
// shows them, and a save then load gives the same picture back.
TEST(Bitmap, TopDownRowsReadAndSaveTheRightWayUp) {
  // 2 x 3, 24 bits; rows padded to 8 bytes; the top row has blue 0x10, then 0x20, 0x30.
  const std::vector<uint8_t> rows = {0x10, 1, 2, 0x11, 1,    2, 0, 0,    0x20, 1, 2, 0x21,
                                     1,    2, 0, 0,    0x30, 1, 2, 0x31, 1,    2, 0, 0};
  const auto info = Le({{40, 4},
                        {2, 4},
                        {static_cast<uint32_t>(-3), 4},
                        {1, 2},
                        {24, 2},
                        {0, 4},
                        {0, 4},
                        {0, 4},
                        {0, 4},
                        {0, 4},
                        {0, 4}});
  std::unique_ptr<TMemoryStream> file(MakeBmp(info, {}, rows));
  TBitmap loaded;
  loaded.LoadStream(*file);

  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof bi.bmiHeader, 2, -3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  std::memcpy(bits, rows.data(), rows.size());
  TBitmap adopted;
  adopted.SetNativeHandle(section);

  for (TBitmap* b : {&loaded, &adopted}) {
    SCOPED_TRACE(b == &loaded ? "loaded" : "adopted");
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 2; ++x) EXPECT_EQ(Rgb24At(*b, x, y), 0x020100u + 0x10 * (y + 1) + x);
    TMemoryStream saved;
    b->SaveStream(saved);
    saved.SetPosition(0);
    TBitmap back;
    back.LoadStream(saved);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 2; ++x) EXPECT_EQ(Rgb24At(back, x, y), Rgb24At(*b, x, y));
  }
}

TEST(Bitmap, BadBmpDataIsRefused) {
  TBitmap b;
  TMemoryStream notBmp;
  notBmp.Write("XY0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefgh", 56);
  notBmp.SetPosition(0);
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { b.LoadStream(notBmp); }), "Bitmap image is not valid");

  // A header promising more pixel bytes than follow.
  BitmapPtr good = Make24(4, 4);
  TMemoryStream bmp;
  good->SaveStream(bmp);
  bmp.SetSize(bmp.Size() - 10);
  bmp.SetPosition(0);
  EXPECT_EQ(MessageOf<EReadError>([&] { b.LoadStream(bmp); }), "Stream read error");

  // A payload count beyond the data is a short read, not an allocation.
  TMemoryStream payload;
  const int32_t huge = 0x7FFFFFF0;
  payload.Write(&huge, 4);
  payload.SetPosition(0);
  EXPECT_EQ(MessageOf<EReadError>([&] { b.ReadPayload(payload); }), "Stream read error");

  // An empty remainder gives an empty bitmap.
  TMemoryStream nothing;
  good->LoadStream(nothing);
  EXPECT_TRUE(good->IsEmpty());
}

}  // namespace
