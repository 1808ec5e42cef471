#include <gtest/gtest.h>

#include "classes/metadata.h"
#include "graphics/brush.h"
#include "graphics/canvas.h"
#include "graphics/pen.h"

namespace {

class ChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++count; }
  TNotifyEvent Event() { return TNotifyEvent::Bind<&ChangeCounter::Changed>(this); }
  int count = 0;
};

TEST(Pen, DefaultsAndChangeRules) {
  TPen pen;
  EXPECT_EQ(pen.Color(), clBlack);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(pen.Style(), psSolid);
  EXPECT_EQ(pen.Mode(), pmCopy);

  ChangeCounter counter;
  pen.OnChange = counter.Event();
  pen.SetWidth(-1);
  pen.SetWidth(1);
  pen.SetMode(pmCopy);
  EXPECT_EQ(counter.count, 0);
  EXPECT_EQ(pen.Width(), 1);

  pen.SetWidth(3);
  pen.SetStyle(psDot);
  pen.SetColor(clBlue);
  pen.SetMode(pmXor);
  EXPECT_EQ(counter.count, 4);
}

TEST(Pen, ModeIsNotPartOfTheSharedRecord) {
  TPen a, b;
  a.SetMode(pmNotXor);
  EXPECT_EQ(a.Resource(), b.Resource());
  b.Assign(&a);
  EXPECT_EQ(b.Mode(), pmNotXor);
}

TEST(Pen, NativePenUsesResolvedColourAndStyleTable) {
  TPen pen;
  pen.SetColor(clBtnFace);
  pen.SetWidth(4);
  pen.SetStyle(psInsideFrame);
  LOGPEN lp;
  ASSERT_NE(GetObjectA(pen.Handle(), sizeof lp, &lp), 0);
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_INSIDEFRAME));
  EXPECT_EQ(lp.lopnWidth.x, 4);
  EXPECT_EQ(lp.lopnColor, GetSysColor(COLOR_BTNFACE));

  EXPECT_EQ(NativePenStyle(psClear), 5);
  EXPECT_EQ(NativePenStyle(psAlternate), 8);
}

TEST(Pen, ModesMapToRasterOps) {
  const int expected[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
  for (int m = pmBlack; m <= pmNotXor; ++m)
    EXPECT_EQ(RasterOp2Of(static_cast<TPenMode>(m)), expected[m]) << m;
}

TEST(Brush, ClearStyleAndColourPullEachOther) {
  TBrush brush;
  EXPECT_EQ(brush.Color(), clWhite);
  EXPECT_EQ(brush.Style(), bsSolid);
  ChangeCounter counter;
  brush.OnChange = counter.Event();

  brush.SetColor(clBlack);
  brush.SetStyle(bsClear);
  EXPECT_EQ(brush.Color(), clWhite);
  EXPECT_EQ(counter.count, 2);

  brush.SetColor(clRed);
  EXPECT_EQ(brush.Style(), bsSolid);
  EXPECT_EQ(brush.Color(), clRed);
  EXPECT_EQ(counter.count, 3);

  brush.SetStyle(bsCross);
  brush.SetColor(clBlue);
  EXPECT_EQ(brush.Style(), bsCross);  // only a clear brush turns solid
}

TEST(Brush, NativeRequestByStyle) {
  BrushAttributes a;
  std::memcpy(&a, &DefaultBrushAttributes, sizeof a);
  a.color = clBtnFace;
  EXPECT_EQ(LogBrushOf(a).lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(LogBrushOf(a).lbColor, GetSysColor(COLOR_BTNFACE));
  a.style = bsClear;
  EXPECT_EQ(LogBrushOf(a).lbStyle, static_cast<UINT>(BS_HOLLOW));
  a.style = bsHorizontal;
  EXPECT_EQ(LogBrushOf(a).lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(LogBrushOf(a).lbHatch, static_cast<ULONG_PTR>(HS_HORIZONTAL));
  a.style = bsDiagCross;
  EXPECT_EQ(LogBrushOf(a).lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));

  TBrush brush;
  brush.SetStyle(bsBDiagonal);
  brush.SetColor(clGreen);
  LOGBRUSH lb;
  ASSERT_NE(GetObjectA(brush.Handle(), sizeof lb, &lb), 0);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_BDIAGONAL));
  EXPECT_EQ(lb.lbColor, static_cast<COLORREF>(clGreen));
}

TEST(PenBrushMetadata, CanvasCopiesAssignedObjects) {
  const ClassMetadata& meta = TCanvas::StaticMeta();
  EXPECT_EQ(FindProperty(meta, "CopyMode")->defaultValue, 13369376);
  TCanvas canvas;
  TPen pen;
  pen.SetColor(clRed);
  StoreObject(canvas, *FindProperty(meta, "Pen"), &pen);
  EXPECT_NE(canvas.Pen(), &pen);
  EXPECT_EQ(canvas.Pen()->Color(), clRed);
  EXPECT_EQ(FetchObject(canvas, *FindProperty(meta, "Pen")), canvas.Pen());
}

}  // namespace
