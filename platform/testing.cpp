// The test helpers of platform/testing.h: input goes through SetCursorPos / SendInput,
// which take the hardware input path on both platforms.
#include "platform/testing.h"

#ifdef _WIN32
#include "platform/gdi_handles.h"
#else
#include "platform/linux/user/window.h"
#endif

namespace platform_testing {
namespace {

constexpr DWORD kButtonFlags[][2] = {
    {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
    {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
    {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
};

void SendMouse(DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

bool DrainQueue() {
  bool any = false;
  MSG msg;
  // A bound, so a window that keeps posting to itself cannot hold a test forever.
  for (int handled = 0; handled < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
       ++handled) {
    any = true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return any;
}

}  // namespace

void MovePointer(POINT screen) {
  SetCursorPos(screen.x, screen.y);
#ifdef _WIN32
  // A move by nothing: the system's input path then reports the new place as a hardware
  // move (SetCursorPos alone does not on every system).
  SendMouse(MOUSEEVENTF_MOVE);
#endif
  PumpUntilIdle();
}

void PressButton(MouseButton button) {
  SendMouse(kButtonFlags[static_cast<int>(button)][0]);
  PumpUntilIdle();
}

void ReleaseButton(MouseButton button) {
  SendMouse(kButtonFlags[static_cast<int>(button)][1]);
  PumpUntilIdle();
}

void Click(POINT screen, MouseButton button) {
  MovePointer(screen);
  PressButton(button);
  ReleaseButton(button);
}

void PumpUntilIdle() {
#ifdef _WIN32
  // The display's own events (exposure, placement) arrive a little after the request
  // that caused them: wait for more only while something keeps arriving, up to a
  // deadline.
  const DWORD deadline = GetTickCount() + 2000;
  do {
    DrainQueue();
  } while (static_cast<LONG>(deadline - GetTickCount()) > 0 &&
           MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT) != WAIT_TIMEOUT);
#else
  // Our queue pumps the display driver itself, and everything arrives synchronously.
  while (DrainQueue()) {
  }
#endif
}

Pixels ReadWindowPixels(HWND window) {
  Pixels out;
  if (!IsWindow(window) || !IsWindowVisible(window)) return out;
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
#ifdef _WIN32
  RECT bounds;
  GetWindowRect(window, &bounds);
  out.width = bounds.right - bounds.left;
  out.height = bounds.bottom - bounds.top;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = out.width;
  info.bmiHeader.biHeight = -out.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  WindowDC windowDc(window, GetWindowDC(window));
  OwnedDC memoryDc(CreateCompatibleDC(windowDc.Get()));
  GdiObject<HBITMAP> bitmap(
      CreateDIBSection(windowDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  SelectGuard selected(memoryDc.Get(), bitmap.Get());
  BitBlt(memoryDc.Get(), 0, 0, out.width, out.height, windowDc.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  out.colors.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  for (size_t i = 0; i < out.colors.size(); ++i) {
    const uint32_t p = pixels[i];  // 0x00RRGGBB in a 32-bit DIB
    out.colors[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
#else
  linux_user::Window* w = linux_user::Peek(window);
  if (w == nullptr || !w->surface) return out;
  const linux_gdi::Surface& surface = w->surface->Pixels();
  out.width = surface.width;
  out.height = surface.height;
  out.colors.reserve(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) out.colors.push_back(surface.ReadColor(x, y));
  }
#endif
  return out;
}

}  // namespace platform_testing
