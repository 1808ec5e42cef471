// The x11 driver's message box: a decorated dialog window, drawn with our own drawing
// subset, with its own event loop until it is dismissed.
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <optional>

#include "platform/gdi_handles.h"
#include "platform/linux/display/x11/x11_driver.h"
#include "platform/win32.h"

namespace linux_display {

namespace {

constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMaxTextWidth = 480;
constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX;

void Line(HDC dc, int color, int x0, int y0, int x1, int y1) {
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, GetSysColor(color)));
  SelectGuard selected(dc, pen.Get());
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// One bevel: `topLeft` along the top and left edges, `bottomRight` along the others.
void Bevel(HDC dc, RECT r, int topLeft, int bottomRight) {
  Line(dc, topLeft, r.left, r.bottom - 2, r.left, r.top);
  Line(dc, topLeft, r.left, r.top, r.right - 1, r.top);
  Line(dc, bottomRight, r.left, r.bottom - 1, r.right - 1, r.bottom - 1);
  Line(dc, bottomRight, r.right - 1, r.bottom - 1, r.right - 1, r.top - 1);
}

}  // namespace

// The box's window, picture and state; lives for one MessageBox call.
class MessageBoxWindow {
 public:
  MessageBoxWindow(X11Driver& driver, const std::string& caption, const std::string& text)
      : driver_(driver), display_(driver.display_), text_(text) {
    font_ = GetStockObject(DEFAULT_GUI_FONT);
    SelectObject(dc_.Get(), font_);
    RECT measured{0, 0, kMaxTextWidth, 0};
    DrawTextA(dc_.Get(), text_.c_str(), -1, &measured, kTextFormat | DT_CALCRECT);
    width_ =
        std::max({static_cast<int>(measured.right) + 2 * kMargin, kButtonWidth + 2 * kMargin, 180});
    textRect_ = {kMargin, kMargin, width_ - kMargin, kMargin + measured.bottom};
    height_ = textRect_.bottom + kMargin + kButtonHeight + kMargin;
    button_ = {(width_ - kButtonWidth) / 2, height_ - kMargin - kButtonHeight,
               (width_ + kButtonWidth) / 2, height_ - kMargin};
    CreatePicture();
    CreateWindow(caption);
  }

  ~MessageBoxWindow() {
    XDestroyWindow(display_, window_);
    XFlush(display_);
  }

  // Runs until OK is clicked, Return or Escape is pressed, or the window is closed.
  void Run() {
    bool done = false;
    while (!done) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.xany.window != window_) {
        Defer(event);
        continue;
      }
      done = Handle(event);
    }
  }

 private:
  void CreatePicture() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pictureSelected_.emplace(dc_.Get(), bitmap_.Get());
    surface_.width = width_;
    surface_.height = height_;
    surface_.bitsPerPixel = 32;
    surface_.stride = width_ * 4;
    surface_.topDown = true;
    surface_.bits = static_cast<uint8_t*>(bits);
    surface_.masks[0] = 0xFF0000;
    surface_.masks[1] = 0xFF00;
    surface_.masks[2] = 0xFF;
  }

  void CreateWindow(const std::string& caption) {
    Window owner = FocusedOwner();
    int x = (driver_.ScreenWidth() - width_) / 2, y = (driver_.ScreenHeight() - height_) / 2;
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask |
                            ButtonReleaseMask | KeyPressMask | PointerMotionMask;
    attributes.background_pixmap = None;
    window_ = XCreateWindow(display_, driver_.root_, x, y, static_cast<unsigned>(width_),
                            static_cast<unsigned>(height_), 0, driver_.depth_, InputOutput,
                            driver_.visual_, CWEventMask | CWBackPixmap, &attributes);
    driver_.SetTitle(window_, caption);
    Atom deleteWindow = driver_.atoms_[X11Driver::kWmDeleteWindow];
    XSetWMProtocols(display_, window_, &deleteWindow, 1);
    if (owner) XSetTransientForHint(display_, window_, owner);
    Atom dialog = driver_.atoms_[X11Driver::kNetWmWindowTypeDialog];
    XChangeProperty(display_, window_, driver_.atoms_[X11Driver::kNetWmWindowType], XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
    // A fixed size, placed where we put it.
    XSizeHints size{};
    size.flags = USPosition | PMinSize | PMaxSize;
    size.x = x;
    size.y = y;
    size.min_width = size.max_width = width_;
    size.min_height = size.max_height = height_;
    XSetWMNormalHints(display_, window_, &size);
    XDefineCursor(display_, window_, driver_.CursorFor(LoadCursorA(nullptr, IDC_ARROW)));
    XMapRaised(display_, window_);
    XFlush(display_);
  }

  // Ours that has the keyboard, else the topmost of ours that is shown.
  Window FocusedOwner() const {
    Window focus = 0;
    int revert;
    XGetInputFocus(display_, &focus, &revert);
    if (driver_.WindowOfX(focus)) return focus;
    for (const auto& [window, shown] : driver_.windows_)
      if (shown.mapped && !shown.iconic) return shown.xid;
    return 0;
  }

  void Defer(const XEvent& event) {
    // Our other windows get no input while the box is up; what they must redraw or
    // learn about waits for the next Pump.
    switch (event.type) {
      case MotionNotify:
      case ButtonPress:
      case ButtonRelease:
      case KeyPress:
      case KeyRelease:
      case EnterNotify:
      case LeaveNotify:
        return;
      default:
        driver_.deferred_.push_back(event);
    }
  }

  bool OverButton(int x, int y) const {
    return x >= button_.left && x < button_.right && y >= button_.top && y < button_.bottom;
  }

  bool Handle(const XEvent& event) {
    switch (event.type) {
      case MapNotify:
        // Without a window manager nobody else gives the box the keyboard.
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        return false;
      case Expose:
        if (event.xexpose.count == 0) Paint();
        return false;
      case ButtonPress:
        if (event.xbutton.button == Button1 && OverButton(event.xbutton.x, event.xbutton.y)) {
          tracking_ = true;
          SetPressed(true);
        }
        return false;
      case MotionNotify:
        if (tracking_) SetPressed(OverButton(event.xmotion.x, event.xmotion.y));
        return false;
      case ButtonRelease:
        if (event.xbutton.button != Button1 || !tracking_) return false;
        tracking_ = false;
        SetPressed(false);
        return OverButton(event.xbutton.x, event.xbutton.y);
      case KeyPress: {
        KeySym symbol = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
        return symbol == XK_Return || symbol == XK_KP_Enter || symbol == XK_Escape ||
               symbol == XK_space;
      }
      case ClientMessage:
        return static_cast<Atom>(event.xclient.data.l[0]) ==
               driver_.atoms_[X11Driver::kWmDeleteWindow];
      default:
        return false;
    }
  }

  void SetPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    Paint();
  }

  void Paint() {
    HDC dc = dc_.Get();
    RECT all{0, 0, width_, height_};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT text = textRect_;
    DrawTextA(dc, text_.c_str(), -1, &text, kTextFormat);
    // The default push button: a dark outline, then raised or (pressed) sunken edges.
    RECT b = button_;
    Bevel(dc, b, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW);
    b = {b.left + 1, b.top + 1, b.right - 1, b.bottom - 1};
    if (pressed_) {
      Bevel(dc, b, COLOR_BTNSHADOW, COLOR_BTNSHADOW);
    } else {
      Bevel(dc, b, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
      Bevel(dc, {b.left + 1, b.top + 1, b.right - 1, b.bottom - 1}, COLOR_3DLIGHT, COLOR_BTNSHADOW);
    }
    RECT label = button_;
    if (pressed_) label = {label.left + 1, label.top + 1, label.right + 1, label.bottom + 1};
    DrawTextA(dc, "OK", -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    driver_.putter_->Put(window_, driver_.gc_, surface_, all);
  }

  X11Driver& driver_;
  Display* display_;
  std::string text_;
  // Declared in the order they are made: the picture is deselected, then deleted, then
  // its DC.
  OwnedDC dc_{CreateCompatibleDC(nullptr)};
  HGDIOBJ font_ = nullptr;
  GdiObject<HBITMAP> bitmap_;
  std::optional<SelectGuard> pictureSelected_;
  linux_gdi::Surface surface_;
  Window window_ = 0;
  int width_ = 0, height_ = 0;
  RECT textRect_{}, button_{};
  bool tracking_ = false, pressed_ = false;
};

void X11Driver::MessageBox(const std::string& caption, const std::string& text) {
  {
    MessageBoxWindow box(*this, caption, text);
    box.Run();
  }
  NoteQueued();
}

}  // namespace linux_display
