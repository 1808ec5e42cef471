// The artwork generator: exact-size padding, the read-back checks, and the scene.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/artgen/artwork.h"
#include "tools/artgen/jpeg_encode.h"
#include "tools/artgen/jpeg_pad.h"
#include "tools/artgen/jpeg_verify.h"
#include "tools/artgen/noise.h"
#include "tools/artgen/scene.h"

namespace artgen {
namespace {

std::vector<uint8_t> TestPixels(int width, int height) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgb.push_back(static_cast<uint8_t>(x * 255 / width));
      rgb.push_back(static_cast<uint8_t>(y * 255 / height));
      rgb.push_back(static_cast<uint8_t>((x * 7 + y * 13) & 0xFF));
    }
  }
  return rgb;
}

std::vector<uint8_t> SmallJpeg() { return EncodeJpeg(TestPixels(64, 48), 64, 48, 90); }

size_t SegmentLength(const std::vector<uint8_t>& b, size_t pos) {
  return (static_cast<size_t>(b[pos + 2]) << 8) | b[pos + 3];
}

// Offset of the first segment after APP0 whose marker is `marker`, or 0.
size_t FindSegment(const std::vector<uint8_t>& b, uint8_t marker) {
  size_t pos = 2;
  while (pos + 4 <= b.size() && b[pos] == 0xFF) {
    if (b[pos + 1] == marker) return pos;
    if (b[pos + 1] == 0xDA) break;
    pos += 2 + SegmentLength(b, pos);
  }
  return 0;
}

// Decodes to RGB triples with the library's own error handling (tests only
// decode files they just made).
std::vector<uint8_t> DecodeRgb(const std::vector<uint8_t>& jpeg, int* width, int* height) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  *width = static_cast<int>(cinfo.output_width);
  *height = static_cast<int>(cinfo.output_height);
  std::vector<uint8_t> rgb(static_cast<size_t>(*width) * *height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb.data() + static_cast<size_t>(cinfo.output_scanline) * *width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return rgb;
}

TEST(ArtgenNoise, StaysInRangeAndIsContinuous) {
  // On lattice points the noise is exactly the hash there.
  EXPECT_FLOAT_EQ(ValueNoise(3.0f, -2.0f, 5), Hash01(3, -2, 5));
  float lo = 1.0f;
  float hi = 0.0f;
  for (int i = 0; i < 2000; ++i) {
    const float x = -50.0f + i * 0.0731f;
    const float y = 17.0f - i * 0.0419f;
    for (float v : {ValueNoise(x, y, 1), Fbm(x, y, 6, 2), RidgedFbm(x, y, 6, 3)}) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    // No jumps across cell borders, including negative coordinates.
    EXPECT_NEAR(ValueNoise(x, y, 1), ValueNoise(x + 1e-3f, y, 1), 0.01f) << x;
  }
  EXPECT_GE(lo, 0.0f);
  EXPECT_LE(hi, 1.0f);
  EXPECT_LT(lo, 0.2f);  // and it really varies
  EXPECT_GT(hi, 0.8f);
}

TEST(ArtgenCanvas, BlendsClampsAndRoundsToBytes) {
  Canvas c(3, 2);
  c.At(0, 0) = {-0.5f, 0.5f, 1.5f};
  c.At(1, 0) = {0.2f, 0.2f, 0.2f};
  c.Blend(1, 0, {1.0f, 1.0f, 1.0f}, 0.5f);
  c.Blend(2, 0, {1.0f, 0.0f, 0.0f}, 7.0f);   // coverage beyond 1 paints fully, no more
  c.Blend(-1, 0, {1.0f, 1.0f, 1.0f}, 1.0f);  // outside: ignored
  c.Blend(0, 2, {1.0f, 1.0f, 1.0f}, 1.0f);
  // Reads outside the picture take the nearest edge pixel.
  EXPECT_FLOAT_EQ(c.Sample(-5, -9).b, 1.5f);
  EXPECT_FLOAT_EQ(c.Sample(7, -3).r, 1.0f);
  EXPECT_FLOAT_EQ(c.Sample(7, 9).r, 0.0f);
  const std::vector<uint8_t> bytes = c.ToRgb8();
  ASSERT_EQ(bytes.size(), 18u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 9),
            (std::vector<uint8_t>{0, 128, 255, 153, 153, 153, 255, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 9, bytes.end()), std::vector<uint8_t>(9, 0));
}

TEST(ArtgenEncode, ColoursSurviveTheRoundTripInTheirOrder) {
  // Left half red, right half blue: a swapped channel order would show at once.
  const int w = 32;
  const int h = 16;
  std::vector<uint8_t> rgb;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool red = x < w / 2;
      rgb.insert(rgb.end(),
                 {static_cast<uint8_t>(red ? 220 : 20), 30, static_cast<uint8_t>(red ? 20 : 220)});
    }
  }
  int dw = 0;
  int dh = 0;
  const std::vector<uint8_t> back = DecodeRgb(EncodeJpeg(rgb, w, h, 95), &dw, &dh);
  ASSERT_EQ(dw, w);
  ASSERT_EQ(dh, h);
  for (int x : {2, 29}) {
    const size_t at = (static_cast<size_t>(8) * w + x) * 3;
    EXPECT_NEAR(back[at], rgb[at], 8) << x;
    EXPECT_NEAR(back[at + 1], rgb[at + 1], 8) << x;
    EXPECT_NEAR(back[at + 2], rgb[at + 2], 8) << x;
  }
}

TEST(ArtgenPadding, CommentSegmentsFollowJfifAndKeepTheRestIntact) {
  const std::vector<uint8_t> original = SmallJpeg();
  const size_t app0End = 4 + SegmentLength(original, 2);
  // Short of the target by: one small segment, exactly one full segment, and
  // amounts that would leave 1 to 3 bytes after a full segment.
  for (size_t missing :
       {size_t{4}, size_t{100}, kMaxCommentSegment, kMaxCommentSegment + 1, kMaxCommentSegment + 3,
        kMaxCommentSegment + 4, 2 * kMaxCommentSegment + 2}) {
    SCOPED_TRACE(missing);
    std::vector<uint8_t> jpeg = original;
    std::string error;
    ASSERT_TRUE(PadWithComments(jpeg, original.size() + missing, &error)) << error;
    ASSERT_EQ(jpeg.size(), original.size() + missing);
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + app0End, jpeg.begin()));
    size_t pos = app0End;
    size_t segments = 0;
    while (jpeg[pos] == 0xFF && jpeg[pos + 1] == 0xFE) {
      const size_t length = SegmentLength(jpeg, pos);
      EXPECT_GE(length, 2u);
      EXPECT_LE(length, 65535u);
      pos += 2 + length;
      ++segments;
    }
    EXPECT_EQ(pos, app0End + missing);
    // As few segments as the 64 KiB limit allows, even when a remainder had to be split.
    EXPECT_EQ(segments, (missing + kMaxCommentSegment - 1) / kMaxCommentSegment);
    EXPECT_TRUE(std::equal(original.begin() + app0End, original.end(), jpeg.begin() + pos));
  }
}

TEST(ArtgenPadding, RefusesSizesItCannotReach) {
  const std::vector<uint8_t> original = SmallJpeg();
  for (size_t target : {original.size() - 1, original.size() + 1, original.size() + 3}) {
    std::vector<uint8_t> jpeg = original;
    std::string error;
    EXPECT_FALSE(PadWithComments(jpeg, target, &error)) << target;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(jpeg, original);
  }
  std::vector<uint8_t> noJfif = original;
  noJfif[3] = 0xE1;  // APP1 where APP0 belongs
  EXPECT_FALSE(PadWithComments(noJfif, original.size() + 10, nullptr));
  std::vector<uint8_t> exact = original;
  EXPECT_TRUE(PadWithComments(exact, original.size(), nullptr));
  EXPECT_EQ(exact, original);
}

TEST(ArtgenVerify, AcceptsPaddedBaselineAndNamesEachDefect) {
  std::vector<uint8_t> good = SmallJpeg();
  const size_t size = good.size() + 1000;
  ASSERT_TRUE(PadWithComments(good, size, nullptr));
  const ArtworkShape shape{size, 64, 48};
  EXPECT_EQ(VerifyArtwork(good, shape), "");

  EXPECT_NE(VerifyArtwork(good, {size + 1, 64, 48}), "");
  EXPECT_NE(VerifyArtwork(good, {size, 48, 64}), "");

  const size_t sof = FindSegment(good, 0xC0);
  ASSERT_NE(sof, 0u);
  std::vector<uint8_t> progressive = good;
  progressive[sof + 1] = 0xC2;
  EXPECT_NE(VerifyArtwork(progressive, shape).find("baseline"), std::string::npos);

  // After the marker: length(2) precision(1) height(2) width(2) count(1), then
  // per component id, sampling, table; the first chroma sampling byte is at 14.
  // Making chroma 2x2 as well must be caught.
  std::vector<uint8_t> sampling = good;
  ASSERT_EQ(sampling[sof + 14], 0x11);
  sampling[sof + 14] = 0x22;
  EXPECT_NE(VerifyArtwork(sampling, shape), "");

  std::vector<uint8_t> truncated = good;
  truncated.resize(truncated.size() - 200);
  EXPECT_NE(VerifyArtwork(truncated, {truncated.size(), 64, 48}), "");

  std::vector<uint8_t> garbage(size, 0x55);
  EXPECT_NE(VerifyArtwork(garbage, shape), "");
}

TEST(ArtgenEncode, ExactSizeUsesTheHighestQualityThatFits) {
  const std::vector<uint8_t> rgb = TestPixels(64, 48);
  const size_t target = EncodeJpeg(rgb, 64, 48, 80).size() + 50;
  const SizedJpeg result = EncodeToExactSize(rgb, 64, 48, target);
  ASSERT_FALSE(result.bytes.empty()) << result.error;
  EXPECT_EQ(VerifyArtwork(result.bytes, {target, 64, 48}), "");
  EXPECT_GE(result.quality, 80);
  EXPECT_EQ(result.padding, target - EncodeJpeg(rgb, 64, 48, result.quality).size());
  if (result.quality < 100) {
    const size_t above = EncodeJpeg(rgb, 64, 48, result.quality + 1).size();
    EXPECT_TRUE(above > target || target - above < kMinCommentSegment);
  }

  EXPECT_TRUE(EncodeToExactSize(rgb, 64, 48, 100).bytes.empty());
  EXPECT_THROW(EncodeJpeg(rgb, 65, 48, 90), JpegFailure);
}

TEST(ArtgenScene, RepeatableAndPaintedAsDesigned) {
  const Canvas a = RenderScene(288, 212);
  const Canvas b = RenderScene(288, 212);
  ASSERT_EQ(a.ToRgb8(), b.ToRgb8());
  // Violet overhead, warm light near the horizon, warm glow around the lantern.
  const Rgb top = a.At(144, 4);
  EXPECT_GT(top.b, top.g);
  EXPECT_GT(top.r, top.g);
  const Rgb lowSky = a.At(270, static_cast<int>(212 * 0.47f * 0.58f));
  EXPECT_GT(lowSky.r, lowSky.b);
  // The flame is the brightest thing in the lower left, and it is warm.
  Rgb brightest;
  for (int y = 106; y < 212; ++y) {
    for (int x = 0; x < 96; ++x) {
      if (a.At(x, y).r > brightest.r) brightest = a.At(x, y);
    }
  }
  EXPECT_GT(brightest.r, 0.9f);
  EXPECT_GT(brightest.r, brightest.b + 0.3f);
}

TEST(ArtgenScene, TheLauncherArtworkMeetsItsContract) {
  const Canvas scene = RenderScene(kArtworkWidth, kArtworkHeight);
  const SizedJpeg jpeg = EncodeToExactSize(scene.ToRgb8(), kArtworkWidth, kArtworkHeight, 305872);
  ASSERT_FALSE(jpeg.bytes.empty()) << jpeg.error;
  EXPECT_EQ(VerifyArtwork(jpeg.bytes, {305872, 1152, 846}), "");
  // Padding is a top-up, not most of the file.
  EXPECT_LT(jpeg.padding, 305872u / 4);
}

}  // namespace
}  // namespace artgen
