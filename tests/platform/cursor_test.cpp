// Cursors and the icon of the program's own resources, checked pixel by pixel against the
// drawings they are made from (resources/cursors/, found through LAUNCHER_ART), and the
// system shapes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/platform/cursor_shape.h"

namespace {

struct Drawing {
  std::map<char, uint32_t> colours;
  std::vector<std::vector<std::string>> images;  // rows, top first
};

// Just enough of the drawing format to know what every pixel should be.
Drawing ReadDrawing(const std::string& name) {
  const char* dir = std::getenv("LAUNCHER_ART");
  Drawing drawing;
  std::ifstream in(std::string(dir ? dir : ".") + "/" + name);
  std::string line;
  size_t rowsLeft = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string keyword;
    if (rowsLeft > 0) {
      drawing.images.back().push_back(line);
      --rowsLeft;
    } else if (words >> keyword && keyword == "image") {
      int width = 0, height = 0;
      words >> width >> height;
      drawing.images.emplace_back();
      rowsLeft = static_cast<size_t>(height);
    } else if (keyword == "colour") {
      std::string letter, hex;
      words >> letter >> hex;
      drawing.colours[letter[0]] = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
    }
  }
  return drawing;
}

HMODULE Self() { return GetModuleHandleA(nullptr); }

TEST(Cursor, ExecutableCursorsShowTheirDrawings) {
  struct Row {
    int id;
    const char* drawing;
    int hotX, hotY;
  };
  const Row rows[] = {{32761, "hand_point.cur.txt", 7, 1}, {32762, "sql_wait.cur.txt", 0, 0},
                      {32763, "multi_drag.cur.txt", 0, 0}, {32764, "vsplit.cur.txt", 14, 12},
                      {32765, "hsplit.cur.txt", 16, 14},   {32766, "drag.cur.txt", 0, 0},
                      {32767, "no_drop.cur.txt", 2, 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.drawing);
    HCURSOR cursor = LoadCursorA(Self(), MAKEINTRESOURCEA(row.id));
    ASSERT_NE(nullptr, cursor);
    EXPECT_EQ(cursor, LoadCursorA(Self(), MAKEINTRESOURCEA(row.id)));  // shared
    CursorShape shape;
    ASSERT_TRUE(ReadCursorShape(cursor, &shape));
    EXPECT_EQ(32, shape.width);
    ASSERT_EQ(32, shape.height);
    EXPECT_EQ(row.hotX, shape.hotX);
    EXPECT_EQ(row.hotY, shape.hotY);
    const Drawing drawing = ReadDrawing(row.drawing);
    ASSERT_EQ(1u, drawing.images.size());
    ASSERT_EQ(32u * 32u, shape.xorBits.size());
    int wrong = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const char c = drawing.images[0].at(static_cast<size_t>(y)).at(static_cast<size_t>(x));
        const size_t i = static_cast<size_t>(y) * 32 + static_cast<size_t>(x);
        const bool screen = c == '.' || c == '~', light = c == 'o' || c == '~';
        if (shape.andBits[i] != screen || shape.xorBits[i] != light) ++wrong;
      }
    }
    EXPECT_EQ(0, wrong);
  }
}

TEST(Cursor, IconGroupGivesItsLargeImage) {
  HICON icon = LoadIconA(Self(), "mainicon");  // names match without regard to case
  ASSERT_NE(nullptr, icon);
  EXPECT_EQ(icon, LoadIconA(Self(), "MAINICON"));
  CursorShape shape;
  ASSERT_TRUE(ReadCursorShape(icon, &shape));
  ASSERT_EQ(32, shape.width);
  ASSERT_EQ(32, shape.height);
  EXPECT_EQ(16, shape.hotX);
  EXPECT_EQ(16, shape.hotY);
  const Drawing drawing = ReadDrawing("mainicon.ico.txt");
  ASSERT_EQ(3u, drawing.images.size());  // 16, 32 and 48 pixels
  ASSERT_EQ(32u * 32u, shape.rgb.size());
  int wrong = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const char c = drawing.images[1].at(static_cast<size_t>(y)).at(static_cast<size_t>(x));
      const size_t i = static_cast<size_t>(y) * 32 + static_cast<size_t>(x);
      if (shape.andBits[i] != (c == '.') || (c != '.' && shape.rgb[i] != drawing.colours.at(c)))
        ++wrong;
    }
  }
  EXPECT_EQ(0, wrong);
}

TEST(Cursor, SystemShapesAndMissingOnes) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_NE(nullptr, arrow);
  EXPECT_EQ(arrow, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_NE(arrow, LoadCursorA(nullptr, IDC_SIZEALL));
  EXPECT_NE(nullptr, LoadIconA(nullptr, IDI_APPLICATION));
  // A missing resource, the wrong kind of group, and an unknown system shape.
  EXPECT_EQ(nullptr, LoadCursorA(Self(), MAKEINTRESOURCEA(4321)));
  EXPECT_EQ(nullptr, LoadCursorA(Self(), "MAINICON"));
  EXPECT_EQ(nullptr, LoadIconA(Self(), MAKEINTRESOURCEA(32761)));
  EXPECT_EQ(nullptr, LoadCursorA(nullptr, MAKEINTRESOURCEA(1)));
}

TEST(Cursor, SharedCursorsOutliveDestroy) {
  HCURSOR hand = LoadCursorA(Self(), MAKEINTRESOURCEA(32761));
  ASSERT_NE(nullptr, hand);
  // Destroying a shared cursor is accepted and leaves it as it was.
  EXPECT_TRUE(DestroyCursor(hand));
  EXPECT_FALSE(DestroyCursor(nullptr));
  EXPECT_EQ(hand, LoadCursorA(Self(), MAKEINTRESOURCEA(32761)));
  CursorShape shape;
  EXPECT_TRUE(ReadCursorShape(hand, &shape));
  EXPECT_EQ(7, shape.hotX);
}

}  // namespace
