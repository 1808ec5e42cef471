#include "tools/icontool/encode.h"

namespace icontool {
namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutDword(Bytes& b, uint32_t v) {
  PutWord(b, v & 0xFFFF);
  PutWord(b, v >> 16);
}

// Bitmap rows are stored bottom row first, each padded to a multiple of four bytes.
size_t MaskStride(int width) { return ((static_cast<size_t>(width) + 31) / 32) * 4; }

// One bit per pixel, leftmost pixel in the top bit; set where `isSet` says.
template <typename Pred>
Bytes Mask(const ArtImage& image, Pred isSet) {
  const size_t stride = MaskStride(image.width);
  Bytes bits(stride * static_cast<size_t>(image.height), 0);
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = bits.data() + stride * static_cast<size_t>(image.height - 1 - y);
    for (int x = 0; x < image.width; ++x)
      if (isSet(image.rows[static_cast<size_t>(y)][static_cast<size_t>(x)]))
        row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
  }
  return bits;
}

void PutInfoHeader(Bytes& b, const ArtImage& image, uint16_t bits, uint32_t imageBytes) {
  PutDword(b, 40);
  PutDword(b, static_cast<uint32_t>(image.width));
  PutDword(b, static_cast<uint32_t>(image.height) * 2);  // colour (or XOR) image plus mask
  PutWord(b, 1);
  PutWord(b, bits);
  PutDword(b, 0);  // BI_RGB
  PutDword(b, imageBytes);
  PutDword(b, 0);
  PutDword(b, 0);
  PutDword(b, 0);
  PutDword(b, 0);
}

// Directory entry fields 4..7 are planes and bits for icons, the hot spot for cursors.
Bytes Container(bool cursor, const Art& art, const std::vector<Bytes>& images) {
  Bytes file;
  PutWord(file, 0);
  PutWord(file, cursor ? 2 : 1);
  PutWord(file, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const ArtImage& image = art.images[i];
    file.push_back(static_cast<uint8_t>(image.width));  // 256 is stored as 0
    file.push_back(static_cast<uint8_t>(image.height));
    file.push_back(cursor ? 2 : 0);  // palette entries, 0 when there is no palette
    file.push_back(0);
    PutWord(file, cursor ? static_cast<uint32_t>(image.hotX) : 1);
    PutWord(file, cursor ? static_cast<uint32_t>(image.hotY) : 32);
    PutDword(file, static_cast<uint32_t>(images[i].size()));
    PutDword(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const Bytes& image : images) file.insert(file.end(), image.begin(), image.end());
  return file;
}

}  // namespace

std::vector<uint8_t> EncodeCursor(const Art& art) {
  std::vector<Bytes> images;
  for (const ArtImage& image : art.images) {
    // White or inverting pixels set the XOR bit; the screen shows through where AND is set.
    Bytes xorBits = Mask(image, [](char c) { return c == 'o' || c == '~'; });
    Bytes andBits = Mask(image, [](char c) { return c == '.' || c == '~'; });
    Bytes b;
    PutInfoHeader(b, image, 1, static_cast<uint32_t>(xorBits.size() + andBits.size()));
    PutDword(b, 0x000000);  // palette: index 0 black, 1 white
    PutDword(b, 0xFFFFFF);
    b.insert(b.end(), xorBits.begin(), xorBits.end());
    b.insert(b.end(), andBits.begin(), andBits.end());
    images.push_back(std::move(b));
  }
  return Container(true, art, images);
}

std::vector<uint8_t> EncodeIcon(const Art& art) {
  std::vector<Bytes> images;
  for (const ArtImage& image : art.images) {
    Bytes colour;
    for (int y = image.height - 1; y >= 0; --y) {
      for (char c : image.rows[static_cast<size_t>(y)]) {
        // Blue, green, red, alpha; transparent pixels are zero throughout.
        uint32_t rgb = c == '.' ? 0 : art.colours.at(c);
        PutDword(colour, c == '.' ? 0 : 0xFF000000u | rgb);
      }
    }
    Bytes andBits = Mask(image, [](char c) { return c == '.'; });
    Bytes b;
    PutInfoHeader(b, image, 32, static_cast<uint32_t>(colour.size() + andBits.size()));
    b.insert(b.end(), colour.begin(), colour.end());
    b.insert(b.end(), andBits.begin(), andBits.end());
    images.push_back(std::move(b));
  }
  return Container(false, art, images);
}

}  // namespace icontool
