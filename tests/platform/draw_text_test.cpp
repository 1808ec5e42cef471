// Formatted text against the reference: measured rectangles and return values for the
// wrapping, tab, prefix, alignment and ellipsis rules, where the lines are drawn, and
// soundness with bad arguments and very long text. All in Tahoma at -11.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi_handles.h"
#include "platform/win32.h"
#include "tests/platform/text_canvas.h"

namespace {

using text_test::MakeFont;
using text_test::TextCanvas;

constexpr const char* kTitle = "BRASS LANTERN: THE RIVER WARDEN";
constexpr const char* kPath = "C:\\games\\brass\\lantern\\river.exe";
constexpr RECT kBox{10, 10, 110, 150};

class FormattedText : public ::testing::Test {
 protected:
  FormattedText() : canvas_(400, 200), font_(MakeFont("Tahoma", -11, FW_NORMAL)) {
    previous_ = SelectObject(canvas_.dc(), font_.Get());
    SetBkMode(canvas_.dc(), TRANSPARENT);
  }
  ~FormattedText() override { SelectObject(canvas_.dc(), previous_); }

  TextCanvas canvas_;
  GdiObject<HFONT> font_;
  HGDIOBJ previous_ = nullptr;
};

struct MeasureCase {
  const char* text;
  UINT flags;
  RECT box;
  int height;     // returned
  RECT measured;  // the box after measuring
};

const MeasureCase kMeasure[] = {
    // Empty text measures nothing and leaves the box.
    {"", 0, kBox, 0, {10, 10, 110, 150}},
    {"Hello world, this is text", 0, kBox, 13, {10, 10, 127, 23}},
    // Wrapped lines count the space they break at.
    {"Hello world, this is text", DT_WORDBREAK, kBox, 26, {10, 10, 107, 36}},
    {"Hello world,    this is text", DT_WORDBREAK, {10, 10, 70, 150}, 39, {10, 10, 63, 49}},
    // A word wider than the box is not split.
    {"Supercalifragilisticexpialidocious yes",
     DT_WORDBREAK,
     {10, 10, 60, 150},
     26,
     {10, 10, 182, 36}},
    {"ab cd", DT_WORDBREAK, {10, 10, 10, 150}, 26, {10, 10, 23, 36}},
    {"word ", DT_WORDBREAK, {10, 10, 30, 150}, 13, {10, 10, 35, 23}},
    // "\r\n", "\n" and "\r" each end a line; a final one starts no new line.
    {"a\nb\r\nc\rd", 0, kBox, 52, {10, 10, 17, 62}},
    {"a\nb\r\nc\rd", DT_SINGLELINE, kBox, 13, {10, 10, 80, 23}},
    {"\n", 0, kBox, 13, {10, 10, 10, 23}},
    {"x\n", 0, kBox, 13, {10, 10, 15, 23}},
    // Tab stops every eight average widths, only when expanded.
    {"a\tb", DT_EXPANDTABS, kBox, 13, {10, 10, 72, 23}},
    {"a\tb", 0, kBox, 13, {10, 10, 34, 23}},
    {"abcdefghijklm\tb", DT_EXPANDTABS, {10, 10, 300, 150}, 13, {10, 10, 128, 23}},
    // Prefixes: "&x" is x, "&&" is "&", a final "&" stays.
    {"&Hello", 0, kBox, 13, {10, 10, 37, 23}},
    {"&Hello", DT_NOPREFIX, kBox, 13, {10, 10, 45, 23}},
    {"H&&ello &x", 0, kBox, 13, {10, 10, 53, 23}},
    {"He&llo&", 0, kBox, 13, {10, 10, 45, 23}},
    // Measuring keeps the left edge whatever the alignment.
    {"EXIT", DT_CENTER, kBox, 13, {10, 10, 33, 23}},
    {"EXIT", DT_RIGHT | DT_RTLREADING, kBox, 13, {10, 10, 33, 23}},
    {"EXIT", DT_RIGHT, {110, 10, 10, 150}, 13, {110, 10, 133, 23}},
    // A single line centred or at the bottom returns (and measures to) its lower edge.
    {"EXIT", DT_SINGLELINE | DT_VCENTER | DT_CENTER, kBox, 77, {10, 10, 33, 87}},
    {"EXIT", DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, kBox, 140, {10, 10, 33, 150}},
    {"EXIT\nENGLISH", DT_VCENTER, kBox, 26, {10, 10, 55, 36}},
    // Ellipses shorten what is measured.
    {kTitle, DT_END_ELLIPSIS, kBox, 13, {10, 10, 110, 23}},
    {kTitle, DT_WORD_ELLIPSIS | DT_SINGLELINE, kBox, 13, {10, 10, 110, 23}},
    {kTitle, DT_END_ELLIPSIS | DT_WORDBREAK, {10, 10, 80, 30}, 52, {10, 10, 68, 62}},
    {"ENGLISH", DT_END_ELLIPSIS, {10, 10, 12, 150}, 13, {10, 10, 19, 23}},
    {kPath, DT_PATH_ELLIPSIS, kBox, 13, {10, 10, 105, 23}},
    {kPath, DT_PATH_ELLIPSIS, {10, 10, 300, 150}, 13, {10, 10, 182, 23}},
    {"noslashes_at_all_in_here_long", DT_PATH_ELLIPSIS, kBox, 13, {10, 10, 183, 23}},
};

TEST_F(FormattedText, MeasuresAsTheReference) {
  for (const MeasureCase& c : kMeasure) {
    SCOPED_TRACE(std::string(c.text) + " flags " + std::to_string(c.flags));
    RECT box = c.box;
    EXPECT_EQ(c.height, DrawTextA(canvas_.dc(), c.text, int(std::strlen(c.text)), &box,
                                  c.flags | DT_CALCRECT));
    EXPECT_EQ(c.measured.left, box.left);
    EXPECT_EQ(c.measured.top, box.top);
    EXPECT_EQ(c.measured.right, box.right);
    EXPECT_EQ(c.measured.bottom, box.bottom);
  }
}

struct DrawCase {
  const char* text;
  UINT flags;
  RECT box;
  int height;               // returned
  std::vector<RECT> bands;  // ink of each drawn line (and accelerator underline)
};

const DrawCase kDraw[] = {
    {"EXIT", DT_CENTER, kBox, 13, {{48, 13, 69, 21}}},
    {"EXIT", DT_RIGHT, kBox, 13, {{87, 13, 108, 21}}},
    {"EXIT", DT_SINGLELINE | DT_VCENTER | DT_CENTER, kBox, 77, {{48, 77, 69, 85}}},
    {"EXIT", DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, kBox, 140, {{87, 140, 108, 148}}},
    {"EXIT\nENGLISH", DT_CENTER, kBox, 26, {{48, 13, 69, 21}, {37, 26, 78, 34}}},
    // The accelerator is underlined one row below the baseline.
    {"&Hello", 0, kBox, 13, {{10, 12, 32, 21}, {10, 22, 17, 23}}},
    {"H&&ello &x", 0, kBox, 13, {{10, 12, 48, 21}, {48, 22, 52, 23}}},
    {"He&llo&", 0, kBox, 13, {{10, 12, 40, 21}, {25, 22, 27, 23}}},
    {"&Hello", DT_NOPREFIX, kBox, 13, {{11, 12, 39, 21}}},
    // Drawing is clipped to the box.
    {"Hello world, this is text", 0, kBox, 13, {{10, 12, 110, 23}}},
    {"Supercalifragilisticexpialidocious yes",
     DT_WORDBREAK,
     {10, 10, 60, 150},
     26,
     {{10, 12, 60, 23}, {10, 28, 26, 36}}},
    {"a\tb", DT_EXPANDTABS, kBox, 13, {{10, 12, 71, 21}}},
    {kTitle, DT_END_ELLIPSIS, kBox, 13, {{10, 13, 107, 21}}},
    {kPath, DT_PATH_ELLIPSIS, kBox, 13, {{10, 12, 104, 23}}},
    {kTitle,
     DT_WORD_ELLIPSIS | DT_WORDBREAK,
     {10, 10, 80, 150},
     52,
     {{10, 13, 41, 21}, {10, 26, 57, 34}, {10, 39, 61, 47}, {10, 52, 53, 60}}},
    // Lines that start below the box are not drawn, nor counted.
    {kTitle,
     DT_END_ELLIPSIS | DT_WORDBREAK,
     {10, 10, 80, 30},
     26,
     {{10, 13, 41, 21}, {10, 26, 57, 30}}},
};

TEST_F(FormattedText, DrawsLinesWhereTheReferenceDoes) {
  for (const DrawCase& c : kDraw) {
    SCOPED_TRACE(std::string(c.text) + " flags " + std::to_string(c.flags));
    canvas_.Clear();
    RECT box = c.box;
    EXPECT_EQ(c.height, DrawTextA(canvas_.dc(), c.text, -1, &box, c.flags));
    const std::vector<RECT> bands = canvas_.InkBands();
    ASSERT_EQ(c.bands.size(), bands.size());
    for (size_t i = 0; i < bands.size(); ++i) {
      EXPECT_NEAR(c.bands[i].left, bands[i].left, 1) << "band " << i;
      EXPECT_EQ(c.bands[i].top, bands[i].top) << "band " << i;
      EXPECT_NEAR(c.bands[i].right, bands[i].right, 1) << "band " << i;
      EXPECT_EQ(c.bands[i].bottom, bands[i].bottom) << "band " << i;
    }
  }
}

TEST_F(FormattedText, BadArgumentsAndLongText) {
  RECT box = kBox;
  EXPECT_EQ(0, DrawTextA(nullptr, "EXIT", -1, &box, 0));
  // Coordinates at the 32-bit limits draw nothing visible, and nothing goes wrong.
  RECT distant{INT_MAX - 50, INT_MIN + 10, INT_MAX, INT_MIN + 40};
  EXPECT_EQ(13, DrawTextA(canvas_.dc(), "EXIT", -1, &distant, DT_SINGLELINE));
  EXPECT_TRUE(TextOutA(canvas_.dc(), INT_MAX - 5, INT_MIN + 5, "EXIT", 4));
  EXPECT_EQ(0, canvas_.InkOf().amount);
  // More than 64K characters: measured in one piece, wrapped, and drawn.
  std::string words;
  while (words.size() < 70000) words += "EXIT ";
  box = {0, 0, 100, 0};
  const int height = DrawTextA(canvas_.dc(), words.c_str(), -1, &box, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(13 * ((14000 + 2) / 3), height);  // three words a line
  EXPECT_EQ(height, box.bottom);
  EXPECT_LE(box.right, 100);
  box = {0, 0, 400, 200};
  EXPECT_EQ(13, DrawTextA(canvas_.dc(), words.c_str(), int(words.size()), &box, DT_SINGLELINE));
  EXPECT_GT(canvas_.InkOf().amount, 0);
}

}  // namespace
