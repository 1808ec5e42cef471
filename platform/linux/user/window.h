#pragma once
// The windowing layer's data model: registered classes and the window table. Message
// delivery between windows is in delivery.h.
//
// Windows live in a table of slots. A handle carries its slot number and the slot's
// generation, so a handle kept after DestroyWindow never finds a window created later in
// the same slot. Rectangles are in the coordinates of the parent's client area (screen
// coordinates for top-level windows). Every visible top-level window has one 32-bit
// surface for its whole window rectangle; its children draw into it.
//
// Only the thread that owns a window changes it. The table itself (creation, destruction,
// lookup of a window's thread for posting) is guarded by TableLock().
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/display/driver.h"
#include "platform/linux/gdi/region.h"
#include "platform/linux/gdi/surface.h"
#include "platform/win32.h"

namespace linux_user {

struct WindowClass {
  ATOM atom = 0;
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;
  std::vector<uint8_t> extra;  // cbClsExtra bytes
  int windowExtra = 0;         // cbWndExtra
  int windows = 0;             // live windows of the class (UnregisterClassA fails while > 0)
};

// The pixels of a top-level window: a 32-bit top-down surface with its own storage.
struct WindowSurface {
  // Its pixels (bits) are made at first use (Pixels()): a form is resized a few times
  // while it is read, before anything is drawn or shown.
  linux_gdi::Surface surface;
  std::unique_ptr<linux_display::SurfaceMemory> shared;  // the display driver's, when it lends
  std::vector<uint32_t> pixels;                          // plain storage otherwise
  linux_gdi::Region dirty;  // surface coordinates changed since the last Present
  void Resize(int width, int height);
  // The surface with its pixels made (opaque black at first).
  linux_gdi::Surface& Pixels();
};

struct Window {
  HWND handle = nullptr;
  DWORD thread = 0;  // the creating thread: owns the window and its messages
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;       // nullptr for top-level windows (the desktop)
  HWND owner = nullptr;        // top-level windows only
  std::vector<HWND> children;  // z-order, topmost first
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;             // GWL_ID: the child identifier (or menu of a top-level)
  LONG_PTR userData = 0;       // GWL_USERDATA
  std::vector<uint8_t> extra;  // cbWndExtra bytes
  std::string text;
  std::map<std::string, HANDLE> props;  // by upper-cased name, or "#<atom>"
  HICON iconBig = nullptr;              // WM_SETICON
  HICON iconSmall = nullptr;

  RECT window{0, 0, 0, 0};  // parent-client coordinates
  RECT client{0, 0, 0, 0};  // same coordinates as `window`

  // Restored place and the minimised/maximised positions (Get/SetWindowPlacement).
  RECT normal{0, 0, 0, 0};
  POINT minPosition{-1, -1};
  POINT maxPosition{-1, -1};
  bool restoreToMaximized = false;

  // Painting: the part of the client area (client coordinates) still to paint.
  linux_gdi::Region update;
  bool erasePending = false;   // WM_ERASEBKGND due at the next BeginPaint
  bool framePending = false;   // WM_NCPAINT due
  bool internalPaint = false;  // RDW_INTERNALPAINT: WM_PAINT even with an empty region

  std::unique_ptr<WindowSurface> surface;  // top-level windows only

  // State.
  bool created = false;        // WM_NCCREATE returned true
  bool destroying = false;     // inside DestroyWindow: no new messages but WM_DESTROY/NCDESTROY
  bool hiddenByOwner = false;  // hidden with SW_PARENTCLOSING, shown again by SW_PARENTOPENING
  bool needSize = false;       // overlapped: first WM_SIZE/WM_MOVE wait for ShowWindow
  HWND lastActivePopup = nullptr;

  bool IsVisibleFlag() const { return (style & WS_VISIBLE) != 0; }
};

// The table: guards creation, destruction and lookups made from other threads.
std::recursive_mutex& TableLock();

// The live window behind a handle (nullptr for stale, null or foreign handles); sets
// ERROR_INVALID_WINDOW_HANDLE when it fails.
Window* Find(HWND handle);
// The same without touching the last error.
Window* Peek(HWND handle);
// The handle while it names a live window, else nullptr (no last error either).
HWND Live(HWND handle);

// Top-level windows in z-order, topmost first (including hidden ones).
std::vector<HWND>& TopLevels();
// The z-order list a window belongs to: its parent's children or TopLevels().
std::vector<HWND>& Siblings(const Window& window);

// The top-level window a window belongs to (itself for a top-level window).
Window* TopLevelOf(Window* window);
// True when the window and every ancestor are visible.
bool IsShowing(const Window& window);

// Coordinates: where the window rectangle and the client area lie on the screen.
RECT ScreenWindowRect(const Window& window);
RECT ScreenClientRect(const Window& window);
// Where the client area lies on its top-level window's surface.
POINT SurfaceOffsetOfClient(const Window& window);

// Classic frame metrics (what GetSystemMetrics reports for SM_CYCAPTION - 1,
// SM_CYSMCAPTION - 1, SM_CXBORDER and SM_CXEDGE).
constexpr int kCaptionHeight = 18;
constexpr int kSmallCaptionHeight = 15;
constexpr int kBorderWidth = 1;
constexpr int kEdgeWidth = 2;
// How far the window rectangle reaches beyond the client area on each side for a style
// (caption, frame, edges; no menu). A WS_POPUP without caption or border has none.
RECT FrameInsets(DWORD style, DWORD exStyle);

}  // namespace linux_user
