// Pointer shapes: system cursors to X cursor-font shapes, resource cursors and icons to
// two-colour pixmap cursors. One X cursor per handle, made at first use.
#include <X11/cursorfont.h>

#include <algorithm>
#include <vector>

#include "platform/linux/cursor_image.h"
#include "platform/linux/display/x11/x11_driver.h"

namespace linux_display {

namespace {

unsigned FontShapeOf(const linux_cursor::CursorImage& image) {
  if (image.isIcon) return XC_left_ptr;
  switch (image.systemId) {
    case 32513:
      return XC_xterm;  // IDC_IBEAM
    case 32514:
      return XC_watch;  // IDC_WAIT
    case 32515:
      return XC_crosshair;  // IDC_CROSS
    case 32516:
      return XC_sb_up_arrow;  // IDC_UPARROW
    case 32640:               // IDC_SIZE
    case 32646:
      return XC_fleur;  // IDC_SIZEALL
    case 32641:
      return XC_icon;  // IDC_ICON
    case 32642:
      return XC_bottom_right_corner;  // IDC_SIZENWSE
    case 32643:
      return XC_bottom_left_corner;  // IDC_SIZENESW
    case 32644:
      return XC_sb_h_double_arrow;  // IDC_SIZEWE
    case 32645:
      return XC_sb_v_double_arrow;  // IDC_SIZENS
    case 32648:
      return XC_X_cursor;  // IDC_NO
    case 32649:
      return XC_hand2;  // IDC_HAND
    case 32650:
      return XC_watch;  // IDC_APPSTARTING
    case 32651:
      return XC_question_arrow;  // IDC_HELP
    default:
      return XC_left_ptr;  // IDC_ARROW and anything unknown
  }
}

// A 1-bit pixmap from rows of bits, leftmost pixel first (X wants the low bit first).
Pixmap BitmapOf(Display* display, Window root, int width, int height,
                const std::vector<uint8_t>& rows) {
  return XCreateBitmapFromData(display, root, reinterpret_cast<const char*>(rows.data()),
                               static_cast<unsigned>(width), static_cast<unsigned>(height));
}

}  // namespace

Cursor X11Driver::CursorFor(HCURSOR handle) {
  auto cached = cursors_.find(handle);
  if (cached != cursors_.end()) return cached->second;
  const linux_cursor::CursorImage* image = handle ? linux_cursor::CursorImageOf(handle) : nullptr;
  Cursor cursor = None;
  int width = image ? image->width : 1, height = image ? image->height : 1;
  if (handle && !image) {
    cursor = XCreateFontCursor(display_, XC_left_ptr);  // not a cursor of ours: the default
  } else if (image && (image->systemId || image->pixels.empty() || width <= 0 || height <= 0)) {
    cursor = XCreateFontCursor(display_, FontShapeOf(*image));
  } else {
    // Shown where opaque; the source bit picks black (dark pixels) over white. Screen
    // inversion has no X equivalent: the image already shows those pixels black. No
    // handle is an empty shape, as SetCursor(nullptr) hides the pointer.
    int stride = (width + 7) / 8;
    std::vector<uint8_t> source(static_cast<size_t>(stride) * height);
    std::vector<uint8_t> mask(source.size());
    for (int y = 0; image && y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t argb = image->pixels[static_cast<size_t>(y) * width + x];
        if ((argb >> 24) < 0x80) continue;
        unsigned r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
        uint8_t bit = static_cast<uint8_t>(1u << (x % 8));
        size_t at = static_cast<size_t>(y) * stride + x / 8;
        mask[at] |= bit;
        if (r * 299 + g * 587 + b * 114 < 128000) source[at] |= bit;
      }
    }
    Pixmap sourceMap = BitmapOf(display_, root_, width, height, source);
    Pixmap maskMap = BitmapOf(display_, root_, width, height, mask);
    XColor black{}, white{};
    white.red = white.green = white.blue = 0xFFFF;
    black.flags = white.flags = DoRed | DoGreen | DoBlue;
    unsigned hotX = image ? static_cast<unsigned>(std::clamp(image->hotX, 0, width - 1)) : 0;
    unsigned hotY = image ? static_cast<unsigned>(std::clamp(image->hotY, 0, height - 1)) : 0;
    cursor = XCreatePixmapCursor(display_, sourceMap, maskMap, &black, &white, hotX, hotY);
    XFreePixmap(display_, sourceMap);
    XFreePixmap(display_, maskMap);
  }
  cursors_[handle] = cursor;
  return cursor;
}

// Making the first shape loads the server's cursor theme, several round trips and file
// lookups: not worth delaying a window's first picture for.
void X11Driver::SetCursor(HCURSOR cursor) {
  cursor_ = cursor;
  cursorSet_ = true;
}

void X11Driver::Settle() {
  if (!cursorSet_) return;
  Cursor shape = CursorFor(cursor_);
  if (shape == shownCursor_) return;
  shownCursor_ = shape;
  for (const auto& [window, shown] : windows_) XDefineCursor(display_, shown.xid, shape);
  XFlush(display_);
}

}  // namespace linux_display
