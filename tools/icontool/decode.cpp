#include "tools/icontool/decode.h"

#include <algorithm>
#include <string>

namespace icontool {
namespace {

using Bytes = std::vector<uint8_t>;

// Bounds-checked little-endian reads over the whole file.
struct Reader {
  const Bytes& bytes;
  uint32_t Word(size_t at) const {
    Need(at, 2);
    return bytes[at] | static_cast<uint32_t>(bytes[at + 1]) << 8;
  }
  uint32_t Dword(size_t at) const { return Word(at) | Word(at + 2) << 16; }
  void Need(size_t at, size_t count) const {
    if (at > bytes.size() || count > bytes.size() - at) throw IconError("the file is truncated");
  }
};

constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A DIB entry: header, then colour rows and the AND mask, both bottom row first and
// padded to four bytes.
IconImage DecodeDib(const Reader& in, size_t at, size_t size) {
  in.Need(at, size);
  if (size < 40 || in.Dword(at) < 40) throw IconError("an image has no bitmap header");
  const uint32_t headerSize = in.Dword(at);
  const auto width = static_cast<int32_t>(in.Dword(at + 4));
  const auto doubled = static_cast<int32_t>(in.Dword(at + 8));
  const uint32_t bits = in.Word(at + 14);
  const uint32_t compression = in.Dword(at + 16);
  if (width <= 0 || width > 256 || doubled <= 0 || doubled % 2 != 0 || doubled / 2 > 256)
    throw IconError("an image has a size outside 1 to 256");
  if ((bits != 32 && bits != 24) || compression != 0)
    throw IconError("an image is neither 24- nor 32-bit uncompressed (" + std::to_string(bits) +
                    " bits)");
  IconImage image;
  image.width = width;
  image.height = doubled / 2;
  const size_t w = static_cast<size_t>(width);
  const size_t h = static_cast<size_t>(image.height);
  const size_t colourStride = (w * bits / 8 + 3) / 4 * 4;
  const size_t maskStride = (w + 31) / 32 * 4;
  const size_t colour = at + headerSize;
  const size_t mask = colour + colourStride * h;
  if (colourStride * h + maskStride * h > size - headerSize)
    throw IconError("an image is larger than its entry");
  image.argb.resize(w * h);
  bool anyAlpha = false;
  for (size_t y = 0; y < h; ++y) {
    const uint8_t* row = in.bytes.data() + colour + colourStride * (h - 1 - y);
    for (size_t x = 0; x < w; ++x) {
      const uint8_t* p = row + x * bits / 8;
      const uint32_t alpha = bits == 32 ? p[3] : 0;
      anyAlpha = anyAlpha || alpha != 0;
      image.argb[y * w + x] = alpha << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
  }
  if (!anyAlpha) {
    for (size_t y = 0; y < h; ++y) {
      const uint8_t* row = in.bytes.data() + mask + maskStride * (h - 1 - y);
      for (size_t x = 0; x < w; ++x) {
        const bool transparent = (row[x / 8] & (0x80 >> (x % 8))) != 0;
        uint32_t& pixel = image.argb[y * w + x];
        pixel = transparent ? 0 : (pixel | 0xFF000000u);
      }
    }
  }
  return image;
}

}  // namespace

std::vector<IconImage> DecodeIcon(const std::vector<uint8_t>& file) {
  const Reader in{file};
  if (in.Word(0) != 0 || in.Word(2) != 1) throw IconError("not an icon file");
  const uint32_t count = in.Word(4);
  if (count == 0) throw IconError("the icon has no images");
  std::vector<IconImage> images;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * size_t{i};
    const size_t size = in.Dword(entry + 8);
    const size_t at = in.Dword(entry + 12);
    in.Need(at, size);
    if (size >= sizeof kPngSignature &&
        std::equal(std::begin(kPngSignature), std::end(kPngSignature), file.begin() + at)) {
      IconImage image;
      // The directory's bytes hold the size, 0 meaning 256.
      image.width = file[entry] == 0 ? 256 : file[entry];
      image.height = file[entry + 1] == 0 ? 256 : file[entry + 1];
      image.png.assign(file.begin() + at, file.begin() + at + size);
      images.push_back(std::move(image));
    } else {
      images.push_back(DecodeDib(in, at, size));
    }
  }
  return images;
}

}  // namespace icontool
