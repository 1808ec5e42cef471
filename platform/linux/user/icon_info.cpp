// GetIconInfo: the bitmaps of a cursor or icon, made from its decoded image.
#include <cstdint>
#include <vector>

#include "platform/linux/cursor_image.h"
#include "platform/win32.h"

namespace {

// Rows of a 1-bit mask in the resource's byte rows, repacked to the word-aligned rows
// CreateBitmap takes.
void AppendMaskRows(const std::vector<uint8_t>& mask, int width, int height,
                    std::vector<uint8_t>& out) {
  const size_t from = (static_cast<size_t>(width) + 7) / 8;
  const size_t to = (static_cast<size_t>(width) + 15) / 16 * 2;
  for (int y = 0; y < height; ++y) {
    const size_t at = out.size();
    out.resize(at + to, 0);
    for (size_t i = 0; i < from; ++i) {
      const size_t source = static_cast<size_t>(y) * from + i;
      if (source < mask.size()) out[at + i] = mask[source];
    }
  }
}

}  // namespace

extern "C" BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
  const linux_cursor::CursorImage* image = linux_cursor::CursorImageOf(hIcon);
  if (!image || !piconinfo) {
    SetLastError(image ? ERROR_NOACCESS : ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
  }
  const int width = image->width, height = image->height;
  const bool colour = image->bitCount > 1 && !image->pixels.empty();
  std::vector<uint8_t> mask;
  AppendMaskRows(image->andMask, width, height, mask);
  if (!colour) AppendMaskRows(image->xorMask, width, height, mask);
  ICONINFO info{};
  info.fIcon = image->isIcon ? TRUE : FALSE;
  info.xHotspot = static_cast<DWORD>(image->hotX);
  info.yHotspot = static_cast<DWORD>(image->hotY);
  info.hbmMask = CreateBitmap(width, colour ? height : height * 2, 1, 1, mask.data());
  if (colour) info.hbmColor = CreateBitmap(width, height, 1, 32, image->pixels.data());
  if (!info.hbmMask || (colour && !info.hbmColor)) {
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  *piconinfo = info;
  return TRUE;
}
