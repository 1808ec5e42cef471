#pragma once
// Owned and borrowed GDI handles are different types. An owning wrapper gives its
// object back when it goes; a scoped guard selects an object into a device context and
// puts the previous one back, so no caller restores selections by hand in a catch block.
// Raw handles never own.
#include <utility>

#include "platform/win32.h"

// Owns a pen, brush, font, bitmap, palette or region: DeleteObject on destruction.
template <typename Handle = HGDIOBJ>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  GdiObject(GdiObject&& other) noexcept : handle_(other.Release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Gives up ownership: the caller (or a cache) now deletes the object.
  Handle Release() { return std::exchange(handle_, nullptr); }
  void Reset(Handle handle = nullptr) {
    if (Handle old = std::exchange(handle_, handle)) DeleteObject(old);
  }

 private:
  Handle handle_ = nullptr;
};

// Owns a memory device context: DeleteDC on destruction.
class OwnedDC {
 public:
  OwnedDC() = default;
  explicit OwnedDC(HDC dc) : dc_(dc) {}
  OwnedDC(OwnedDC&& other) noexcept : dc_(other.Release()) {}
  OwnedDC& operator=(OwnedDC&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  OwnedDC(const OwnedDC&) = delete;
  OwnedDC& operator=(const OwnedDC&) = delete;
  ~OwnedDC() { Reset(); }

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  HDC Release() { return std::exchange(dc_, nullptr); }
  void Reset(HDC dc = nullptr) {
    if (HDC old = std::exchange(dc_, dc)) DeleteDC(old);
  }

 private:
  HDC dc_ = nullptr;
};

// A window's device context from GetDC / GetDCEx: ReleaseDC on destruction.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(HWND window, HDC dc) : window_(window), dc_(dc) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context for the guard's lifetime and then puts the
// previous object back. A failed selection (0) restores nothing.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (previous_) SelectObject(dc_, previous_);
  }

  // Whether the selection took place.
  explicit operator bool() const { return previous_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Selects a palette into a device context for the guard's lifetime and then puts the
// previous palette back (as a background palette, so the restore never remaps the system
// palette). A failed selection restores nothing.
class PaletteGuard {
 public:
  PaletteGuard(HDC dc, HPALETTE palette, BOOL forceBackground = TRUE)
      : dc_(dc), previous_(SelectPalette(dc, palette, forceBackground)) {}
  PaletteGuard(const PaletteGuard&) = delete;
  PaletteGuard& operator=(const PaletteGuard&) = delete;
  ~PaletteGuard() {
    if (previous_) SelectPalette(dc_, previous_, TRUE);
  }

  explicit operator bool() const { return previous_ != nullptr; }

 private:
  HDC dc_;
  HPALETTE previous_;
};

// SaveDC for the guard's lifetime, RestoreDC on every exit: clipping, mapping and
// selections made meanwhile are undone together.
class SavedDC {
 public:
  explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;
  ~SavedDC() {
    if (saved_ != 0) RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

// One WM_PAINT's device context: BeginPaint on construction, EndPaint on every exit, so an
// exception never leaves a paint open (the update region validated, the caret hidden).
class PaintSession {
 public:
  explicit PaintSession(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;
  // Unconditional: every BeginPaint is paired, even one that gave no DC.
  ~PaintSession() { EndPaint(window_, &paint_); }

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  const PAINTSTRUCT& Paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_ = {};
  HDC dc_;
};
