#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/brush.h"
#include "graphics/canvas.h"
#include "graphics/font.h"
#include "graphics/graphics_module.h"
#include "graphics/pattern_manager.h"
#include "graphics/pen.h"
#include "graphics/resource_manager.h"

namespace {

// The graphics layer's tests all need the module started once.
class GraphicsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { GraphicsModuleStartup(); }
  void TearDown() override { GraphicsModuleShutdown(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GraphicsEnvironment);

struct RawKey {
  HGDIOBJ handle;
  uint32_t a, b, c;
};

RawKey MakeKey(uint32_t a, HGDIOBJ handle = nullptr) {
  RawKey k;
  std::memset(&k, 0, sizeof k);
  k.handle = handle;
  k.a = a;
  return k;
}

TEST(KeyHash, RotatesWithinSixteenBits) {
  const unsigned char two[] = {1, 2};
  EXPECT_EQ(KeyHash(two, 2), (1 << 5) ^ 2);
  // 0x80 rotated left by 15 wraps round to bit 4, then by 5 more to bit 6.
  const unsigned char wrap[] = {0x80, 0, 0, 0};
  EXPECT_EQ(KeyHash(wrap, 4), 0x40);
  EXPECT_EQ(KeyHash(wrap, 0), 0);
}

TEST(ResourceManager, EqualKeysShareOneCountedRecord) {
  TResourceManager cache(sizeof(RawKey));
  RawKey k1 = MakeKey(7), k2 = MakeKey(7), other = MakeKey(8);
  SharedResource* r1 = cache.AcquireRecord(&k1);
  SharedResource* r2 = cache.AcquireRecord(&k2);
  SharedResource* r3 = cache.AcquireRecord(&other);
  EXPECT_EQ(r1, r2);
  EXPECT_NE(r1, r3);
  EXPECT_EQ(r1->refCount, 2);
  EXPECT_EQ(r1->hash, KeyHash(&k1, sizeof k1));
  EXPECT_EQ(cache.RecordCount(), 2);

  cache.ReleaseRecord(r1);
  EXPECT_EQ(cache.RecordCount(), 2);
  cache.ReleaseRecord(r2);
  EXPECT_EQ(cache.RecordCount(), 1);
  // The surviving record is still reachable after unlinking a neighbour.
  EXPECT_EQ(cache.AcquireRecord(&other), r3);
  cache.ReleaseRecord(r3);
  cache.ReleaseRecord(r3);
  EXPECT_EQ(cache.RecordCount(), 0);
  cache.ReleaseRecord(nullptr);
}

TEST(ResourceManager, LastReleaseDeletesTheNativeHandle) {
  TResourceManager cache(sizeof(RawKey));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  // A key that carries a handle hands it to its record.
  RawKey k = MakeKey(1, pen);
  SharedResource* r = cache.AcquireRecord(&k);
  EXPECT_EQ(r->handle, pen);
  cache.AcquireRecord(&k);
  cache.ReleaseRecord(r);
  EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
  cache.ReleaseRecord(r);
  EXPECT_EQ(GetObjectType(pen), 0u);
}

TEST(FontCache, SameAttributesShareRecordAndHandle) {
  auto a = std::make_unique<TFont>();
  auto b = std::make_unique<TFont>();
  for (TFont* f : {a.get(), b.get()}) {
    f->SetName("Tahoma");
    f->SetHeight(-16);
    f->SetStyle(StyleBit(fsBold));
    f->SetCharset(DEFAULT_CHARSET);
  }
  a->SetColor(clLime);  // the colour is the font's own, not the shared record's
  ASSERT_EQ(a->Resource(), b->Resource());
  EXPECT_EQ(a->Resource()->refCount, 2);
  HFONT h = a->Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(b->Handle(), h);

  a.reset();
  EXPECT_EQ(GetObjectType(h), static_cast<DWORD>(OBJ_FONT));
  b.reset();
  EXPECT_EQ(GetObjectType(h), 0u);
}

TEST(FontCache, RenamingClearsTheOldNameFromTheKey) {
  TFont a, b;
  a.SetName("A much longer face name");
  a.SetName("Arial");
  b.SetName("Arial");
  EXPECT_EQ(a.Resource(), b.Resource());
}

TEST(FontCache, CountsStayExactUnderConcurrentUse) {
  TFont shared, defaults;
  shared.SetHeight(-13);
  const int before = FontManager->RecordCount();
  std::vector<std::thread> threads;
  threads.reserve(4);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 3000; ++i) {
        TFont f;  // default attributes: one record for every thread
        if (i % 100 == 0) f.SetHeight(i % 200 ? -13 : -14 - t);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(shared.Resource()->refCount, 1);
  EXPECT_EQ(defaults.Resource()->refCount, 1);
  EXPECT_EQ(FontManager->RecordCount(), before);
}

TEST(SystemColorRefresh, DropsOnlySystemColouredHandles) {
  TPen system, rgb;
  system.SetColor(clBtnShadow);
  rgb.SetColor(clRed);
  HPEN systemHandle = system.Handle();
  HPEN rgbHandle = rgb.Handle();
  TBrush systemBrush, rgbBrush;
  systemBrush.SetColor(clInfoBk);
  rgbBrush.SetColor(clTeal);
  HBRUSH systemBrushHandle = systemBrush.Handle();
  HBRUSH rgbBrushHandle = rgbBrush.Handle();
  TFont font;
  font.SetColor(clHighlightText);
  font.SetHeight(-31);
  HFONT fontHandle = font.Handle();

  RefreshSystemColors();

  EXPECT_EQ(system.Resource()->handle, nullptr);
  EXPECT_EQ(GetObjectType(systemHandle), 0u);
  EXPECT_EQ(rgb.Resource()->handle, rgbHandle);
  EXPECT_NE(system.Handle(), nullptr);  // made again on next use
  EXPECT_EQ(systemBrush.Resource()->handle, nullptr);
  EXPECT_EQ(GetObjectType(systemBrushHandle), 0u);
  EXPECT_EQ(rgbBrush.Resource()->handle, rgbBrushHandle);
  // A font's colour is not in its key, so its native font stays.
  EXPECT_EQ(font.Resource()->handle, fontHandle);
}

TEST(SystemColorRefresh, CanvasesLetGoOfTheirObjects) {
  HDC dc = CreateCompatibleDC(nullptr);
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.Handle();
  RefreshSystemColors();
  EXPECT_EQ(canvas.State(), TCanvasState::HasDeviceContext);
  EXPECT_EQ(canvas.LockCount(), 0);
  canvas.SetHandle(nullptr);
  DeleteDC(dc);
}

TEST(PatternCache, CheckerboardPerColourPair) {
  TBitmap* pattern = PatternManager->AllocPattern(clRed, clBlue);
  ASSERT_NE(pattern, nullptr);
  EXPECT_EQ(PatternManager->AllocPattern(clRed, clBlue), pattern);
  EXPECT_NE(PatternManager->AllocPattern(clBlue, clRed), pattern);
  EXPECT_EQ(pattern->ImageWidth(), 8);
  TCanvas* c = pattern->Canvas();
  EXPECT_EQ(c->PixelAt(0, 0), static_cast<COLORREF>(clBlue));
  EXPECT_EQ(c->PixelAt(1, 0), static_cast<COLORREF>(clRed));
  EXPECT_EQ(c->PixelAt(1, 1), static_cast<COLORREF>(clBlue));
  EXPECT_EQ(c->PixelAt(7, 6), static_cast<COLORREF>(clRed));
}

TEST(BrushCache, PatternBitmapMakesAPatternBrush) {
  TBitmap* pattern = PatternManager->AllocPattern(clBlack, clWhite);
  TBrush brush;
  brush.SetColor(clRed);
  brush.SetPatternBitmap(pattern);
  EXPECT_EQ(brush.PatternBitmap(), pattern);
  EXPECT_EQ(brush.Color(), clWhite);
  LOGBRUSH lb;
  ASSERT_NE(GetObjectA(brush.Handle(), sizeof lb, &lb), 0);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_PATTERN));
  // Writing the colour starts from a key without the bitmap.
  brush.SetColor(clRed);
  EXPECT_EQ(brush.PatternBitmap(), nullptr);
}

}  // namespace
