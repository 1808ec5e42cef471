#include "tools/artgen/jpeg_pad.h"

namespace artgen {

namespace {

// Said once; the rest of the padding is zero bytes, so tools that print
// comments show one short line rather than pages of repetition.
constexpr char kCommentText[] = "Brass lantern over the river valley at dusk. Procedural artwork.";

void AppendComment(std::vector<uint8_t>& out, size_t segmentSize) {
  const size_t length = segmentSize - 2;
  out.push_back(0xFF);
  out.push_back(0xFE);
  out.push_back(static_cast<uint8_t>(length >> 8));
  out.push_back(static_cast<uint8_t>(length & 0xFF));
  for (size_t i = 0; i < length - 2; ++i) {
    out.push_back(i < sizeof(kCommentText) - 1 ? static_cast<uint8_t>(kCommentText[i]) : 0);
  }
}

}  // namespace

bool PadWithComments(std::vector<uint8_t>& jpeg, size_t target, std::string* error) {
  auto fail = [error](const char* text) {
    if (error) *error = text;
    return false;
  };
  if (jpeg.size() < 11 || jpeg[0] != 0xFF || jpeg[1] != 0xD8 || jpeg[2] != 0xFF ||
      jpeg[3] != 0xE0) {
    return fail("file does not start with SOI and an APP0 segment");
  }
  const size_t app0End = 4 + ((static_cast<size_t>(jpeg[4]) << 8) | jpeg[5]);
  if (app0End > jpeg.size() || jpeg[6] != 'J' || jpeg[7] != 'F' || jpeg[8] != 'I' ||
      jpeg[9] != 'F' || jpeg[10] != 0) {
    return fail("APP0 segment is not a JFIF header");
  }
  if (jpeg.size() > target) return fail("file is already larger than the target size");
  size_t missing = target - jpeg.size();
  if (missing > 0 && missing < kMinCommentSegment) {
    return fail("file is 1 to 3 bytes short of the target; no comment segment fits");
  }
  std::vector<uint8_t> padding;
  padding.reserve(missing);
  while (missing > 0) {
    size_t segment = missing < kMaxCommentSegment ? missing : kMaxCommentSegment;
    // Never leave a remainder too small for a segment of its own.
    if (missing - segment > 0 && missing - segment < kMinCommentSegment) {
      segment = missing - kMinCommentSegment;
    }
    AppendComment(padding, segment);
    missing -= segment;
  }
  jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(app0End), padding.begin(), padding.end());
  return true;
}

}  // namespace artgen
