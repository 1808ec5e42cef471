#include "tests/platform/cursor_shape.h"

#ifdef _WIN32
namespace {

// Rows of a bitmap, top row first, one entry per pixel: bits (1) or 0xRRGGBB (32).
bool ReadBitmap(HBITMAP bitmap, int width, int height, int bits, std::vector<uint32_t>* out) {
  BITMAPINFO* info = nullptr;
  std::vector<uint8_t> infoBytes(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
  info = reinterpret_cast<BITMAPINFO*>(infoBytes.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = -height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = static_cast<WORD>(bits);
  info->bmiHeader.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  std::vector<uint8_t> data(stride * static_cast<size_t>(height));
  HDC dc = GetDC(nullptr);
  int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), data.data(), info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != height) return false;
  out->clear();
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = data.data() + stride * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x) {
      if (bits == 1)
        out->push_back((row[x / 8] >> (7 - x % 8)) & 1);
      else
        out->push_back((row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16) & 0xFFFFFFu);
    }
  }
  return true;
}

}  // namespace

bool ReadCursorShape(HICON handle, CursorShape* shape) {
  ICONINFO info{};
  if (!GetIconInfo(handle, &info)) return false;
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  shape->width = mask.bmWidth;
  // A monochrome shape keeps its XOR bits below the AND bits in one bitmap.
  shape->height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
  shape->hotX = static_cast<int>(info.xHotspot);
  shape->hotY = static_cast<int>(info.yHotspot);
  std::vector<uint32_t> maskBits, colour;
  bool ok = ReadBitmap(info.hbmMask, mask.bmWidth, mask.bmHeight, 1, &maskBits);
  if (ok && info.hbmColor) ok = ReadBitmap(info.hbmColor, shape->width, shape->height, 32, &colour);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (!ok) return false;
  const size_t pixels = static_cast<size_t>(shape->width) * static_cast<size_t>(shape->height);
  shape->andBits.assign(maskBits.begin(), maskBits.begin() + static_cast<ptrdiff_t>(pixels));
  if (info.hbmColor)
    shape->rgb = colour;
  else
    shape->xorBits.assign(maskBits.begin() + static_cast<ptrdiff_t>(pixels), maskBits.end());
  return true;
}

#else
#include "platform/linux/cursor_image.h"

bool ReadCursorShape(HICON handle, CursorShape* shape) {
  const linux_cursor::CursorImage* image = linux_cursor::CursorImageOf(handle);
  if (!image) return false;
  shape->width = image->width;
  shape->height = image->height;
  shape->hotX = image->hotX;
  shape->hotY = image->hotY;
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      shape->andBits.push_back(image->AndBit(x, y));
      if (image->bitCount == 1)
        shape->xorBits.push_back(image->XorBit(x, y));
      else
        shape->rgb.push_back(image->pixels[size_t(y) * size_t(image->width) + size_t(x)] &
                             0xFFFFFFu);
    }
  }
  return true;
}
#endif
