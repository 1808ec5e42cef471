#pragma once
// The headless driver: nothing is shown anywhere, the windowing layer's surfaces are the
// picture. It keeps what the windowing layer told it, so tests (and the windowing layer's
// own checks) can ask which windows are on the "screen" and where.
#include <map>

#include "platform/linux/display/driver.h"

namespace linux_display {

class HeadlessDriver : public Driver {
 public:
  struct Shown {
    RECT screen{};
    WindowLook look;
    bool visible = false;
    bool iconic = false;
  };

  HeadlessDriver(int width, int height) : width_(width), height_(height) {}

  const char* Name() const override { return "headless"; }
  int ScreenWidth() const override { return width_; }
  int ScreenHeight() const override { return height_; }
  int EventDescriptor() const override { return -1; }
  bool Pump(EventSink&) override { return true; }

  void Show(HWND window, const RECT& screen, const WindowLook& look) override;
  void Hide(HWND window) override;
  void Iconify(HWND window) override;
  void Raise(HWND window) override;
  void Forget(HWND window) override;
  void Present(HWND, const linux_gdi::Surface&, const RECT&) override {}

  void SetCursor(HCURSOR cursor) override { cursor_ = cursor; }
  POINT PointerPosition() const override { return pointer_; }
  void WarpPointer(POINT screen) override;

  void MessageBox(const std::string& caption, const std::string& text) override;

  // What the windowing layer last said about `window`; nullptr if nothing (or forgotten).
  const Shown* Find(HWND window) const;
  HCURSOR Cursor() const { return cursor_; }
  // Windows raised or shown most recently last.
  HWND TopWindow() const { return top_; }

 private:
  int width_;
  int height_;
  std::map<HWND, Shown> windows_;
  HCURSOR cursor_ = nullptr;
  POINT pointer_{0, 0};
  HWND top_ = nullptr;
};

}  // namespace linux_display
