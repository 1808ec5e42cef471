#pragma once
// The top-level window a test hosts its controls in: visible, borderless, white, above
// every other window and at a place on the screen the test chooses. Its first messages are
// handled before it is used. Programs that include this link platform_testing.
#include <stdexcept>

#include "platform/testing.h"
#include "platform/win32.h"

namespace test_support {

class HostWindow {
 public:
  explicit HostWindow(int x = 100, int y = 100, int width = 320, int height = 240) {
    window_ = CreateWindowExA(WS_EX_TOPMOST, ClassName(), "", WS_POPUP | WS_VISIBLE, x, y, width,
                              height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window_ == nullptr) throw std::runtime_error("no host window");
    SetForegroundWindow(window_);
    platform_testing::PumpUntilIdle();
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  ~HostWindow() { DestroyWindow(window_); }
  HWND Get() const { return window_; }

 private:
  static const char* ClassName() {
    static const char* const name = [] {
      WNDCLASSA cls = {};
      cls.lpfnWndProc = &DefWindowProcA;
      cls.hInstance = GetModuleHandleA(nullptr);
      cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      cls.lpszClassName = "TestHostWindow";
      RegisterClassA(&cls);
      return cls.lpszClassName;
    }();
    return name;
  }

  HWND window_;
};

}  // namespace test_support
