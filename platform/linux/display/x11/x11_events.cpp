// X events to the windowing layer's EventSink.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <unistd.h>

#include "platform/linux/display/x11/x11_driver.h"

namespace linux_display {

unsigned VirtualKeyOf(KeySym symbol) {
  if (symbol >= XK_a && symbol <= XK_z) return static_cast<unsigned>('A' + (symbol - XK_a));
  if (symbol >= XK_A && symbol <= XK_Z) return static_cast<unsigned>('A' + (symbol - XK_A));
  if (symbol >= XK_0 && symbol <= XK_9) return static_cast<unsigned>('0' + (symbol - XK_0));
  if (symbol >= XK_F1 && symbol <= XK_F12) return 0x70 + static_cast<unsigned>(symbol - XK_F1);
  if (symbol >= XK_KP_0 && symbol <= XK_KP_9) return 0x60 + static_cast<unsigned>(symbol - XK_KP_0);
  switch (symbol) {
    case XK_BackSpace:
      return 0x08;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return 0x09;
    case XK_Return:
    case XK_KP_Enter:
      return 0x0D;
    case XK_Shift_L:
    case XK_Shift_R:
      return 0x10;
    case XK_Control_L:
    case XK_Control_R:
      return 0x11;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
      return 0x12;
    case XK_Pause:
      return 0x13;
    case XK_Escape:
      return 0x1B;
    case XK_space:
      return 0x20;
    case XK_Prior:
      return 0x21;
    case XK_Next:
      return 0x22;
    case XK_End:
      return 0x23;
    case XK_Home:
      return 0x24;
    case XK_Left:
      return 0x25;
    case XK_Up:
      return 0x26;
    case XK_Right:
      return 0x27;
    case XK_Down:
      return 0x28;
    case XK_Insert:
      return 0x2D;
    case XK_Delete:
      return 0x2E;
    default:
      return 0;
  }
}

namespace {

bool ButtonOf(unsigned xButton, Button& button, unsigned& mask) {
  switch (xButton) {
    case Button1:
      button = Button::kLeft;
      mask = kMkLButton;
      return true;
    case Button2:
      button = Button::kMiddle;
      mask = kMkMButton;
      return true;
    case Button3:
      button = Button::kRight;
      mask = kMkRButton;
      return true;
    default:
      return false;  // the wheel and extra buttons
  }
}

// A press or release of the left, middle or right button; X gives the state before the
// event, the sink wants it as it is now.
void DispatchButton(const XButtonEvent& event, EventSink& sink) {
  Button button;
  unsigned mask;
  if (!ButtonOf(event.button, button, mask)) return;
  const bool down = event.type == ButtonPress;
  unsigned flags = MouseFlagsOf(event.state);
  flags = down ? flags | mask : flags & ~mask;
  sink.ButtonChanged(button, down, {event.x_root, event.y_root}, flags);
}

}  // namespace

bool X11Driver::StalePointer(unsigned long serial, int rootX, int rootY) const {
  // An event carries the serial of the last request the server had processed: one older than
  // the warp tells of a position left since; the warp's own echo (same serial, same place)
  // tells of the move the layer already made. Real motion after the warp is kept.
  if (serial < warpSerial_) return true;
  return serial == warpSerial_ && rootX == warpedTo_.x && rootY == warpedTo_.y;
}

bool X11Driver::Pump(EventSink& sink) {
  uint64_t count;
  while (read(wake_, &count, sizeof count) > 0) {
  }
  while (!deferred_.empty()) {
    XEvent event = deferred_.front();
    deferred_.pop_front();
    Dispatch(event, sink);
  }
  // XPending flushes and reads; a connection that broke ends in the I/O error handler.
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    Dispatch(event, sink);
  }
  return true;
}

void X11Driver::DispatchKey(XKeyEvent& event, EventSink& sink) {
  if (event.type == KeyRelease && XEventsQueued(display_, QueuedAfterReading) > 0) {
    // Auto-repeat sends release+press pairs with one time stamp; keep the key down.
    XEvent next;
    XPeekEvent(display_, &next);
    if (next.type == KeyPress && next.xkey.keycode == event.keycode && next.xkey.time == event.time)
      return;
  }
  unsigned key = VirtualKeyOf(XLookupKeysym(&event, 0));
  if (key) sink.KeyChanged(key, event.type == KeyPress);
}

void X11Driver::NoteWmState(HWND window, Window xid, EventSink& sink) {
  Atom type;
  int format;
  unsigned long items = 0, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, xid, atoms_[kWmState], 0, 2, False, atoms_[kWmState], &type,
                         &format, &items, &after, &data) != Success ||
      !data)
    return;
  long state =
      type == atoms_[kWmState] && items > 0 && format == 32 ? reinterpret_cast<long*>(data)[0] : 0;
  XFree(data);
  auto found = windows_.find(window);
  if (state != IconicState && state != NormalState) return;
  bool iconic = state == IconicState;
  if (found->second.mapped && found->second.iconic != iconic) {
    found->second.iconic = iconic;
    sink.IconifiedByUser(window, iconic);
  }
}

void X11Driver::Dispatch(XEvent& event, EventSink& sink) {
  HWND window = WindowOfX(event.xany.window);
  if (!window) return;  // a window forgotten meanwhile
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      sink.Exposed(window, {e.x, e.y, e.x + e.width, e.y + e.height});
      break;
    }
    case MotionNotify:
      if (StalePointer(event.xmotion.serial, event.xmotion.x_root, event.xmotion.y_root)) break;
      sink.PointerMoved({event.xmotion.x_root, event.xmotion.y_root},
                        MouseFlagsOf(event.xmotion.state));
      break;
    case EnterNotify:
    case LeaveNotify:
      if (StalePointer(event.xcrossing.serial, event.xcrossing.x_root, event.xcrossing.y_root))
        break;
      sink.PointerMoved({event.xcrossing.x_root, event.xcrossing.y_root},
                        MouseFlagsOf(event.xcrossing.state));
      break;
    case ButtonPress:
    case ButtonRelease:
      DispatchButton(event.xbutton, sink);
      break;
    case KeyPress:
    case KeyRelease:
      DispatchKey(event.xkey, sink);
      break;
    case FocusIn:
    case FocusOut:
      // Pointer-follows focus details and grab bookkeeping are not focus changes.
      if (event.xfocus.detail == NotifyPointer || event.xfocus.mode == NotifyGrab ||
          event.xfocus.mode == NotifyUngrab)
        break;
      sink.FocusChanged(window, event.type == FocusIn);
      break;
    case ClientMessage:
      if (event.xclient.message_type == atoms_[kWmProtocols] &&
          static_cast<Atom>(event.xclient.data.l[0]) == atoms_[kWmDeleteWindow])
        sink.CloseRequested(window);
      break;
    case PropertyNotify:
      if (event.xproperty.atom == atoms_[kWmState] && event.xproperty.state == PropertyNewValue)
        NoteWmState(window, event.xproperty.window, sink);
      break;
    default:
      break;
  }
}

}  // namespace linux_display
