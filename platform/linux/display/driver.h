#pragma once
// The display driver: what the windowing layer (platform/linux/user/) needs from wherever
// its top-level windows are shown. Two drivers implement it: `x11` (an X window per visible
// top-level window) and `headless` (nothing shown; the windows' surfaces are the picture).
//
// The windowing layer owns every window's state and pixels. It tells the driver which
// top-level windows are visible, where, and which part of their surface changed; the
// driver turns what happens on the display (pointer, exposure, close requests) into calls
// on the EventSink the windowing layer installs. Only the thread that runs the message
// loop calls the driver.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/linux/gdi/surface.h"
#include "platform/win32.h"

namespace linux_display {

// How a top-level window looks on the display, from its styles and owner chain.
struct WindowLook {
  bool decorated = false;   // a caption or sizing frame (not a bare or thin-bordered popup)
  bool topmost = false;     // WS_EX_TOPMOST
  bool toolWindow = false;  // WS_EX_TOOLWINDOW: not on the taskbar
  HWND owner = nullptr;     // a transient-for hint: kept above its owner
  std::string title;        // the taskbar title (the owner chain's when it has none of its own)
  HICON icon = nullptr;     // the taskbar icon (WM_SETICON's or the class's), likewise
};

// Mouse buttons as the windowing layer numbers them.
enum class Button { kLeft, kRight, kMiddle };

// Implemented by the windowing layer; the driver calls it from Pump().
class EventSink {
 public:
  virtual ~EventSink() = default;
  // The pointer moved to `screen`; `buttons` holds MK_LBUTTON / MK_RBUTTON / MK_MBUTTON /
  // MK_SHIFT / MK_CONTROL as they are now.
  virtual void PointerMoved(POINT screen, unsigned buttons) = 0;
  virtual void ButtonChanged(Button button, bool down, POINT screen, unsigned buttons) = 0;
  // Part of a window (surface coordinates) must be shown again.
  virtual void Exposed(HWND window, const RECT& area) = 0;
  // The user asked the window manager to close, iconify or restore the window.
  virtual void CloseRequested(HWND window) = 0;
  virtual void IconifiedByUser(HWND window, bool iconic) = 0;
  // The display gave or took the keyboard focus of a window of ours.
  virtual void FocusChanged(HWND window, bool focused) = 0;
  // A key went down or up (virtual-key code).
  virtual void KeyChanged(unsigned virtualKey, bool down) = 0;
};

// Pixel storage a driver may lend a top-level window's surface: 32-bit pixels, rows of
// width * 4 bytes, top-down. Present shows a surface kept in it without copying it.
class SurfaceMemory {
 public:
  virtual ~SurfaceMemory() = default;
  virtual uint32_t* Pixels() const = 0;
};

class Driver {
 public:
  virtual ~Driver() = default;
  virtual const char* Name() const = 0;

  // Screen size, depth and resolution, also written to linux_gdi::Screen() at start.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;

  // A descriptor that becomes readable when Pump() has something to do; -1 when the
  // driver never produces events (headless).
  virtual int EventDescriptor() const = 0;
  // Handles every pending display event without blocking. Returns false when the display
  // is gone for good (the caller reports it and ends the program).
  virtual bool Pump(EventSink& sink) = 0;

  // A top-level window became visible at `screen` (its whole window rectangle, frame
  // included), or changed place, size or look while visible.
  virtual void Show(HWND window, const RECT& screen, const WindowLook& look) = 0;
  virtual void Hide(HWND window) = 0;
  virtual void Iconify(HWND window) = 0;
  virtual void Raise(HWND window) = 0;
  // The window is destroyed: forget everything about it.
  virtual void Forget(HWND window) = 0;
  // Pixels of `surface` (the window's whole rectangle, frame included) changed in `area`.
  virtual void Present(HWND window, const linux_gdi::Surface& surface, const RECT& area) = 0;
  // Storage for a width x height window surface that Present can show without a copy, its
  // pixels zero; nullptr when the driver has none (the windowing layer keeps plain memory).
  virtual std::unique_ptr<SurfaceMemory> AllocateSurface(int /*width*/, int /*height*/) {
    return nullptr;
  }

  // The pointer shape over our windows: a cursor or icon handle, nullptr for none. A driver
  // may put off showing it until Settle().
  virtual void SetCursor(HCURSOR cursor) = 0;
  // The message queue ran dry and the windows' pixels are presented: the moment for what
  // the driver put off so as not to delay them.
  virtual void Settle() {}
  virtual POINT PointerPosition() const = 0;
  virtual void WarpPointer(POINT screen) = 0;

  // A modal message box with `caption`, `text` and an OK button; returns when it is
  // dismissed. The headless driver writes both to standard error.
  virtual void MessageBox(const std::string& caption, const std::string& text) = 0;
};

// The driver chosen at first use: headless when LAUNCHER_DISPLAY=headless
// (LAUNCHER_SCREEN=WIDTHxHEIGHT sets its screen, default 1920x1080), else x11 on DISPLAY.
// No DISPLAY, or one that cannot be opened, is said in one line on standard error and ends
// the program with exit status 1.
Driver& CurrentDriver();

std::unique_ptr<Driver> MakeHeadlessDriver(int width, int height);
// nullptr when the display cannot be opened.
std::unique_ptr<Driver> MakeX11Driver(const char* displayName);

}  // namespace linux_display
