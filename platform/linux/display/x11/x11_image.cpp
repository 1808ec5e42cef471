// Surface pixels to X drawables, through MIT-SHM where the server offers it.
#include "platform/linux/display/x11/x11_image.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace linux_display {

namespace {

// While an attach is checked: the extension's request code, whether the attach failed,
// and the handler that takes every other error.
int shmMajor = 0;
bool attachFailed = false;
XErrorHandler otherErrors = nullptr;
int NoteAttachFailure(Display* display, XErrorEvent* error) {
  // The only request of the extension in flight is the attach.
  if (error->request_code == shmMajor) {
    attachFailed = true;
    return 0;
  }
  return otherErrors ? otherErrors(display, error) : 0;
}

// Where a channel mask's top 8 bits go: a shift (negative = right) applied to 8-bit
// channel values.
int ShiftFor(unsigned long mask) {
  if (!mask) return 0;
  int top = 31;
  while (!(mask & (1ul << top))) --top;
  return top - 7;
}

unsigned long Place(unsigned value, int shift, unsigned long mask) {
  unsigned long placed = shift >= 0 ? static_cast<unsigned long>(value) << shift : value >> -shift;
  return placed & mask;
}

}  // namespace

bool LocalSocket(int descriptor) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) return false;
  return address.ss_family == AF_UNIX;
}

// A window surface's pixels in a segment the server reads directly.
class SharedPixels : public SurfaceMemory {
 public:
  explicit SharedPixels(ImagePutter* owner) : owner_(owner) {}
  ~SharedPixels() override {
    if (!image_) return;
    if (attached_) {
      if (owner_) owner_->Return(this);
      shmdt(segment_.shmaddr);
      image_->data = nullptr;
    }
    XDestroyImage(image_);
  }
  uint32_t* Pixels() const override { return reinterpret_cast<uint32_t*>(image_->data); }

 private:
  friend class ImagePutter;
  ImagePutter* owner_;  // nullptr once the putter (and its connection) is gone
  XImage* image_ = nullptr;
  bool attached_ = false;
  // The image refers to this (XShmPutImage reads the segment from it): it stays here.
  XShmSegmentInfo segment_{};
};

ImagePutter::ImagePutter(Display* display, Visual* visual, int depth)
    : display_(display), visual_(visual), depth_(depth) {
  // Shared memory only reaches a server on this machine; XShmQueryExtension says whether
  // the server has it, the attach (checked in AttachSegment) whether it can see our segment.
  int event = 0, error = 0;
  shm_ = display_ && LocalSocket(ConnectionNumber(display_)) && XShmQueryExtension(display_) &&
         XQueryExtension(display_, "MIT-SHM", &major_, &event, &error) &&
         !std::getenv("LAUNCHER_NO_SHM");
}

ImagePutter::~ImagePutter() {
  Release();
  for (SharedPixels* pixels : lent_) {
    XShmDetach(display_, &pixels->segment_);
    pixels->owner_ = nullptr;
  }
  if (!lent_.empty()) XSync(display_, False);
}

void ImagePutter::Release() {
  if (!image_) return;
  if (shm_) {
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    XDestroyImage(image_);
    shmdt(segment_.shmaddr);
  } else {
    XDestroyImage(image_);  // frees the data too
  }
  image_ = nullptr;
}

// A segment for `image` (height rows), attached to the server; false when the server
// cannot see it (a remote one), everything undone then.
bool ImagePutter::AttachSegment(XImage* image, XShmSegmentInfo& segment, int height) {
  segment.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
  void* address = segment.shmid >= 0 ? shmat(segment.shmid, nullptr, 0) : nullptr;
  if (!address || address == reinterpret_cast<void*>(-1)) {
    if (segment.shmid >= 0) shmctl(segment.shmid, IPC_RMID, nullptr);
    return false;
  }
  segment.shmaddr = image->data = static_cast<char*>(address);
  segment.readOnly = False;
  shmMajor = major_;
  attachFailed = false;
  otherErrors = XSetErrorHandler(NoteAttachFailure);
  XShmAttach(display_, &segment);
  XSync(display_, False);
  XSetErrorHandler(otherErrors);
  otherErrors = nullptr;
  // Both sides attached (or the server never will): marked for removal now, it goes away
  // with the last detach, even if we crash or are killed.
  shmctl(segment.shmid, IPC_RMID, nullptr);
  if (!attachFailed) return true;
  shmdt(address);
  image->data = nullptr;
  return false;
}

bool ImagePutter::EnsureImage(int width, int height) {
  if (image_ && image_->width >= width && image_->height >= height) return true;
  int w = std::max(width, image_ ? image_->width : 0);
  int h = std::max(height, image_ ? image_->height : 0);
  Release();
  if (shm_) {
    image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                             &segment_, static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (image_) {
      if (AttachSegment(image_, segment_, h)) return true;
      XDestroyImage(image_);
      image_ = nullptr;
    }
    shm_ = false;  // a remote server: the plain protocol from now on
  }
  image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                        static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (!image_) return false;
  image_->data = static_cast<char*>(std::malloc(static_cast<size_t>(image_->bytes_per_line) * h));
  if (!image_->data) {
    XDestroyImage(image_);
    image_ = nullptr;
    return false;
  }
  return true;
}

std::unique_ptr<SurfaceMemory> ImagePutter::Lend(int width, int height) {
  if (!shm_ || width <= 0 || height <= 0) return nullptr;
  auto pixels = std::make_unique<SharedPixels>(this);
  pixels->image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap,
                                   nullptr, &pixels->segment_, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height));
  const XImage* image = pixels->image_;
  if (!image) return nullptr;
  // Only where the server's pixels are the surface's bytes (what Convert would memcpy).
  const bool littleEndianHost = [] {
    const uint16_t one = 1;
    return *reinterpret_cast<const uint8_t*>(&one) == 1;
  }();
  const bool sameLayout = image->bits_per_pixel == 32 && image->bytes_per_line == width * 4 &&
                          image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                          image->blue_mask == 0xFF &&
                          image->byte_order == (littleEndianHost ? LSBFirst : MSBFirst);
  if (!sameLayout || !AttachSegment(pixels->image_, pixels->segment_, height)) return nullptr;
  pixels->attached_ = true;
  lent_.push_back(pixels.get());
  return pixels;
}

void ImagePutter::Return(SharedPixels* pixels) {
  XShmDetach(display_, &pixels->segment_);
  XSync(display_, False);
  std::erase(lent_, pixels);
}

void ImagePutter::Convert(const linux_gdi::Surface& surface, int left, int top, int width,
                          int height) {
  bool sameLayout =
      surface.bitsPerPixel == 32 && image_->bits_per_pixel == 32 &&
      surface.masks[0] == image_->red_mask && surface.masks[1] == image_->green_mask &&
      surface.masks[2] == image_->blue_mask &&
      image_->byte_order == (XImageByteOrder(display_) == LSBFirst ? LSBFirst : MSBFirst);
  bool littleEndianHost = [] {
    const uint16_t one = 1;
    return *reinterpret_cast<const uint8_t*>(&one) == 1;
  }();
  if (sameLayout && image_->byte_order == (littleEndianHost ? LSBFirst : MSBFirst)) {
    for (int y = 0; y < height; ++y)
      std::memcpy(image_->data + static_cast<ptrdiff_t>(y) * image_->bytes_per_line,
                  surface.Row(top + y) + left * 4, static_cast<size_t>(width) * 4);
    return;
  }
  // Any other pairing: through colours, pixel by pixel.
  int shifts[3] = {ShiftFor(image_->red_mask), ShiftFor(image_->green_mask),
                   ShiftFor(image_->blue_mask)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      COLORREF color = surface.ReadColor(left + x, top + y);
      unsigned long pixel = Place(GetRValue(color), shifts[0], image_->red_mask) |
                            Place(GetGValue(color), shifts[1], image_->green_mask) |
                            Place(GetBValue(color), shifts[2], image_->blue_mask);
      XPutPixel(image_, x, y, pixel);
    }
  }
}

void ImagePutter::Put(Drawable target, GC gc, const linux_gdi::Surface& surface, RECT area) {
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, surface.width);
  area.bottom = std::min<LONG>(area.bottom, surface.height);
  int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0 || !surface.bits) return;
  for (SharedPixels* pixels : lent_) {
    if (pixels->image_->data != reinterpret_cast<char*>(surface.bits) ||
        pixels->image_->width != surface.width || pixels->image_->height != surface.height)
      continue;
    // Our own segment: the server reads the pixels where they are.
    XShmPutImage(display_, target, gc, pixels->image_, area.left, area.top, area.left, area.top,
                 static_cast<unsigned>(width), static_cast<unsigned>(height), False);
    // Done reading before the next drawing changes them.
    XSync(display_, False);
    return;
  }
  if (!EnsureImage(width, height)) return;
  Convert(surface, area.left, area.top, width, height);
  if (shm_) {
    XShmPutImage(display_, target, gc, image_, 0, 0, area.left, area.top,
                 static_cast<unsigned>(width), static_cast<unsigned>(height), False);
    // The server reads the segment later; it must be done before we write it again.
    XSync(display_, False);
  } else {
    XPutImage(display_, target, gc, image_, 0, 0, area.left, area.top, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    XFlush(display_);
  }
}

}  // namespace linux_display
