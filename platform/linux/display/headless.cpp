// The headless driver: records state, shows nothing.
#include "platform/linux/display/headless.h"

#include <algorithm>
#include <cstdio>

namespace linux_display {

void HeadlessDriver::Show(HWND window, const RECT& screen, const WindowLook& look) {
  Shown& shown = windows_[window];
  shown.screen = screen;
  shown.look = look;
  shown.visible = true;
  shown.iconic = false;
  top_ = window;
}

void HeadlessDriver::Hide(HWND window) {
  auto found = windows_.find(window);
  if (found != windows_.end()) found->second.visible = false;
}

void HeadlessDriver::Iconify(HWND window) {
  auto found = windows_.find(window);
  if (found != windows_.end()) found->second.iconic = true;
}

void HeadlessDriver::Raise(HWND window) {
  if (windows_.count(window)) top_ = window;
}

void HeadlessDriver::Forget(HWND window) {
  windows_.erase(window);
  if (top_ == window) top_ = nullptr;
}

void HeadlessDriver::WarpPointer(POINT screen) {
  // The pointer stays on the screen, as it does on a real display.
  pointer_.x = std::clamp<LONG>(screen.x, 0, width_ - 1);
  pointer_.y = std::clamp<LONG>(screen.y, 0, height_ - 1);
}

void HeadlessDriver::MessageBox(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

const HeadlessDriver::Shown* HeadlessDriver::Find(HWND window) const {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

std::unique_ptr<Driver> MakeHeadlessDriver(int width, int height) {
  return std::make_unique<HeadlessDriver>(width, height);
}

}  // namespace linux_display
