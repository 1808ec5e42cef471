#include "tools/icontool/png.h"

#include <png.h>

#include <csetjmp>

namespace icontool {
namespace {

void Append(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp /*png*/) {}

}  // namespace

std::vector<uint8_t> EncodePng(const IconImage& image) {
  if (!image.png.empty()) return image.png;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw IconError("cannot start the PNG encoder");
  }
  std::vector<uint8_t> out;
  // Outside the setjmp scope, so a longjmp from the encoder leaves nothing to unwind.
  std::vector<png_byte> row(static_cast<size_t>(image.width) * 4);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw IconError("the PNG encoder failed");
  }
  png_set_write_fn(png, &out, &Append, &NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t width = static_cast<size_t>(image.width);
  for (size_t y = 0; y < static_cast<size_t>(image.height); ++y) {
    for (size_t x = 0; x < width; ++x) {
      const uint32_t pixel = image.argb[y * width + x];
      row[4 * x] = static_cast<png_byte>(pixel >> 16);
      row[4 * x + 1] = static_cast<png_byte>(pixel >> 8);
      row[4 * x + 2] = static_cast<png_byte>(pixel);
      row[4 * x + 3] = static_cast<png_byte>(pixel >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace icontool
