// The window table: slots with generations, so stale handles never reach a new window.
#include <algorithm>
#include <cstring>

#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

// A handle is (generation << 16) | ((slot + 8) << 1): never zero, never one of the
// HWND_* pseudo handles, and within 32 bits as on Windows.
constexpr uintptr_t kSlotBias = 8;
constexpr size_t kMaxSlots = 0x7FF0;

struct Slot {
  std::unique_ptr<Window> window;
  unsigned generation = 0;
};

std::vector<Slot>& Slots() {
  static std::vector<Slot> slots;
  return slots;
}

Window* Lookup(HWND handle) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  uintptr_t low = value & 0xFFFF;
  if ((low & 1) != 0 || (low >> 1) < kSlotBias || value > 0xFFFFFFFFu) return nullptr;
  size_t slot = (low >> 1) - kSlotBias;
  std::lock_guard lock(TableLock());
  auto& slots = Slots();
  if (slot >= slots.size() || !slots[slot].window) return nullptr;
  if (slots[slot].generation != (value >> 16)) return nullptr;
  return slots[slot].window.get();
}

}  // namespace

std::recursive_mutex& TableLock() {
  static std::recursive_mutex lock;
  return lock;
}

Window* Find(HWND handle) {
  Window* window = Lookup(handle);
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

Window* Peek(HWND handle) { return Lookup(handle); }

HWND Live(HWND handle) { return Lookup(handle) ? handle : nullptr; }

Window* AllocateWindow() {
  std::lock_guard lock(TableLock());
  auto& slots = Slots();
  size_t slot = 0;
  while (slot < slots.size() && slots[slot].window) ++slot;
  if (slot == slots.size()) {
    if (slots.size() >= kMaxSlots) return nullptr;
    slots.emplace_back();
  }
  Slot& entry = slots[slot];
  entry.generation = entry.generation % 0x7FFF + 1;
  entry.window = std::make_unique<Window>();
  entry.window->handle =
      reinterpret_cast<HWND>((uintptr_t{entry.generation} << 16) | ((slot + kSlotBias) << 1));
  return entry.window.get();
}

void FreeWindow(HWND handle) {
  std::lock_guard lock(TableLock());
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  size_t slot = ((value & 0xFFFF) >> 1) - kSlotBias;
  auto& slots = Slots();
  if (slot < slots.size()) slots[slot].window.reset();
}

std::vector<HWND> AllWindows() {
  std::lock_guard lock(TableLock());
  std::vector<HWND> all;
  for (auto& slot : Slots())
    if (slot.window) all.push_back(slot.window->handle);
  return all;
}

std::vector<HWND>& TopLevels() {
  static std::vector<HWND> list;
  return list;
}

std::vector<HWND>& Siblings(const Window& window) {
  if (window.parent) {
    if (Window* parent = Peek(window.parent)) return parent->children;
  }
  return TopLevels();
}

Window* TopLevelOf(Window* window) {
  while (window && window->parent) window = Peek(window->parent);
  return window;
}

bool IsShowing(const Window& window) {
  const Window* at = &window;
  while (at) {
    if (!at->IsVisibleFlag()) return false;
    if (!at->parent) return true;
    at = Peek(at->parent);
  }
  return false;
}

POINT ClientOriginOnScreen(const Window& window) {
  POINT origin{window.client.left, window.client.top};
  const Window* at = window.parent ? Peek(window.parent) : nullptr;
  while (at) {
    origin.x += at->client.left;
    origin.y += at->client.top;
    at = at->parent ? Peek(at->parent) : nullptr;
  }
  return origin;
}

RECT ScreenWindowRect(const Window& window) {
  RECT rect = window.window;
  if (Window* parent = window.parent ? Peek(window.parent) : nullptr) {
    POINT origin = ClientOriginOnScreen(*parent);
    OffsetRect(&rect, origin.x, origin.y);
  }
  return rect;
}

RECT ScreenClientRect(const Window& window) {
  POINT origin = ClientOriginOnScreen(window);
  return RECT{origin.x, origin.y, origin.x + (window.client.right - window.client.left),
              origin.y + (window.client.bottom - window.client.top)};
}

POINT SurfaceOffsetOfClient(const Window& window) {
  Window* top = TopLevelOf(const_cast<Window*>(&window));
  POINT origin = ClientOriginOnScreen(window);
  if (top) {
    origin.x -= top->window.left;
    origin.y -= top->window.top;
  }
  return origin;
}

RECT FrameInsets(DWORD style, DWORD exStyle) {
  int edge;
  if ((exStyle & (WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) == WS_EX_STATICEDGE)
    edge = 1;
  else
    edge = ((exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME))) ? 2 : 0;
  if (style & WS_THICKFRAME) edge += kBorderWidth;
  if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) ++edge;
  RECT insets{edge, edge, edge, edge};
  if ((style & WS_CAPTION) == WS_CAPTION)
    insets.top += ((exStyle & WS_EX_TOOLWINDOW) ? kSmallCaptionHeight : kCaptionHeight) + 1;
  if (exStyle & WS_EX_CLIENTEDGE) {
    insets.left += kEdgeWidth;
    insets.top += kEdgeWidth;
    insets.right += kEdgeWidth;
    insets.bottom += kEdgeWidth;
  }
  return insets;
}

void WindowSurface::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == surface.width && height == surface.height) return;
  const linux_gdi::Surface old = surface;
  std::unique_ptr<linux_display::SurfaceMemory> oldShared = std::move(shared);
  std::vector<uint32_t> oldPixels = std::move(pixels);
  surface.width = width;
  surface.height = height;
  surface.bitsPerPixel = 32;
  surface.stride = width * 4;
  surface.topDown = true;
  surface.bits = nullptr;
  surface.masks[0] = 0x00FF0000;
  surface.masks[1] = 0x0000FF00;
  surface.masks[2] = 0x000000FF;
  dirty = linux_gdi::Region(RECT{0, 0, width, height});
  if (!old.bits) return;  // never drawn: nothing to keep
  Pixels();
  const int keepW = std::min(width, old.width), keepH = std::min(height, old.height);
  for (int y = 0; y < keepH; ++y)
    std::copy_n(old.Row(y), static_cast<size_t>(keepW) * 4, surface.Row(y));
}

linux_gdi::Surface& WindowSurface::Pixels() {
  if (surface.bits) return surface;
  constexpr uint32_t kOpaqueBlack = 0xFF000000u;
  const size_t count = static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height);
  // The driver's storage lets Present show the pixels without copying them.
  if (count) shared = linux_display::CurrentDriver().AllocateSurface(surface.width, surface.height);
  if (shared) {
    // One row filled, then copied: a plain fill of a window's worth of pixels costs several
    // times more.
    uint32_t* const bits = shared->Pixels();
    const size_t width = static_cast<size_t>(surface.width);
    std::fill_n(bits, width, kOpaqueBlack);
    for (size_t at = width; at < count; at += width)
      std::memcpy(bits + at, bits, width * sizeof(uint32_t));
    surface.bits = reinterpret_cast<uint8_t*>(bits);
  } else {
    pixels.assign(count + 1, kOpaqueBlack);
    surface.bits = reinterpret_cast<uint8_t*>(pixels.data());
  }
  return surface;
}

}  // namespace linux_user

using namespace linux_user;

extern "C" {

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  if (!lpRect) return FALSE;
  RECT insets = FrameInsets(dwStyle, dwExStyle);
  lpRect->left -= insets.left;
  lpRect->top -= insets.top + (bMenu ? 19 : 0);
  lpRect->right += insets.right;
  lpRect->bottom += insets.bottom;
  return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
  return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}

}  // extern "C"
