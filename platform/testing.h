#pragma once
// For tests only: drive windows as a user at the display would, and read back what they
// show. The same functions exist on both platforms: over the real API on Windows, over the
// display driver's input path and the window surfaces on Linux, so in-process end-to-end
// tests run unchanged on both.
#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace platform_testing {

enum class MouseButton { kLeft, kRight, kMiddle };

// Moves the pointer to `screen` as a hardware move: hit testing, WM_SETCURSOR and
// mouse-leave tracking run as for the user's hand.
void MovePointer(POINT screen);
void PressButton(MouseButton button = MouseButton::kLeft);
void ReleaseButton(MouseButton button = MouseButton::kLeft);
// Moves to `screen`, then presses and releases `button`, handling messages after each.
void Click(POINT screen, MouseButton button = MouseButton::kLeft);

// Handles every message this thread has (input, posted, paints, due timers) until none
// is left.
void PumpUntilIdle();

// A window's picture as COLORREF values (0x00BBGGRR), top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> colors;
  COLORREF At(int x, int y) const {
    return colors[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

// What a top-level window shows over its whole window rectangle (frame included), once
// its pending painting is done; empty when it is not a visible window.
Pixels ReadWindowPixels(HWND window);

}  // namespace platform_testing
