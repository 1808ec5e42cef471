// Panel and image: where a picture goes, when an image is opaque, the panel's frames,
// the area it leaves to aligned children, its opacity and its window styles.
#include <gtest/gtest.h>

#include <climits>

#include "classes/streams.h"
#include "controls/image.h"
#include "controls/panel.h"
#include "controls/picture_placement.h"
#include "graphics/bitmap.h"
#include "graphics/jpeg_image.h"
#include "runtime/exception.h"
#include "tests/controls/handle_census.h"
#include "tests/controls/views_test_util.h"
#include "tests/support/host_window.h"

namespace {

using views_test::Surface;

TEST(PicturePlacementTest, StretchProportionalAndCenter) {
  struct Case {
    const char* name;
    int w, h, cw, ch;
    PictureFit fit;
    RECT expected;
  };
  const Case cases[] = {
      {"own size", 30, 20, 100, 100, {}, {0, 0, 30, 20}},
      {"stretch ignores proportions", 1152, 846, 846, 531, {true}, {0, 0, 846, 531}},
      {"proportional wide", 200, 100, 100, 100, {false, true}, {0, 0, 100, 50}},
      {"proportional wide centred", 200, 100, 100, 100, {false, true, true}, {0, 25, 100, 75}},
      {"proportional tall", 100, 400, 100, 100, {false, true}, {0, 0, 25, 100}},
      {"proportional never enlarges", 50, 20, 100, 100, {false, true}, {0, 0, 50, 20}},
      {"stretch proportional enlarges", 50, 20, 100, 100, {true, true}, {0, 0, 100, 40}},
      {"wide but client is flatter", 300, 200, 300, 100, {true, true}, {0, 0, 150, 100}},
      {"larger centred goes negative",
       300,
       200,
       100,
       100,
       {false, false, true},
       {-100, -50, 200, 150}},
      {"empty picture stretched", 0, 0, 80, 60, {true, true}, {0, 0, 80, 60}},
      {"absurd client stays in range",
       10,
       10,
       INT_MAX,
       INT_MAX,
       {true, true, true},
       {0, 0, INT_MAX, INT_MAX}},
      {"absurd negative client centred",
       10,
       10,
       INT_MIN,
       INT_MIN,
       {false, false, true},
       {INT_MIN / 2 - 5, INT_MIN / 2 - 5, INT_MIN / 2 + 5, INT_MIN / 2 + 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RECT r = PicturePlacement(c.w, c.h, c.cw, c.ch, c.fit);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
  }
}

TOwnedPtr<TBitmap> SolidBitmap(int width, int height, TColor color) {
  TOwnedPtr<TBitmap> bitmap(new TBitmap);
  bitmap->SetImageSize(width, height);
  bitmap->Canvas()->Brush()->SetColor(color);
  bitmap->Canvas()->FillRectangle({0, 0, width, height});
  return bitmap;
}

TEST(ImageTest, OpaqueOnlyWhenAnOpaqueGraphicCoversTheWholeControl) {
  struct Case {
    const char* name;
    int pictureWidth;  // 0: no graphic
    bool stretch, transparent, center;
    bool opaque;
  };
  const Case cases[] = {
      {"no graphic", 0, true, false, false, false},
      {"own size covers", 105, false, false, false, true},
      {"smaller", 50, false, false, false, false},
      {"smaller stretched", 50, true, false, false, true},
      {"transparent stretched", 50, true, true, false, false},
      {"larger centred", 300, false, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOwnedPtr<TImage> image(new TImage(nullptr));
    ASSERT_EQ(image->Width(), 105);
    image->SetStretch(c.stretch);
    image->SetCenter(c.center);
    image->SetTransparent(c.transparent);
    if (c.pictureWidth > 0) {
      auto bitmap = SolidBitmap(c.pictureWidth, c.pictureWidth, clRed);
      image->Picture()->SetGraphic(bitmap.get());
    }
    EXPECT_EQ(image->HasTrait(ctOpaque), c.opaque);
    // Emptying the picture always makes the image see-through again.
    image->Picture()->SetGraphic(nullptr);
    EXPECT_FALSE(image->HasTrait(ctOpaque));
  }
}

TEST(ImageTest, DrawsThePictureIntoItsDestination) {
  TOwnedPtr<TImage> image(new TImage(nullptr));
  image->SetBounds(0, 0, 40, 30);
  auto bitmap = SolidBitmap(10, 10, clLime);
  image->Picture()->SetGraphic(bitmap.get());
  image->SetProportional(true);
  image->SetStretch(true);
  image->SetCenter(true);
  Surface surface(40, 30, RGB(0, 0, 255));
  Deliver(image.get(), WM_PAINT, reinterpret_cast<WPARAM>(surface.Dc()));
  GdiFlush();
  const RECT ink = surface.InkBox({0, 0, 40, 30}, [](COLORREF c) { return c == RGB(0, 255, 0); });
  EXPECT_EQ(ink.left, 5);
  EXPECT_EQ(ink.top, 0);
  EXPECT_EQ(ink.right, 35);
  EXPECT_EQ(ink.bottom, 30);
  EXPECT_FALSE(image->Drawing());
}

TEST(ImageTest, AnUndecodablePictureFailsThePaintAndGivesEverythingBack) {
  Surface surface(105, 105);
  const HandleCensus before = HandleCensus::Take();
  TOwnedPtr<TImage> image(new TImage(nullptr));
  image->SetStretch(true);
  image->Picture()->ForceGraphicClass(TJPEGImage::StaticClass());
  const char junk[] = "\xFF\xD8\xFF\xE0 this is not a JPEG file at all";
  TMemoryStream stream;
  stream.WriteBuffer(junk, sizeof junk);
  stream.SetPosition(0);
  // The header is read as soon as the image asks for the picture's size.
  EXPECT_THROW(image->Picture()->Graphic()->LoadStream(stream), EJPEG);
  // Painting it fails the same way (or draws nothing); the image is not left drawing.
  try {
    Deliver(image.get(), WM_PAINT, reinterpret_cast<WPARAM>(surface.Dc()));
  } catch (const EJPEG&) {
  }
  EXPECT_FALSE(image->Drawing());
  image.reset();
  const HandleCensus after = HandleCensus::Take();
  EXPECT_EQ(before.GrowthTo(after), "");
  EXPECT_EQ(after.GrowthTo(before), "");
}

TEST(PanelTest, ConstructedSeeThroughAndOpaqueWhenParentBackgroundIsOff) {
  TOwnedPtr<TPanel> panel(new TPanel(nullptr));
  EXPECT_EQ(panel->Width(), 185);
  EXPECT_EQ(panel->Height(), 41);
  EXPECT_EQ(panel->Color(), clBtnFace);
  EXPECT_FALSE(panel->ParentColor());
  EXPECT_FALSE(panel->HasTrait(ctOpaque));
  EXPECT_TRUE(panel->HasTrait(ctParentBackground));
  EXPECT_TRUE(panel->HasTrait(ctContainer));
  panel->SetParentBackground(false);
  EXPECT_TRUE(panel->HasTrait(ctOpaque));
  EXPECT_FALSE(panel->HasTrait(ctParentBackground));
}

TEST(PanelTest, LoweredBevelDrawsShadowTopLeftAndHighlightBottomRight) {
  TOwnedPtr<TPanel> panel(new TPanel(nullptr));
  panel->SetBounds(0, 0, 20, 12);
  panel->SetBevelOuter(bvLowered);
  panel->SetBevelWidth(2);
  panel->SetColor(clBlue);
  Surface surface(20, 12, RGB(1, 2, 3));
  Deliver(panel.get(), WM_PAINT, reinterpret_cast<WPARAM>(surface.Dc()));
  GdiFlush();
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const struct {
    int x, y;
    COLORREF color;
  } expected[] = {{0, 0, shadow},         {18, 0, shadow},    {0, 10, shadow},
                  {19, 0, highlight},     {0, 11, highlight}, {19, 11, highlight},
                  {1, 1, shadow},         {17, 1, shadow},    {18, 1, highlight},
                  {18, 10, highlight},    {1, 10, highlight}, {2, 2, RGB(0, 0, 255)},
                  {17, 9, RGB(0, 0, 255)}};
  for (const auto& p : expected) {
    SCOPED_TRACE(testing::Message() << "(" << p.x << ", " << p.y << ")");
    EXPECT_EQ(surface.At(p.x, p.y), p.color);
  }
}

TEST(PanelTest, ChildrenAreArrangedInsideBorderAndBevels) {
  struct Case {
    TBevelCut outer, inner;
    int bevelWidth, borderWidth;
    int inset;
  };
  const Case cases[] = {{bvNone, bvNone, 1, 0, 0},
                        {bvLowered, bvNone, 2, 0, 2},
                        {bvRaised, bvSpace, 2, 3, 7},
                        {bvNone, bvRaised, 4, 1, 5}};
  test_support::HostWindow host(0, 0, 100, 60);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inset);
    TOwnedPtr<TPanel> panel(new TPanel(nullptr));
    panel->SetBounds(0, 0, 100, 60);
    panel->SetHostWindow(host.Get());
    panel->Handle();  // the arrange pass places children of a control with a window
    panel->SetBevelOuter(c.outer);
    panel->SetBevelInner(c.inner);
    panel->SetBevelWidth(c.bevelWidth);
    panel->SetBorderWidth(c.borderWidth);
    TPanel* child = new TPanel(panel.get());
    child->SetParent(panel.get());
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect().left, c.inset);
    EXPECT_EQ(child->BoundsRect().top, c.inset);
    EXPECT_EQ(child->BoundsRect().right, 100 - c.inset);
    EXPECT_EQ(child->BoundsRect().bottom, 60 - c.inset);
  }
}

TEST(PanelTest, ResizeRepaintsAllOrOnlyTheEdgeStrips) {
  struct Case {
    bool fullRepaint;
    const char* caption;
    int firstDirtyColumn;  // of a 100 x 30 panel widened to 120 with a one-pixel bevel
  };
  const Case cases[] = {{true, "", 0}, {false, "Caption", 0}, {false, "", 98}};
  test_support::HostWindow host(0, 0, 200, 100);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fullRepaint << " '" << c.caption << "'");
    TOwnedPtr<TPanel> panel(new TPanel(nullptr));
    panel->SetBounds(0, 0, 100, 30);
    panel->SetFullRepaint(c.fullRepaint);
    panel->SetCaption(c.caption);
    panel->SetHostWindow(host.Get());
    const HWND window = panel->Handle();
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    ValidateRect(window, nullptr);
    panel->SetBounds(0, 0, 120, 30);
    RECT dirty = {};
    GetUpdateRect(window, &dirty, FALSE);
    EXPECT_EQ(dirty.left, c.firstDirtyColumn);
    EXPECT_EQ(dirty.right, 120);
    EXPECT_EQ(dirty.top, 0);
    EXPECT_EQ(dirty.bottom, 30);
  }
}

TEST(PanelTest, AnAbsurdBevelWidthFramesTheWholePanelAndEnds) {
  TOwnedPtr<TPanel> panel(new TPanel(nullptr));
  panel->SetBounds(0, 0, 20, 12);
  panel->SetBevelWidth(INT_MAX);
  panel->SetColor(clBlue);
  Surface surface(20, 12, RGB(1, 2, 3));
  Deliver(panel.get(), WM_PAINT, reinterpret_cast<WPARAM>(surface.Dc()));
  GdiFlush();
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(
      surface.InkBox({0, 0, 20, 12}, [&](COLORREF c) { return c != shadow && c != highlight; }),
      (RECT{0, 0, 0, 0}));
}

// Exposes the creation parameters a panel would build its window with.
class ProbePanel : public TPanel {
 public:
  using TPanel::TPanel;
  CreationParams Params() {
    CreationParams params;
    FillCreationParams(params);
    return params;
  }
};

TEST(PanelTest, BorderStyleAndCtl3DChooseTheWindowEdge) {
  TOwnedPtr<ProbePanel> panel(new ProbePanel(nullptr));
  CreationParams plain = panel->Params();
  EXPECT_EQ(plain.style & WS_BORDER, 0u);
  EXPECT_EQ(plain.exStyle & WS_EX_CLIENTEDGE, 0u);
  EXPECT_EQ(plain.windowClass.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(plain.className, "TPanel");

  panel->SetBorderStyle(pbsSingle);
  CreationParams edged = panel->Params();
  EXPECT_EQ(edged.style & WS_BORDER, 0u);
  EXPECT_EQ(edged.exStyle & WS_EX_CLIENTEDGE, static_cast<DWORD>(WS_EX_CLIENTEDGE));
  panel->SetCtl3D(false);
  CreationParams flat = panel->Params();
  EXPECT_EQ(flat.style & WS_BORDER, static_cast<DWORD>(WS_BORDER));
  EXPECT_EQ(flat.exStyle & WS_EX_CLIENTEDGE, 0u);
}

}  // namespace
