#pragma once
// The x11 driver: one X window per visible top-level window, its pixels put from the
// window's surface, X events turned into calls on the windowing layer's EventSink.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/linux/display/driver.h"
#include "platform/linux/display/x11/x11_image.h"

namespace linux_display {

// MK_ flags as the windowing layer reads them.
constexpr unsigned kMkLButton = 0x0001;
constexpr unsigned kMkRButton = 0x0002;
constexpr unsigned kMkShift = 0x0004;
constexpr unsigned kMkControl = 0x0008;
constexpr unsigned kMkMButton = 0x0010;

// The virtual-key code of a key symbol; 0 for keys the windowing layer does not know.
unsigned VirtualKeyOf(KeySym symbol);
// MK_ flags from an X event's modifier and button state.
unsigned MouseFlagsOf(unsigned state);
// The Xft.dpi setting in a resource string (XResourceManagerString); 0 when it has none
// or an implausible one.
int ResourcePixelsPerInch(const char* resources);

class X11Driver : public Driver {
 public:
  // Takes the connection; nullptr-safe Make function in x11_driver.cpp.
  explicit X11Driver(Display* display);
  ~X11Driver() override;

  const char* Name() const override { return "x11"; }
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  int EventDescriptor() const override { return epoll_; }
  bool Pump(EventSink& sink) override;

  void Show(HWND window, const RECT& screen, const WindowLook& look) override;
  void Hide(HWND window) override;
  void Iconify(HWND window) override;
  void Raise(HWND window) override;
  void Forget(HWND window) override;
  void Present(HWND window, const linux_gdi::Surface& surface, const RECT& area) override;
  std::unique_ptr<SurfaceMemory> AllocateSurface(int width, int height) override;

  void SetCursor(HCURSOR cursor) override;
  void Settle() override;
  POINT PointerPosition() const override;
  void WarpPointer(POINT screen) override;

  void MessageBox(const std::string& caption, const std::string& text) override;

  // For tests: the X window showing `window` (0 when none).
  Window XWindowOf(HWND window) const;
  Display* XDisplay() const { return display_; }

 private:
  struct Shown {
    Window xid = 0;
    RECT screen{};
    WindowLook look;
    bool mapped = false;
    bool iconic = false;
  };
  enum AtomName {
    kWmProtocols,
    kWmDeleteWindow,
    kWmState,
    kWmChangeState,
    kNetWmName,
    kNetWmState,
    kNetWmStateAbove,
    kNetWmStateSkipTaskbar,
    kNetWmWindowType,
    kNetWmWindowTypeDialog,
    kMotifWmHints,
    kUtf8String,
    kNetWmPid,
    kNetWmIcon,
    kNetStartupId,
    kNetStartupInfoBegin,
    kNetStartupInfo,
    kAtomCount
  };

  Window Create(HWND window, const RECT& screen, const WindowLook& look);
  void ApplyLook(Shown& shown, const WindowLook& look, bool initial);
  void SetNetState(Window xid, Atom state, bool on, bool mapped);
  void Dispatch(XEvent& event, EventSink& sink);
  // A key press or release; the release of an auto-repeat pair is dropped.
  void DispatchKey(XKeyEvent& event, EventSink& sink);
  // The window manager's record of a window (WM_STATE) changed: iconic or normal, by the
  // user or by us.
  void NoteWmState(HWND window, Window xid, EventSink& sink);
  HWND WindowOfX(Window xid) const;
  // Events Xlib has read into its queue do not make the connection readable: signal
  // them on the event descriptor so a wait does not miss them.
  void NoteQueued() const;
  Cursor CursorFor(HCURSOR cursor);
  // Whether a pointer event reports a position our own WarpPointer already superseded.
  bool StalePointer(unsigned long serial, int rootX, int rootY) const;
  void SetTitle(Window xid, const std::string& title);
  // The program's class, process id and machine on a new window.
  void SetIdentity(Window xid);
  // The icon's images at every size it has as _NET_WM_ICON; none for no icon.
  void SetIcon(Window xid, HICON icon);
  // The start-up notification we were launched with: its id on the first window we map,
  // and its end once that window is mapped. Both do nothing after the end.
  void MarkStartup(Window xid);
  void CompleteStartup(Window xid);

  Display* display_;
  int screen_;
  Window root_;
  Visual* visual_;
  int depth_;
  GC gc_;
  Atom atoms_[kAtomCount];
  int epoll_ = -1;
  int wake_ = -1;  // eventfd in the epoll set
  std::map<HWND, Shown> windows_;
  std::map<HCURSOR, Cursor> cursors_;
  HCURSOR cursor_ = nullptr;  // the shape asked for
  bool cursorSet_ = false;
  Cursor shownCursor_ = None;  // the shape our windows have, made at the last Settle()
  std::unique_ptr<ImagePutter> putter_;
  // Events for our windows that came while a message box was up, handled by the next Pump.
  std::deque<XEvent> deferred_;
  // The last WarpPointer: its request's serial and where it put the pointer. The windowing
  // layer moves its own pointer at once on a warp, so X's motion for it must not repeat.
  unsigned long warpSerial_ = 0;
  POINT warpedTo_{};
  // DESKTOP_STARTUP_ID as we were started with it; empty once its end is announced.
  std::string startupId_;

  friend class MessageBoxWindow;
};

}  // namespace linux_display
