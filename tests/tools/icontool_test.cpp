// The icon tool: drawings that are refused, and the files it writes read back field by
// field (directory, hot spot, bottom-up masks, colours).
#include <gtest/gtest.h>

#include <string>

#include "tools/icontool/decode.h"
#include "tools/icontool/encode.h"

namespace {

using icontool::ArtKind;
using icontool::ParseArt;
using Bytes = std::vector<uint8_t>;

unsigned Word(const Bytes& b, size_t at) { return b.at(at) | b.at(at + 1) << 8; }
uint32_t Dword(const Bytes& b, size_t at) { return Word(b, at) | Word(b, at + 2) << 16; }

TEST(IconTool, RefusesBadDrawings) {
  struct Row {
    const char* text;
    ArtKind kind;
    const char* error;
  };
  const Row rows[] = {
      {"image 2 2\n..\n.\n", ArtKind::kCursor, "line 3: row is 1 pixels, not 2"},
      {"image 2 2\n..\n", ArtKind::kCursor, "line 2: image has 1 rows, not 2"},
      {"image 2 1\n.x\n", ArtKind::kCursor, "line 2: unknown pixel 'x'"},
      {"image 2 1 hotspot 2 0\n..\n", ArtKind::kCursor, "line 1: hot spot outside the image"},
      {"image 2 1 hotspot 0 0\n..\n", ArtKind::kIcon, "line 1: unexpected 'hotspot'"},
      {"colour a 123456\nimage 1 1\na\n", ArtKind::kCursor, "line 1: cursors are black and white"},
      {"colour a 12345g\n", ArtKind::kIcon, "line 1: expected: colour <letter> RRGGBB"},
      {"image 1 1\nb\n", ArtKind::kIcon, "line 2: unknown pixel 'b'"},
      {"image 0 1\n", ArtKind::kIcon, "line 1: sizes run from 1 to 256"},
      {"# nothing\n", ArtKind::kIcon, "line 1: no image"},
      {"picture 1 1\n", ArtKind::kIcon, "line 1: unknown keyword 'picture'"},
  };
  for (const Row& row : rows) {
    try {
      ParseArt(row.text, row.kind);
      ADD_FAILURE() << row.text << " was accepted";
    } catch (const icontool::ArtError& e) {
      EXPECT_STREQ(row.error, e.what()) << row.text;
    }
  }
}

TEST(IconTool, CursorFileHoldsHotSpotAndBothMasks) {
  // Row 0: screen, black, white, inverted; row 1 all black.
  Bytes file = icontool::EncodeCursor(
      ParseArt("# c\nimage 4 2 hotspot 3 1\n.#o~\n####\n", ArtKind::kCursor));
  ASSERT_EQ(6u + 16u + 40u + 8u + 8u + 8u, file.size());
  EXPECT_EQ(2u, Word(file, 2));  // cursor
  EXPECT_EQ(1u, Word(file, 4));
  EXPECT_EQ((Bytes{4, 2, 2, 0}), Bytes(file.begin() + 6, file.begin() + 10));
  EXPECT_EQ(3u, Word(file, 10));  // hot spot
  EXPECT_EQ(1u, Word(file, 12));
  EXPECT_EQ(64u, Dword(file, 14));
  const size_t dib = Dword(file, 18);
  EXPECT_EQ(22u, dib);
  EXPECT_EQ(4u, Dword(file, dib + 4));
  EXPECT_EQ(4u, Dword(file, dib + 8));  // image plus mask
  EXPECT_EQ(1u, Word(file, dib + 14));
  EXPECT_EQ(0xFFFFFFu, Dword(file, dib + 44));  // palette entry 1 is white
  // Masks bottom row first, four bytes a row, leftmost pixel in the top bit.
  const size_t xorBits = dib + 48, andBits = xorBits + 8;
  EXPECT_EQ(0x00u, file[xorBits]);
  EXPECT_EQ(0x30u, file[xorBits + 4]);  // white and inverted
  EXPECT_EQ(0x00u, file[andBits]);
  EXPECT_EQ(0x90u, file[andBits + 4]);  // screen and inverted
}

TEST(IconTool, IconFileHoldsColoursWithAlphaPerImage) {
  Bytes file = icontool::EncodeIcon(
      ParseArt("colour r ff0000\ncolour b 0000ff\nimage 1 1\nr\nimage 2 1\n.b\n", ArtKind::kIcon));
  EXPECT_EQ(1u, Word(file, 2));
  ASSERT_EQ(2u, Word(file, 4));
  const size_t second = 6 + 16;
  EXPECT_EQ(2u, file[second]);
  EXPECT_EQ(32u, Word(file, second + 6));  // bits per pixel
  const size_t dib = Dword(file, second + 12);
  EXPECT_EQ(dib, Dword(file, 18) + Dword(file, 14));  // images follow each other
  EXPECT_EQ(0u, Dword(file, dib + 40));               // transparent
  EXPECT_EQ(0xFF0000FFu, Dword(file, dib + 44));      // blue, opaque
  EXPECT_EQ(0x80u, file[dib + 48]);                   // AND mask: the left pixel shows through
  EXPECT_EQ(0xFFFF0000u, Dword(file, Dword(file, 18) + 40));  // the 1 x 1 image is red
}

TEST(IconTool, DecodesEveryImageTopRowFirst) {
  const auto images = icontool::DecodeIcon(icontool::EncodeIcon(ParseArt(
      "colour r ff0000\ncolour b 0000ff\nimage 1 1\nr\nimage 2 2\n.b\nr.\n", ArtKind::kIcon)));
  ASSERT_EQ(2u, images.size());
  EXPECT_EQ((std::vector<uint32_t>{0xFFFF0000u}), images[0].argb);
  EXPECT_EQ(2, images[1].width);
  EXPECT_EQ(2, images[1].height);
  EXPECT_EQ((std::vector<uint32_t>{0, 0xFF0000FFu, 0xFFFF0000u, 0}), images[1].argb);

  // Without alpha the AND mask decides: a 24-bit 1 x 2 image, green above a hole.
  Bytes file = {0, 0, 1, 0, 1, 0, 1, 2, 0, 0, 1, 0, 24, 0, 56, 0, 0, 0, 22, 0, 0, 0};
  const Bytes header = {40, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24, 0};
  file.insert(file.end(), header.begin(), header.end());
  file.resize(file.size() + 24, 0);
  const Bytes pixels = {9, 9, 9, 0, 0, 0xFF, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0};
  file.insert(file.end(), pixels.begin(), pixels.end());  // rows bottom first
  EXPECT_EQ((std::vector<uint32_t>{0xFF00FF00u, 0}), icontool::DecodeIcon(file)[0].argb);

  Bytes truncated = icontool::EncodeIcon(ParseArt("image 2 2\n..\n..\n", ArtKind::kIcon));
  truncated.pop_back();
  for (const Bytes& bad : {truncated, Bytes{0, 0, 2, 0, 1, 0}, Bytes{0, 0, 1, 0, 0, 0}})
    EXPECT_THROW(icontool::DecodeIcon(bad), icontool::IconError);
}

}  // namespace
