#pragma once
// Putting our surfaces' pixels into X drawables (x11_image.cpp), for the x11 driver.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <vector>

#include "platform/linux/display/driver.h"

namespace linux_display {

// Whether a connection's socket is a local (AF_UNIX) one: our shared memory is only
// visible to a server on this machine, and one reached over the network must not be handed
// our segments' ids.
bool LocalSocket(int descriptor);

class SharedPixels;

// Puts pixels of our surfaces into X drawables: through a shared-memory image when the
// server offers MIT-SHM on this connection, else through the connection itself.
class ImagePutter {
 public:
  ImagePutter(Display* display, Visual* visual, int depth);
  ~ImagePutter();
  // Copies `area` of `surface` to `target` at the same coordinates (clipped to both).
  void Put(Drawable target, GC gc, const linux_gdi::Surface& surface, RECT area);
  // A segment of width x height pixels in the surface layout that Put shows without a
  // copy; nullptr without shared memory or where the server's layout differs.
  std::unique_ptr<SurfaceMemory> Lend(int width, int height);

 private:
  friend class SharedPixels;
  bool AttachSegment(XImage* image, XShmSegmentInfo& segment, int height);
  void Return(SharedPixels* pixels);
  bool EnsureImage(int width, int height);
  void Convert(const linux_gdi::Surface& surface, int left, int top, int width, int height);
  void Release();

  Display* display_;
  Visual* visual_;
  int depth_;
  bool shm_ = false;
  int major_ = 0;  // MIT-SHM's request code, naming its errors
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  std::vector<SharedPixels*> lent_;
};

}  // namespace linux_display
