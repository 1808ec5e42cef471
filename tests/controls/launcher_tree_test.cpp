// The launcher's own controls (Image1, Label4, Panel1 with Label1..3) read from the
// compiled definition into the real classes under a plain top-level window: what they
// paint, a click on "EXIT", and that repainting and hiding/showing give back every handle.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/image.h"
#include "controls/label.h"
#include "controls/panel.h"
#include "graphics/bitmap.h"
#include "graphics/jpeg_image.h"
#include "tests/controls/handle_census.h"
#include "tests/controls/views_test_util.h"
#include "tests/support/host_window.h"

namespace {

using test_support::HostWindow;
using views_test::Surface;

constexpr int kWidth = 846;
constexpr int kHeight = 531;

bool Inside(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

RECT Offset(RECT r, int dx, int dy) {
  OffsetRect(&r, dx, dy);
  return r;
}

// The extent DrawTextA gives a caption in a label's font.
SIZE TextExtent(TLabel& label) {
  WindowDC screen(nullptr);
  const HGDIOBJ old = SelectObject(screen.Get(), label.Font()->Handle());
  const std::string caption = label.Caption();
  RECT rect = {0, 0, 0, 0};
  DrawTextA(screen.Get(), caption.c_str(), static_cast<int>(caption.size()), &rect,
            DT_CALCRECT | DT_EXPANDTABS);
  SelectObject(screen.Get(), old);
  return {rect.right, rect.bottom};
}

class LauncherTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = views_test::ReadLauncherTree();
    root_->SetHostWindow(host_.Get());
    root_->SyncVisibilityState();
    Repaint();
  }
  void TearDown() override { root_.reset(); }

  void Repaint() {
    RedrawWindow(root_->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    platform_testing::PumpUntilIdle();
  }
  TJPEGImage* Artwork() { return dynamic_cast<TJPEGImage*>(root_->Image1->Picture()->Graphic()); }

  HostWindow host_{0, 0, kWidth, kHeight};
  TOwnedPtr<formtool::CheckForm> root_;
};

TEST_F(LauncherTreeTest, ReadsTheTreeWithItsParentsAndHandlers) {
  ASSERT_NE(root_->Image1, nullptr);
  ASSERT_NE(root_->Panel1, nullptr);
  EXPECT_EQ(root_->Image1->Parent(), root_.get());
  EXPECT_EQ(root_->Label4->Parent(), root_.get());
  EXPECT_EQ(root_->Panel1->Parent(), root_.get());
  for (TLabel* word : {root_->Label1, root_->Label2, root_->Label3}) {
    EXPECT_EQ(word->Parent(), root_->Panel1);
    EXPECT_EQ(word->Cursor(), crHandPoint);
    EXPECT_TRUE(word->HasTrait(ctOpaque));
    EXPECT_EQ(word->Color(), clBlack);  // taken from the panel
  }
  EXPECT_TRUE(root_->Label4->Transparent());
  EXPECT_TRUE(root_->Image1->HasTrait(ctOpaque));
  EXPECT_FALSE(root_->Panel1->HasTrait(ctOpaque));
  EXPECT_EQ(root_->Image1->BoundsRect(), (RECT{0, 0, kWidth, kHeight}));
  EXPECT_EQ(root_->Panel1->BoundsRect(), (RECT{8, 496, 838, 523}));
}

TEST_F(LauncherTreeTest, PaintsTheStretchedArtworkTitleAndWords) {
  const auto shown = views_test::ReadWindow(host_.Get());

  // The artwork exactly as one colour-on-colour stretch of the decoded bitmap.
  ASSERT_NE(Artwork(), nullptr);
  TBitmap* decoded = Artwork()->DecodedBitmap();
  ASSERT_NE(decoded, nullptr);
  Surface expected(kWidth, kHeight);
  SetStretchBltMode(expected.Dc(), COLORONCOLOR);
  StretchBlt(expected.Dc(), 0, 0, kWidth, kHeight, decoded->Canvas()->Handle(), 0, 0,
             decoded->ImageWidth(), decoded->ImageHeight(), SRCCOPY);
  GdiFlush();

  TLabel& title = *root_->Label4;
  const SIZE titleSize = TextExtent(title);
  EXPECT_EQ(title.BoundsRect(), (RECT{232, 305, 232 + titleSize.cx, 305 + titleSize.cy}));
  const RECT titleBox = title.BoundsRect();
  const RECT panelBox = root_->Panel1->BoundsRect();
  int artworkMismatches = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (!Inside(titleBox, x, y) && !Inside(panelBox, x, y) &&
          shown->At(x, y) != expected.At(x, y))
        ++artworkMismatches;
  EXPECT_EQ(artworkMismatches, 0);

  // The title: yellow ink inside its box, the artwork elsewhere in it.
  const RECT yellow = shown->InkBox(titleBox, [](COLORREF c) {
    return GetRValue(c) > 0xC0 && GetGValue(c) > 0xC0 && GetBValue(c) < 0x40;
  });
  EXPECT_GT(yellow.right - yellow.left, titleSize.cx / 2);
  EXPECT_GT(yellow.bottom - yellow.top, titleSize.cy / 3);

  // The panel: black, with green words at the positions auto size gave them.
  for (TLabel* word : {root_->Label1, root_->Label2, root_->Label3}) {
    SCOPED_TRACE(word->Name());
    const SIZE size = TextExtent(*word);
    EXPECT_EQ(word->Width(), size.cx);
    EXPECT_EQ(word->Height(), size.cy);
    const RECT box = Offset(word->BoundsRect(), panelBox.left, panelBox.top);
    const RECT green = shown->InkBox(box, [](COLORREF c) { return GetGValue(c) >= 0x60; });
    EXPECT_GT(green.right - green.left, size.cx / 2);
  }
  int notBlack = 0, notGreenOrBlack = 0;
  for (int y = panelBox.top; y < panelBox.bottom; ++y)
    for (int x = panelBox.left; x < panelBox.right; ++x) {
      const COLORREF c = shown->At(x, y);
      if (GetRValue(c) != 0 || GetBValue(c) != 0) ++notGreenOrBlack;
      bool inWord = false;
      for (TLabel* word : {root_->Label1, root_->Label2, root_->Label3})
        inWord |= Inside(Offset(word->BoundsRect(), panelBox.left, panelBox.top), x, y);
      if (!inWord && c != RGB(0, 0, 0)) ++notBlack;
    }
  EXPECT_EQ(notBlack, 0);
  EXPECT_EQ(notGreenOrBlack, 0);
}

TEST_F(LauncherTreeTest, ReleaseOnExitClicksOnceAndOnePixelRightNever) {
  TLabel& exit = *root_->Label2;
  const HWND panel = root_->Panel1->Handle();
  const int lastColumn = exit.Left() + exit.Width() - 1;
  const int y = exit.Top() + exit.Height() / 2;
  const auto pressAndRelease = [&](int pressX, int releaseX) {
    SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(pressX, y));
    SendMessageA(panel, WM_LBUTTONUP, 0, PackPoint(releaseX, y));
    platform_testing::PumpUntilIdle();
  };
  pressAndRelease(lastColumn, lastColumn);
  EXPECT_EQ(root_->calls, std::vector<std::string>{"Label2Click"});
  pressAndRelease(lastColumn, lastColumn + 1);
  EXPECT_EQ(root_->calls, std::vector<std::string>{"Label2Click"});
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(LauncherTreeTest, RepaintsAndHideShowCyclesGiveBackEveryHandleAndNeverDecodeAgain) {
  TBitmap* decoded = Artwork()->DecodedBitmap();
  ASSERT_NE(decoded, nullptr);
  const HandleCensus before = HandleCensus::Take();
  ASSERT_FALSE(before.gdiKinds.empty());
  ASSERT_FALSE(before.windows.empty());
  for (int i = 0; i < 100; ++i) Repaint();
  for (int i = 0; i < 20; ++i) {
    root_->Hide();
    platform_testing::PumpUntilIdle();
    root_->Show();
    Repaint();
  }
  EXPECT_EQ(Artwork()->DecodedBitmap(), decoded);
  const HandleCensus after = HandleCensus::Take();
  EXPECT_EQ(before.GrowthTo(after), "");
  EXPECT_EQ(after.GrowthTo(before), "");
}

}  // namespace
