// Label: sizing through DrawTextA, the edges auto size keeps, the ellipsis/auto-size
// exclusion, and what painting puts on a surface (fill, transparency, layout,
// accelerators, the disabled look).
#include "controls/label.h"

#include <gtest/gtest.h>

#include <string>

#include "controls/label_text.h"
#include "graphics/font.h"
#include "platform/gdi_handles.h"
#include "tests/controls/views_test_util.h"

namespace {

using views_test::Surface;

TOwnedPtr<TLabel> MakeLabel(const std::string& caption, int fontHeight = -16) {
  TOwnedPtr<TLabel> label(new TLabel(nullptr));
  label->Font()->SetName("Tahoma");
  label->Font()->SetHeight(fontHeight);
  label->Font()->SetStyle(StyleBit(fsBold));
  label->SetCaption(caption);
  return label;
}

// What DrawTextA measures for `text` in the label's font on the screen.
SIZE Measured(TLabel& label, const std::string& text, UINT flags = 0) {
  WindowDC screen(nullptr);
  const HGDIOBJ old = SelectObject(screen.Get(), label.Font()->Handle());
  RECT rect = {0, 0, 0, 0};
  DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &rect,
            DT_CALCRECT | DT_EXPANDTABS | flags);
  SelectObject(screen.Get(), old);
  return {rect.right, rect.bottom};
}

void Paint(TControl& control, Surface& surface) {
  Deliver(&control, WM_PAINT, reinterpret_cast<WPARAM>(surface.Dc()));
  GdiFlush();
}

TEST(LabelTest, AutoSizeTakesTheExtentDrawTextMeasures) {
  struct Case {
    std::string caption;
    std::string measuredAs;  // an empty caption still measures one line
  };
  const Case cases[] = {{"EXIT", "EXIT"}, {"", " "},        {"&", " "},
                        {"A&BC", "A&BC"}, {"a\tb", "a\tb"}, {"two\nlines", "two\nlines"}};
  for (const Case& c : cases) {
    SCOPED_TRACE("caption '" + c.caption + "'");
    auto label = MakeLabel(c.caption);
    const SIZE expected = Measured(*label, c.measuredAs);
    EXPECT_EQ(label->Width(), expected.cx);
    EXPECT_EQ(label->Height(), expected.cy);
  }
}

TEST(LabelTest, AutoSizeKeepsTheRightEdgeOnlyWhenRightJustified) {
  const TAlignment alignments[] = {taLeftJustify, taRightJustify, taCenter};
  for (TAlignment alignment : alignments) {
    SCOPED_TRACE(static_cast<int>(alignment));
    auto label = MakeLabel("AB");
    label->SetBounds(100, 10, label->Width(), label->Height());
    label->SetAlignment(alignment);
    const RECT before = label->BoundsRect();
    label->SetCaption("ABCDEF");
    const RECT after = label->BoundsRect();
    EXPECT_GT(after.right - after.left, before.right - before.left);
    if (alignment == taRightJustify) {
      EXPECT_EQ(after.right, before.right);
      EXPECT_LT(after.left, before.left);
    } else {
      EXPECT_EQ(after.left, before.left);
    }
    EXPECT_EQ(after.top, before.top);
    // Changing the alignment alone does not measure again.
    label->SetWidth(300);
    label->SetAlignment(alignment == taCenter ? taLeftJustify : taCenter);
    EXPECT_EQ(label->Width(), 300);
  }
}

TEST(LabelTest, EllipsisAndAutoSizeExcludeEachOther) {
  auto label = MakeLabel("a long caption that will not fit");
  label->SetEllipsisPosition(epEndEllipsis);
  EXPECT_FALSE(label->AutoSize());
  label->SetWidth(40);
  EXPECT_EQ(label->Width(), 40);
  label->SetAutoSize(true);
  EXPECT_EQ(label->EllipsisPosition(), epNone);
  EXPECT_EQ(label->Width(), Measured(*label, label->Caption()).cx);
}

TEST(LabelTest, WordWrapMeasuresAgainstTheCurrentWidth) {
  auto label = MakeLabel("one two three four");
  const int oneLine = label->Height();
  label->SetWidth(Measured(*label, "three").cx + 2);
  label->SetWordWrap(true);
  EXPECT_GT(label->Height(), 2 * oneLine);
}

TEST(LabelTest, OpaqueFillsItsColourAndTransparentLeavesTheBackground) {
  auto label = MakeLabel("");
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 40, 20);
  label->SetColor(clRed);
  Surface surface(40, 20, RGB(0, 0, 255));
  Paint(*label, surface);
  EXPECT_EQ(surface.InkBox({0, 0, 40, 20}, [](COLORREF c) { return c != RGB(255, 0, 0); }),
            (RECT{0, 0, 0, 0}));

  label->SetCaption("Hi");
  label->SetTransparent(true);
  label->Font()->SetColor(clYellow);
  surface.Fill(RGB(0, 0, 255));
  Paint(*label, surface);
  const auto text = [](COLORREF c) { return c != RGB(0, 0, 255); };
  const RECT ink = surface.InkBox({0, 0, 40, 20}, text);
  EXPECT_GT(ink.right, ink.left);  // text drawn, nothing else
  EXPECT_EQ(surface.At(39, 19), RGB(0, 0, 255));
}

TEST(LabelTest, LayoutMovesTheTextDown) {
  const TTextLayout layouts[] = {tlTop, tlCenter, tlBottom};
  int previousTop = -1;
  for (TTextLayout layout : layouts) {
    SCOPED_TRACE(static_cast<int>(layout));
    auto label = MakeLabel("Mg");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 60, 80);
    label->SetLayout(layout);
    Surface surface(60, 80, RGB(255, 255, 255));
    label->SetColor(clWhite);
    label->Font()->SetColor(clBlack);
    Paint(*label, surface);
    const RECT ink =
        surface.InkBox({0, 0, 60, 80}, [](COLORREF c) { return c != RGB(255, 255, 255); });
    ASSERT_GT(ink.bottom, ink.top);
    EXPECT_GT(ink.top, previousTop);
    if (layout == tlBottom) {
      EXPECT_GE(ink.bottom, 80 - 6);
    }
    previousTop = ink.top;
  }
}

TEST(LabelTest, AcceleratorIsUnderlinedUnlessShown) {
  auto label = MakeLabel("&W");
  label->SetColor(clWhite);
  label->Font()->SetColor(clBlack);
  const auto black = [](COLORREF c) { return c != RGB(255, 255, 255); };
  Surface with(80, 30, RGB(255, 255, 255));
  Paint(*label, with);
  const RECT underlined = with.InkBox({0, 0, 80, 30}, black);

  auto plain = MakeLabel("W");
  plain->SetColor(clWhite);
  plain->Font()->SetColor(clBlack);
  Surface without(80, 30, RGB(255, 255, 255));
  Paint(*plain, without);
  const RECT letter = without.InkBox({0, 0, 80, 30}, black);
  EXPECT_EQ(underlined.left, letter.left);  // no ampersand drawn before the letter
  EXPECT_GT(underlined.bottom, letter.bottom);

  label->SetShowAccelChar(false);
  label->SetAutoSize(false);
  label->SetWidth(80);
  with.Fill(RGB(255, 255, 255));
  Paint(*label, with);
  EXPECT_GT(with.InkBox({0, 0, 80, 30}, black).right, letter.right);  // "&W" drawn as is
}

TEST(LabelTest, DisabledDrawsHighlightAndShadowWhateverItsFontColour) {
  auto label = MakeLabel("Off", -20);
  label->SetColor(clBlack);
  label->Font()->SetColor(clRed);
  label->SetEnabled(false);
  Surface surface(label->Width() + 2, label->Height() + 2);
  Paint(*label, surface);
  bool highlight = false, shadow = false, red = false;
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x) {
      const COLORREF c = surface.At(x, y);
      highlight |= c == GetSysColor(COLOR_BTNHIGHLIGHT);
      shadow |= c == GetSysColor(COLOR_BTNSHADOW);
      red |= c == RGB(255, 0, 0);
    }
  EXPECT_TRUE(highlight);
  EXPECT_TRUE(shadow);
  EXPECT_FALSE(red);
}

TEST(LabelTest, EllipsisShortensWrappedTextUntilItFitsTheHeight) {
  TCanvas canvas;
  WindowDC screen(nullptr);
  canvas.SetHandle(screen.Get());
  canvas.Font()->SetName("Tahoma");
  canvas.Font()->SetHeight(-13);
  const int line = canvas.TextHeightOf("Mg");
  const RECT oneLine = {0, 0, 90, line};
  const UINT flags = DT_WORDBREAK | DT_END_ELLIPSIS;
  struct Case {
    std::string text;
    bool shortened;
  };
  const Case cases[] = {{"alpha beta gamma delta epsilon zeta eta theta", true},
                        {"alpha", false},
                        {"abcdefghijklmnopqrstuvwxyzabcdefghijklmnop", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string result = ShortenWithEllipsis(canvas, c.text, oneLine, flags, line);
    if (!c.shortened) {
      EXPECT_EQ(result, c.text);
      continue;
    }
    ASSERT_GT(result.size(), 3u);
    EXPECT_EQ(result.substr(result.size() - 3), "...");
    EXPECT_EQ(c.text.compare(0, result.size() - 3, result, 0, result.size() - 3), 0);
    RECT narrowed = oneLine;
    narrowed.right -= canvas.TextWidthOf("...");
    DrawTextA(canvas.Handle(), result.c_str(), static_cast<int>(result.size()), &narrowed,
              flags | DT_CALCRECT);
    EXPECT_LE(narrowed.bottom, line);
  }
  canvas.SetHandle(nullptr);
}

}  // namespace
