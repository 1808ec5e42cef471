// The x11 driver: windows, their looks, and the event loop's side of the connection.
#include "platform/linux/display/x11/x11_driver.h"

#include <X11/Xatom.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/linux/gdi/screen.h"

namespace linux_display {

namespace {

// A server that goes away cannot be recovered from: say so and end, rather than leave
// a program with no windows (Xlib requires this handler not to return).
int ConnectionLost(Display* display) {
  std::fprintf(stderr, "display: lost the connection to X display \"%s\"\n",
               DisplayString(display));
  std::fflush(stderr);
  _exit(1);
}

// Requests on windows the server or window manager destroyed meanwhile fail harmlessly;
// the default handler would end the program for them.
int RequestFailed(Display* display, XErrorEvent* error) {
  char text[160];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "display: X request %d failed: %s\n", error->request_code, text);
  return 0;
}

constexpr long kWindowEvents = ExposureMask | StructureNotifyMask | PropertyChangeMask |
                               FocusChangeMask | PointerMotionMask | ButtonPressMask |
                               ButtonReleaseMask | EnterWindowMask | LeaveWindowMask |
                               KeyPressMask | KeyReleaseMask;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// More states than a window manager defines: the rest of a longer list is not ours.
constexpr long kLongestStateList = 64;

unsigned Extent(LONG from, LONG to) { return to > from ? static_cast<unsigned>(to - from) : 1u; }

}  // namespace

unsigned MouseFlagsOf(unsigned state) {
  unsigned flags = 0;
  if (state & Button1Mask) flags |= kMkLButton;
  if (state & Button3Mask) flags |= kMkRButton;
  if (state & Button2Mask) flags |= kMkMButton;
  if (state & ShiftMask) flags |= kMkShift;
  if (state & ControlMask) flags |= kMkControl;
  return flags;
}

std::unique_ptr<Driver> MakeX11Driver(const char* displayName) {
  // A busy server now and then resets a connection it has just accepted (seen with Xvfb
  // while other clients come and go): try again a few times. A display that does not
  // exist fails at once.
  Display* display = XOpenDisplay(displayName);
  for (int attempt = 0;
       !display && attempt < 5 && (errno == ECONNRESET || errno == EAGAIN || errno == EINTR);
       ++attempt) {
    usleep(50000);
    display = XOpenDisplay(displayName);
  }
  if (!display) return nullptr;
  XSetIOErrorHandler(ConnectionLost);
  XSetErrorHandler(RequestFailed);
  return std::make_unique<X11Driver>(display);
}

X11Driver::X11Driver(Display* display)
    : display_(display),
      screen_(DefaultScreen(display)),
      root_(RootWindow(display, screen_)),
      visual_(DefaultVisual(display, screen_)),
      depth_(DefaultDepth(display, screen_)),
      gc_(XCreateGC(display, root_, 0, nullptr)),
      putter_(std::make_unique<ImagePutter>(display, visual_, depth_)) {
  static const char* const names[kAtomCount] = {"WM_PROTOCOLS",
                                                "WM_DELETE_WINDOW",
                                                "WM_STATE",
                                                "WM_CHANGE_STATE",
                                                "_NET_WM_NAME",
                                                "_NET_WM_STATE",
                                                "_NET_WM_STATE_ABOVE",
                                                "_NET_WM_STATE_SKIP_TASKBAR",
                                                "_NET_WM_WINDOW_TYPE",
                                                "_NET_WM_WINDOW_TYPE_DIALOG",
                                                "_MOTIF_WM_HINTS",
                                                "UTF8_STRING",
                                                "_NET_WM_PID",
                                                "_NET_WM_ICON",
                                                "_NET_STARTUP_ID",
                                                "_NET_STARTUP_INFO_BEGIN",
                                                "_NET_STARTUP_INFO"};
  XInternAtoms(display_, const_cast<char**>(names), kAtomCount, False, atoms_);
  epoll_ = epoll_create1(EPOLL_CLOEXEC);
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  for (int fd : {ConnectionNumber(display_), wake_}) {
    epoll_event watch{};
    watch.events = EPOLLIN;
    watch.data.fd = fd;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &watch);
  }
  linux_gdi::ScreenInfo& info = linux_gdi::Screen();
  info.width = ScreenWidth();
  info.height = ScreenHeight();
  info.bitsPerPixel = 32;
  const int dpi = ResourcePixelsPerInch(XResourceManagerString(display_));
  info.pixelsPerInch = dpi ? dpi : 96;
  // Ours alone: the game we start is a start-up of its own, not the end of this one.
  if (const char* id = std::getenv("DESKTOP_STARTUP_ID")) {
    startupId_ = id;
    unsetenv("DESKTOP_STARTUP_ID");
  }
}

X11Driver::~X11Driver() {
  for (auto& [window, shown] : windows_) XDestroyWindow(display_, shown.xid);
  for (auto& [handle, cursor] : cursors_) XFreeCursor(display_, cursor);
  XFreeGC(display_, gc_);
  XSync(display_, False);
  close(wake_);
  close(epoll_);
  putter_.reset();  // its shared segment goes before the connection
  XCloseDisplay(display_);
}

int X11Driver::ScreenWidth() const { return DisplayWidth(display_, screen_); }
int X11Driver::ScreenHeight() const { return DisplayHeight(display_, screen_); }

void X11Driver::NoteQueued() const {
  if (XEventsQueued(display_, QueuedAlready) > 0) {
    uint64_t one = 1;
    if (write(wake_, &one, sizeof one) < 0) {
      // Already signalled (the counter is full): nothing more to say.
    }
  }
}

Window X11Driver::XWindowOf(HWND window) const {
  auto found = windows_.find(window);
  return found == windows_.end() ? 0 : found->second.xid;
}

HWND X11Driver::WindowOfX(Window xid) const {
  for (const auto& [window, shown] : windows_)
    if (shown.xid == xid) return window;
  return nullptr;
}

Window X11Driver::Create(HWND window, const RECT& screen, const WindowLook& look) {
  XSetWindowAttributes attributes{};
  attributes.event_mask = kWindowEvents;
  attributes.background_pixmap = None;  // no flash of a background before the first Present
  attributes.bit_gravity = NorthWestGravity;
  Window xid =
      XCreateWindow(display_, root_, screen.left, screen.top, Extent(screen.left, screen.right),
                    Extent(screen.top, screen.bottom), 0, depth_, InputOutput, visual_,
                    CWEventMask | CWBackPixmap | CWBitGravity, &attributes);
  Atom deleteWindow = atoms_[kWmDeleteWindow];
  XSetWMProtocols(display_, xid, &deleteWindow, 1);
  SetIdentity(xid);
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(display_, xid, &hints);
  if (shownCursor_ != None) XDefineCursor(display_, xid, shownCursor_);
  Shown& shown = windows_[window];
  shown.xid = xid;
  shown.screen = screen;
  ApplyLook(shown, look, true);
  return xid;
}

void X11Driver::SetTitle(Window xid, const std::string& title) {
  XStoreName(display_, xid, title.c_str());
  XChangeProperty(display_, xid, atoms_[kNetWmName], atoms_[kUtf8String], 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
}

void X11Driver::SetNetState(Window xid, Atom state, bool on, bool mapped) {
  if (mapped) {
    // A mapped window's state belongs to the window manager: ask it.
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = xid;
    message.xclient.message_type = atoms_[kNetWmState];
    message.xclient.format = 32;
    message.xclient.data.l[0] = on ? 1 : 0;
    message.xclient.data.l[1] = static_cast<long>(state);
    message.xclient.data.l[3] = 1;
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
    return;
  }
  // Before mapping the property itself is the request. Another client may have written it
  // in any shape: only a list of atoms is one, anything else is replaced.
  unsigned char* data = nullptr;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  std::vector<Atom> states;
  if (XGetWindowProperty(display_, xid, atoms_[kNetWmState], 0, kLongestStateList, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
      data && type == XA_ATOM && format == 32) {
    // Xlib hands format-32 items as longs.
    const auto* atoms = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i)
      if (static_cast<Atom>(atoms[i]) != state) states.push_back(static_cast<Atom>(atoms[i]));
  }
  if (data) XFree(data);
  if (on) states.push_back(state);
  XChangeProperty(display_, xid, atoms_[kNetWmState], XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(states.data()),
                  static_cast<int>(states.size()));
}

void X11Driver::ApplyLook(Shown& shown, const WindowLook& look, bool initial) {
  Window xid = shown.xid;
  if (initial || look.title != shown.look.title) SetTitle(xid, look.title);
  if (initial || look.icon != shown.look.icon) SetIcon(xid, look.icon);
  if (initial || look.decorated != shown.look.decorated) {
    if (look.decorated) {
      XDeleteProperty(display_, xid, atoms_[kMotifWmHints]);
    } else {
      // Flags: decorations given; decorations: none. Still managed, so it keeps focus
      // and its taskbar entry.
      long hints[5] = {2, 0, 0, 0, 0};
      XChangeProperty(display_, xid, atoms_[kMotifWmHints], atoms_[kMotifWmHints], 32,
                      PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);
    }
  }
  if (initial || look.owner != shown.look.owner) {
    Window owner = XWindowOf(look.owner);
    if (owner)
      XSetTransientForHint(display_, xid, owner);
    else if (!initial)
      XDeleteProperty(display_, xid, XA_WM_TRANSIENT_FOR);
  }
  if (initial ? look.topmost : look.topmost != shown.look.topmost)
    SetNetState(xid, atoms_[kNetWmStateAbove], look.topmost, shown.mapped);
  if (initial ? look.toolWindow : look.toolWindow != shown.look.toolWindow)
    SetNetState(xid, atoms_[kNetWmStateSkipTaskbar], look.toolWindow, shown.mapped);
  shown.look = look;
}

void X11Driver::Show(HWND window, const RECT& screen, const WindowLook& look) {
  auto found = windows_.find(window);
  if (found == windows_.end()) {
    Create(window, screen, look);
    found = windows_.find(window);
  } else {
    ApplyLook(found->second, look, false);
  }
  Shown& shown = found->second;
  // Managers place new windows as they like unless the position is the program's own.
  XSizeHints size{};
  size.flags = USPosition | USSize;
  size.x = screen.left;
  size.y = screen.top;
  size.width = static_cast<int>(Extent(screen.left, screen.right));
  size.height = static_cast<int>(Extent(screen.top, screen.bottom));
  XSetWMNormalHints(display_, shown.xid, &size);
  if (!SameRect(shown.screen, screen) || !shown.mapped)
    XMoveResizeWindow(display_, shown.xid, screen.left, screen.top,
                      Extent(screen.left, screen.right), Extent(screen.top, screen.bottom));
  shown.screen = screen;
  if (!shown.mapped) MarkStartup(shown.xid);
  if (!shown.mapped || shown.iconic) XMapRaised(display_, shown.xid);
  shown.mapped = true;
  shown.iconic = false;
  CompleteStartup(shown.xid);
  XFlush(display_);
}

void X11Driver::Hide(HWND window) {
  auto found = windows_.find(window);
  if (found == windows_.end() || !found->second.mapped) return;
  // Withdrawn (not just unmapped) so a window manager drops it from the taskbar too.
  XWithdrawWindow(display_, found->second.xid, screen_);
  found->second.mapped = false;
  found->second.iconic = false;
  XFlush(display_);
}

void X11Driver::Iconify(HWND window) {
  auto found = windows_.find(window);
  if (found == windows_.end()) return;
  if (!found->second.mapped) {
    // Not shown yet: it will be mapped iconic.
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = IconicState;
    XSetWMHints(display_, found->second.xid, &hints);
    MarkStartup(found->second.xid);
    XMapWindow(display_, found->second.xid);
    CompleteStartup(found->second.xid);
    found->second.mapped = true;
  } else {
    XIconifyWindow(display_, found->second.xid, screen_);
  }
  found->second.iconic = true;
  XFlush(display_);
}

void X11Driver::Raise(HWND window) {
  Window xid = XWindowOf(window);
  if (!xid) return;
  XRaiseWindow(display_, xid);
  XFlush(display_);
}

void X11Driver::Forget(HWND window) {
  auto found = windows_.find(window);
  if (found == windows_.end()) return;
  Window xid = found->second.xid;
  windows_.erase(found);
  XDestroyWindow(display_, xid);
  XFlush(display_);
  // Events already read for it name a window that no longer exists.
  std::erase_if(deferred_, [xid](const XEvent& event) { return event.xany.window == xid; });
}

std::unique_ptr<SurfaceMemory> X11Driver::AllocateSurface(int width, int height) {
  return putter_->Lend(width, height);
}

void X11Driver::Present(HWND window, const linux_gdi::Surface& surface, const RECT& area) {
  auto found = windows_.find(window);
  if (found == windows_.end() || !found->second.mapped) return;
  putter_->Put(found->second.xid, gc_, surface, area);
  NoteQueued();
}

POINT X11Driver::PointerPosition() const {
  Window rootReturn, child;
  int rootX = 0, rootY = 0, x, y;
  unsigned mask;
  XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask);
  NoteQueued();
  return {rootX, rootY};
}

void X11Driver::WarpPointer(POINT screen) {
  warpSerial_ = NextRequest(display_);
  warpedTo_ = screen;
  XWarpPointer(display_, None, root_, 0, 0, 0, 0, screen.x, screen.y);
  XFlush(display_);
}

}  // namespace linux_display
