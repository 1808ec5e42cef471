#include "graphics/canvas.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "graphics/graphic.h"
#include "runtime/exception.h"
#include "tests/support/dib_surface.h"
#include "tests/support/exception_message.h"

namespace {

// The shared test surface, 16 x 16 and white to start with.
class Surface : public test_support::DibSurface {
 public:
  Surface() : DibSurface(16, 16) { PatBlt(Dc(), 0, 0, 16, 16, WHITENESS); }
};

class EventLog : public TObject {
 public:
  void Changing(TObject*) { events.push_back('<'); }
  void Changed(TObject*) { events.push_back('>'); }
  void Watch(TCanvas& c) {
    c.OnChanging = TNotifyEvent::Bind<&EventLog::Changing>(this);
    c.OnChange = TNotifyEvent::Bind<&EventLog::Changed>(this);
  }
  std::string events;
};

TEST(Canvas, ReadingTheHandleSelectsEverything) {
  Surface s;
  TCanvas canvas;
  EventLog log;
  log.Watch(canvas);
  EXPECT_EQ(canvas.State(), TCanvasState::None);
  canvas.SetHandle(s.Dc());
  EXPECT_EQ(canvas.State(), TCanvasState::HasDeviceContext);
  EXPECT_EQ(canvas.Handle(), s.Dc());
  EXPECT_EQ(log.events, "<");
  EXPECT_EQ(canvas.State(), TCanvasState::All);
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_FONT), canvas.Font()->Handle());
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_PEN), canvas.Pen()->Handle());
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_BRUSH), canvas.Brush()->Handle());
  canvas.SetHandle(nullptr);
}

TEST(Canvas, AttributeChangeDeselectsOnlyThatObject) {
  Surface s;
  TCanvas canvas;
  canvas.SetHandle(s.Dc());
  canvas.Handle();

  canvas.Font()->SetColor(clRed);
  EXPECT_EQ(canvas.State(), TCanvasState::HasDeviceContext | TCanvasState::PenSelected |
                                TCanvasState::BrushSelected);
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
  canvas.TextWidthOf("x");
  EXPECT_TRUE(Has(canvas.State(), TCanvasState::FontSelected));
  EXPECT_EQ(GetTextColor(s.Dc()), static_cast<COLORREF>(clRed));

  canvas.Pen()->SetWidth(2);
  EXPECT_FALSE(Has(canvas.State(), TCanvasState::PenSelected));
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
  canvas.Brush()->SetColor(clBlue);
  EXPECT_FALSE(Has(canvas.State(), TCanvasState::BrushSelected));
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_BRUSH), GetStockObject(NULL_BRUSH));
  canvas.SetHandle(nullptr);
}

TEST(Canvas, EnsureStateSetsModesFromAttributes) {
  Surface s;
  TCanvas canvas;
  canvas.SetHandle(s.Dc());
  canvas.Pen()->SetMode(pmXor);
  canvas.Brush()->SetColor(clYellow);
  canvas.EnsureState(TCanvasState::PenSelected | TCanvasState::BrushSelected);
  EXPECT_EQ(GetROP2(s.Dc()), R2_XORPEN);
  EXPECT_EQ(GetBkMode(s.Dc()), OPAQUE);
  EXPECT_EQ(GetBkColor(s.Dc()), static_cast<COLORREF>(clYellow));
  EXPECT_FALSE(Has(canvas.State(), TCanvasState::FontSelected));

  // A clear brush leaves text backgrounds alone.
  canvas.Brush()->SetStyle(bsClear);
  canvas.EnsureState(TCanvasState::BrushSelected);
  EXPECT_EQ(GetBkMode(s.Dc()), TRANSPARENT);
  // So does a hatched one, with the complement of its colour as the background.
  canvas.Brush()->SetColor(clRed);
  canvas.Brush()->SetStyle(bsCross);
  canvas.EnsureState(TCanvasState::BrushSelected);
  EXPECT_EQ(GetBkMode(s.Dc()), TRANSPARENT);
  EXPECT_EQ(GetBkColor(s.Dc()), ~static_cast<COLORREF>(clRed));
  canvas.SetHandle(nullptr);
}

TEST(Canvas, EachOperationSelectsOnlyWhatItNeeds) {
  using S = TCanvasState;
  Surface s, src;
  TCanvas source;
  source.SetHandle(src.Dc());
  auto stateAfter = [&](auto operation) {
    TCanvas canvas;
    canvas.SetHandle(s.Dc());
    operation(canvas);
    const S state = canvas.State();
    canvas.SetHandle(nullptr);
    return state;
  };
  EXPECT_EQ(stateAfter([](TCanvas& c) { c.MoveToPoint(1, 1); }), S::HasDeviceContext);
  EXPECT_EQ(stateAfter([](TCanvas& c) { c.PixelAt(1, 1); }), S::HasDeviceContext);
  EXPECT_EQ(stateAfter([](TCanvas& c) { c.PenPosition(); }), S::HasDeviceContext);
  EXPECT_EQ(stateAfter([](TCanvas& c) { c.SetPixelAt(1, 1, clRed); }),
            S::HasDeviceContext | S::PenSelected);
  const RECT box = {0, 0, 2, 2};
  EXPECT_EQ(stateAfter([&](TCanvas& c) { c.FillRectangle(box); }),
            S::HasDeviceContext | S::BrushSelected);
  EXPECT_EQ(stateAfter([](TCanvas& c) { c.TextWidthOf("x"); }),
            S::HasDeviceContext | S::FontSelected);
  EXPECT_EQ(stateAfter([](TCanvas& c) { c.LineToPoint(3, 3); }),
            S::HasDeviceContext | S::PenSelected | S::BrushSelected);
  EXPECT_EQ(stateAfter([](TCanvas& c) { c.DrawRectangle(0, 0, 3, 3); }),
            S::HasDeviceContext | S::PenSelected | S::BrushSelected);
  const POINT points[] = {{0, 0}, {2, 2}};
  EXPECT_EQ(stateAfter([&](TCanvas& c) { c.DrawPolyline(points); }),
            S::HasDeviceContext | S::PenSelected | S::BrushSelected);
  EXPECT_EQ(stateAfter([&](TCanvas& c) { c.CopyArea(box, &source, box); }),
            S::HasDeviceContext | S::FontSelected | S::BrushSelected);
  EXPECT_EQ(source.State(), S::HasDeviceContext | S::BrushSelected);
  source.SetHandle(nullptr);
}

TEST(Canvas, DestructionGivesTheDeviceContextBackClean) {
  Surface s;
  HFONT font;
  HPEN pen;
  {
    TCanvas canvas;
    canvas.Font()->SetHeight(-77);  // attributes nobody else uses
    canvas.Pen()->SetWidth(7);
    canvas.SetHandle(s.Dc());
    canvas.Handle();
    font = canvas.Font()->Handle();
    pen = canvas.Pen()->Handle();
  }
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_BRUSH), GetStockObject(NULL_BRUSH));
  // Deselected first, so the last release could really delete them.
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_EQ(GetObjectType(pen), 0u);
}

TEST(Canvas, DrawingWithoutADeviceContextFails) {
  TCanvas canvas;
  EventLog log;
  log.Watch(canvas);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] {
              canvas.FillRectangle({0, 0, 1, 1});
            }),
            "Canvas does not allow drawing");
  EXPECT_EQ(canvas.State(), TCanvasState::None);
  EXPECT_EQ(log.events, "<");
  EXPECT_THROW(canvas.Handle(), EInvalidOperation);
  EXPECT_THROW(canvas.TextWidthOf("x"), EInvalidOperation);
}

// A canvas that brings its own DC on demand.
class SelfSupplyingCanvas : public TCanvas {
 public:
  void AcquireDeviceContext() override {
    ++acquired;
    SetHandle(surface.Dc());
  }
  ~SelfSupplyingCanvas() override { SetHandle(nullptr); }
  Surface surface;
  int acquired = 0;
};

TEST(Canvas, AcquiresADeviceContextWhenNeeded) {
  SelfSupplyingCanvas canvas;
  canvas.Brush()->SetColor(clRed);
  canvas.FillRectangle({0, 0, 4, 4});
  canvas.FillRectangle({4, 4, 8, 8});
  EXPECT_EQ(canvas.acquired, 1);
  EXPECT_EQ(canvas.PixelAt(1, 1), static_cast<COLORREF>(clRed));
}

TEST(Canvas, HandleChangeKeepsThePenPosition) {
  Surface a, b;
  TCanvas canvas;
  canvas.SetHandle(a.Dc());
  canvas.Handle();
  canvas.MoveToPoint(5, 7);
  canvas.SetHandle(a.Dc());  // same DC: nothing happens
  EXPECT_EQ(canvas.State(), TCanvasState::All);

  canvas.SetHandle(nullptr);
  EXPECT_EQ(canvas.State(), TCanvasState::None);
  // Giving the DC up put the stock objects back.
  EXPECT_EQ(GetCurrentObject(a.Dc(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(GetCurrentObject(a.Dc(), OBJ_PEN), GetStockObject(BLACK_PEN));

  canvas.SetHandle(b.Dc());
  POINT p = {};
  GetCurrentPositionEx(b.Dc(), &p);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 7);
  EXPECT_EQ(canvas.PenPosition().x, 5);
  canvas.SetHandle(nullptr);
}

TEST(Canvas, DrawingOperationsPaintAndNotify) {
  Surface s;
  TCanvas canvas;
  EventLog log;
  log.Watch(canvas);
  canvas.SetHandle(s.Dc());

  canvas.Brush()->SetColor(clRed);
  canvas.FillRectangle({0, 0, 4, 4});
  EXPECT_EQ(canvas.PixelAt(2, 2), static_cast<COLORREF>(clRed));
  EXPECT_EQ(canvas.PixelAt(5, 5), static_cast<COLORREF>(clWhite));

  canvas.Pen()->SetColor(clBlue);
  canvas.MoveToPoint(0, 10);
  canvas.LineToPoint(10, 10);
  EXPECT_EQ(canvas.PixelAt(5, 10), static_cast<COLORREF>(clBlue));

  canvas.SetPixelAt(15, 15, clLime);
  EXPECT_EQ(canvas.PixelAt(15, 15), static_cast<COLORREF>(clLime));

  const POINT line[] = {{0, 14}, {8, 14}};
  canvas.DrawPolyline(line);
  canvas.DrawRectangle(10, 0, 14, 4);
  EXPECT_EQ(canvas.PixelAt(10, 0), static_cast<COLORREF>(clBlue));  // pen frame
  EXPECT_EQ(canvas.PixelAt(12, 2), static_cast<COLORREF>(clRed));   // brush inside

  // Moves, reads and measurements are silent.
  EXPECT_EQ(log.events, "<><><><><>");
  EXPECT_EQ(canvas.MeasureText("").cx, 0);
  EXPECT_GT(canvas.TextWidthOf("Wide text"), canvas.TextWidthOf("W"));
  EXPECT_GT(canvas.TextHeightOf("W"), 0);
  canvas.DrawGraphic(0, 0, nullptr);
  canvas.StretchGraphic({0, 0, 1, 1}, nullptr);
  EXPECT_EQ(log.events, "<><><><><>");
  canvas.SetHandle(nullptr);
}

TEST(Canvas, CopyAreaStretchesWithTheCopyMode) {
  Surface src, dst;
  TCanvas source, dest;
  source.SetHandle(src.Dc());
  dest.SetHandle(dst.Dc());
  source.Brush()->SetColor(clNavy);
  source.FillRectangle({0, 0, 2, 2});
  EXPECT_EQ(dest.CopyMode(), 0xCC0020u);
  dest.CopyArea({0, 0, 8, 8}, &source, {0, 0, 4, 4});
  EXPECT_EQ(dest.PixelAt(3, 3), static_cast<COLORREF>(clNavy));
  EXPECT_EQ(dest.PixelAt(6, 6), static_cast<COLORREF>(clWhite));

  dest.SetCopyMode(NOTSRCCOPY);
  dest.CopyArea({0, 0, 8, 8}, &source, {0, 0, 4, 4});
  EXPECT_EQ(dest.PixelAt(6, 6), static_cast<COLORREF>(clBlack));
  source.SetHandle(nullptr);
  dest.SetHandle(nullptr);
}

TEST(Canvas, LockCounting) {
  TCanvas canvas;
  EXPECT_TRUE(canvas.TryLockCanvas());
  EXPECT_EQ(canvas.LockCount(), 1);
  EXPECT_FALSE(canvas.TryLockCanvas());
  canvas.LockCanvas();
  EXPECT_EQ(canvas.LockCount(), 2);
  canvas.UnlockCanvas();
  canvas.UnlockCanvas();
  EXPECT_EQ(canvas.LockCount(), 0);
}

TEST(Canvas, LockHoldsOffAttributeWritesFromOtherThreads) {
  TCanvas canvas;
  canvas.LockCanvas();
  std::atomic<bool> tried{false}, written{false};
  bool otherCouldLock = true;
  std::thread other([&] {
    otherCouldLock = canvas.TryLockCanvas();
    tried = true;
    canvas.Font()->SetColor(clRed);  // waits for the canvas lock
    written = true;
  });
  while (!tried) std::this_thread::yield();
  Sleep(20);  // give the writer every chance to get past the lock if it could
  EXPECT_FALSE(written);
  EXPECT_EQ(canvas.Font()->Color(), clWindowText);
  canvas.UnlockCanvas();
  other.join();
  EXPECT_FALSE(otherCouldLock);
  EXPECT_EQ(canvas.Font()->Color(), clRed);
}

// A graphic that records how it was asked to draw.
class ProbeGraphic : public TGraphic {
 public:
  const TGraphicClass& GraphicClass() const override {
    static const TGraphicClass cls{&TGraphic::StaticMeta, nullptr};
    return cls;
  }
  void DrawInto(TCanvas* canvas, const RECT& rect) override {
    ++draws;
    drawnRect = rect;
    bkColor = GetBkColor(canvas->HandleValue());
    textColor = GetTextColor(canvas->HandleValue());
    stateSeen = canvas->State();
  }
  bool IsEmpty() override { return width == 0; }
  int ImageWidth() override { return width; }
  int ImageHeight() override { return 3; }
  void SetImageWidth(int) override {}
  void SetImageHeight(int) override {}
  void LoadStream(TStream&) override {}
  void SaveStream(TStream&) override {}
  void LoadClipboardData(uint16_t, HANDLE, HPALETTE) override {}
  void SaveClipboardData(uint16_t&, HANDLE&, HPALETTE&) override {}

  int width = 0;
  int draws = 0;
  RECT drawnRect = {};
  COLORREF bkColor = 0, textColor = 0;
  TCanvasState stateSeen = TCanvasState::None;
};

TEST(Canvas, GraphicsDrawThemselves) {
  Surface s;
  TCanvas canvas;
  EventLog log;
  log.Watch(canvas);
  canvas.SetHandle(s.Dc());
  ProbeGraphic graphic;

  canvas.DrawGraphic(1, 2, &graphic);  // empty: nothing at all
  EXPECT_EQ(graphic.draws, 0);
  EXPECT_EQ(log.events, "");

  graphic.width = 5;
  canvas.Brush()->SetColor(clMaroon);
  canvas.Font()->SetColor(clTeal);
  canvas.DrawGraphic(1, 2, &graphic);
  EXPECT_EQ(graphic.draws, 1);
  EXPECT_EQ(graphic.drawnRect.left, 1);
  EXPECT_EQ(graphic.drawnRect.top, 2);
  EXPECT_EQ(graphic.drawnRect.right, 6);
  EXPECT_EQ(graphic.drawnRect.bottom, 5);
  EXPECT_EQ(graphic.bkColor, static_cast<COLORREF>(clMaroon));
  EXPECT_EQ(graphic.textColor, static_cast<COLORREF>(clTeal));
  EXPECT_EQ(graphic.stateSeen, TCanvasState::HasDeviceContext);
  EXPECT_EQ(log.events, "<>");

  // Stretching asks even an empty graphic, with everything selected.
  graphic.width = 0;
  canvas.StretchGraphic({0, 0, 10, 10}, &graphic);
  EXPECT_EQ(graphic.draws, 2);
  EXPECT_EQ(graphic.drawnRect.right, 10);
  EXPECT_EQ(graphic.stateSeen, TCanvasState::All);
  EXPECT_EQ(log.events, "<><>");
  canvas.SetHandle(nullptr);
}

}  // namespace
