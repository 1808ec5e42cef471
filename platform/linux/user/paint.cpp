// Painting: update regions, WM_PAINT/WM_ERASEBKGND/WM_NCPAINT, window DCs clipped to the
// visible region, the classic frame, and presenting changed pixels through the driver.
#include <algorithm>
#include <unordered_map>

#include "platform/gdi_handles.h"
#include "platform/linux/cursor_image.h"
#include "platform/linux/display/driver.h"
#include "platform/linux/gdi/objects.h"
#include "platform/linux/gdi/screen.h"
#include "platform/linux/gdi/window_dc.h"
#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

using linux_gdi::Region;

// Window DCs handed out and not yet released: their top-level window and the part of its
// surface they may have changed.
struct OpenDc {
  HWND window;
  HWND top;
  Region visible;
};

std::unordered_map<HDC, OpenDc>& OpenDcs() {
  static std::unordered_map<HDC, OpenDc> dcs;
  return dcs;
}

RECT ClientRectOf(const Window& window) {
  return RECT{0, 0, window.client.right - window.client.left,
              window.client.bottom - window.client.top};
}

// A rectangle in a window's parent-client coordinates, on its top-level's surface.
RECT OnSurface(const Window& window, RECT rect) {
  if (!window.parent) {
    OffsetRect(&rect, -window.window.left, -window.window.top);
    return rect;
  }
  Window* parent = Peek(window.parent);
  if (!parent) return RECT{0, 0, 0, 0};
  POINT offset = SurfaceOffsetOfClient(*parent);
  OffsetRect(&rect, offset.x, offset.y);
  return rect;
}

void ExcludeSiblingsAbove(const Window& window, Region& region) {
  if (!window.parent) return;
  for (HWND handle : Siblings(window)) {
    if (handle == window.handle) break;
    Window* sibling = Peek(handle);
    if (sibling && (sibling->style & WS_VISIBLE))
      region.Subtract(OnSurface(*sibling, sibling->window));
  }
}

// The surface pixels a DC of `window` may touch.
Region VisibleRegion(const Window& window, bool wholeWindow, bool clipChildren, bool clipSiblings) {
  if (!IsShowing(window)) return Region();
  RECT area = wholeWindow ? window.window : window.client;
  Region region(OnSurface(window, area));
  if (clipChildren) {
    for (HWND handle : window.children) {
      Window* child = Peek(handle);
      if (child && (child->style & WS_VISIBLE)) region.Subtract(OnSurface(*child, child->window));
    }
  }
  if (clipSiblings) ExcludeSiblingsAbove(window, region);
  for (const Window* at = window.parent ? Peek(window.parent) : nullptr; at;
       at = at->parent ? Peek(at->parent) : nullptr) {
    region.Intersect(OnSurface(*at, at->client));
    if (at->style & WS_CLIPSIBLINGS) ExcludeSiblingsAbove(*at, region);
  }
  return region;
}

HDC MakeWindowDc(Window& window, bool wholeWindow, bool clipChildren, bool clipSiblings) {
  Window* top = TopLevelOf(&window);
  if (!top || !top->surface) return nullptr;
  Region visible = VisibleRegion(window, wholeWindow, clipChildren, clipSiblings);
  POINT origin = wholeWindow ? POINT{OnSurface(window, window.window).left,
                                     OnSurface(window, window.window).top}
                             : SurfaceOffsetOfClient(window);
  HDC dc = linux_gdi::NewWindowDC(linux_gdi::WindowView{
      &top->surface->surface, origin, visible, VisibleRegion(window, wholeWindow, false, false),
      [handle = top->handle] {
        if (Window* w = Peek(handle); w && w->surface) w->surface->Pixels();
      }});
  if (!dc) return nullptr;
  OpenDcs()[dc] = OpenDc{window.handle, top->handle, visible};
  return dc;
}

int ReleaseWindowDc(HWND, HDC dc) {
  auto it = OpenDcs().find(dc);
  if (it == OpenDcs().end()) return 0;
  if (Window* top = Peek(it->second.top); top && top->surface)
    top->surface->dirty.Unite(it->second.visible);
  OpenDcs().erase(it);
  linux_gdi::DestroyDC(dc);
  return 1;
}

HDC HookGetDc(HWND handle) {
  Window* window = Find(handle);
  if (!window) return nullptr;
  return MakeWindowDc(*window, false, (window->style & WS_CLIPCHILDREN) != 0,
                      (window->style & WS_CLIPSIBLINGS) != 0);
}

void InvalidateTree(Window& window, const Region& clientArea, bool erase, bool children) {
  Region area = clientArea;
  area.Intersect(ClientRectOf(window));
  if (!area.IsEmpty()) {
    window.update.Unite(area);
    if (erase) window.erasePending = true;
  }
  if (!children) return;
  for (HWND handle : window.children) {
    Window* child = Peek(handle);
    if (!child || !(child->style & WS_VISIBLE)) continue;
    Region childArea = clientArea;
    childArea.Translate(-child->client.left, -child->client.top);
    InvalidateTree(*child, childArea, erase, true);
    if (!childArea.IsEmpty()) {
      RECT frame = child->window;
      Region frameArea = clientArea;
      frameArea.Intersect(frame);
      RECT insets = FrameInsets(child->style, child->exStyle);
      if (!frameArea.IsEmpty() && (insets.left || insets.top || insets.right || insets.bottom))
        child->framePending = true;
    }
  }
}

void ValidateTree(Window& window, const Region* clientArea, bool children) {
  if (!clientArea) {
    window.update = Region();
    window.erasePending = false;
    window.internalPaint = false;
  } else {
    for (const RECT& rect : clientArea->Rects()) window.update.Subtract(rect);
    if (window.update.IsEmpty()) window.erasePending = false;
  }
  if (!children) return;
  for (HWND handle : window.children) {
    Window* child = Peek(handle);
    if (!child) continue;
    if (!clientArea) {
      ValidateTree(*child, nullptr, true);
    } else {
      Region childArea = *clientArea;
      childArea.Translate(-child->client.left, -child->client.top);
      ValidateTree(*child, &childArea, true);
    }
  }
}

HBRUSH ClassBrush(const Window& window) {
  HBRUSH brush = window.cls ? window.cls->background : nullptr;
  auto value = reinterpret_cast<ULONG_PTR>(brush);
  if (value > 0 && value <= 31) return GetSysColorBrush(static_cast<int>(value - 1));
  return brush;
}

}  // namespace

bool NeedsPaint(const Window& window) {
  return !window.update.IsEmpty() || window.internalPaint || window.framePending;
}

void Invalidate(Window& window, const RECT* clientRect, bool erase, bool children) {
  Region area(clientRect ? *clientRect : ClientRectOf(window));
  InvalidateTree(window, area, erase, children);
}

void InvalidateFrame(Window& window) {
  // An empty window (the application's hidden one) has no frame pixels to paint.
  if (IsRectEmpty(&window.window)) return;
  RECT insets = FrameInsets(window.style, window.exStyle);
  if (insets.left || insets.top || insets.right || insets.bottom) window.framePending = true;
}

void InvalidateParentArea(Window& window, const RECT& area) {
  Window* parent = window.parent ? Peek(window.parent) : nullptr;
  if (!parent) return;
  RECT local = area;
  OffsetRect(&local, -parent->client.left + parent->client.left, 0);
  Region region(local);
  InvalidateTree(*parent, region, true, true);
}

void ValidateAll(Window& window) {
  window.update = Region();
  window.erasePending = false;
  window.internalPaint = false;
  window.framePending = false;
}

void ForgetPainting(Window& window) {
  for (auto it = OpenDcs().begin(); it != OpenDcs().end();) {
    if (it->second.window == window.handle || it->second.top == window.handle) {
      linux_gdi::DetachSurface(it->first);
      it = OpenDcs().erase(it);
    } else {
      ++it;
    }
  }
}

void InstallDcHooks() {
  linux_gdi::WindowDcHooks hooks;
  hooks.get = &HookGetDc;
  hooks.release = &ReleaseWindowDc;
  linux_gdi::InstallWindowDcHooks(hooks);
}

void PresentDirty() {
  auto& driver = linux_display::CurrentDriver();
  for (HWND handle : TopLevels()) {
    Window* window = Peek(handle);
    if (!window || !window->surface || window->surface->dirty.IsEmpty()) continue;
    if ((window->style & WS_VISIBLE) && !(window->style & WS_MINIMIZE)) {
      window->surface->dirty.Intersect(
          RECT{0, 0, window->surface->surface.width, window->surface->surface.height});
      if (!window->surface->dirty.IsEmpty())
        driver.Present(handle, window->surface->Pixels(), window->surface->dirty.Extents());
    }
    window->surface->dirty = Region();
  }
  driver.Settle();
}

LRESULT DefaultEraseBackground(Window& window, HDC dc) {
  HBRUSH brush = ClassBrush(window);
  if (!brush || !dc) return 0;
  RECT rect = ClientRectOf(window);
  FillRect(dc, &rect, brush);
  return 1;
}

void DrawFrame(Window& window) {
  RECT insets = FrameInsets(window.style, window.exStyle);
  if (!insets.left && !insets.top && !insets.right && !insets.bottom) return;
  int width = window.window.right - window.window.left;
  int height = window.window.bottom - window.window.top;
  if (width <= 0 || height <= 0) return;
  HDC dc = MakeWindowDc(window, true, false, (window.style & WS_CLIPSIBLINGS) != 0);
  if (!dc) return;
  RECT client{window.client.left - window.window.left, window.client.top - window.window.top,
              window.client.right - window.window.left, window.client.bottom - window.window.top};
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  RECT outer = all;
  if (window.style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) {
    // Raised outer edge: light top-left, dark bottom-right.
    HBRUSH light = GetSysColorBrush(COLOR_3DLIGHT), dark = GetSysColorBrush(COLOR_3DDKSHADOW);
    RECT top{0, 0, width, 1}, left{0, 0, 1, height};
    RECT bottom{0, height - 1, width, height}, right{width - 1, 0, width, height};
    bool thin =
        !(window.style & (WS_DLGFRAME | WS_THICKFRAME)) && !(window.exStyle & WS_EX_DLGMODALFRAME);
    FillRect(dc, &top, thin ? dark : light);
    FillRect(dc, &left, thin ? dark : light);
    FillRect(dc, &bottom, dark);
    FillRect(dc, &right, dark);
    InflateRect(&outer, -1, -1);
  }
  if ((window.style & WS_CAPTION) == WS_CAPTION) {
    RECT edges = FrameInsets((window.style & ~static_cast<DWORD>(WS_CAPTION)) |
                                 ((window.style & WS_CAPTION) ? WS_BORDER : 0),
                             window.exStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE));
    int captionHeight = (window.exStyle & WS_EX_TOOLWINDOW) ? kSmallCaptionHeight : kCaptionHeight;
    RECT caption{edges.left, edges.top, width - edges.right, edges.top + captionHeight};
    FillRect(dc, &caption, GetSysColorBrush(COLOR_ACTIVECAPTION));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
    IntersectClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
    TextOutA(dc, caption.left + 4, caption.top + 2, window.text.c_str(),
             static_cast<int>(window.text.size()));
  }
  if (window.exStyle & WS_EX_CLIENTEDGE) {
    RECT edge = client;
    InflateRect(&edge, kEdgeWidth, kEdgeWidth);
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW), light = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    RECT top{edge.left, edge.top, edge.right, edge.top + 1};
    RECT left{edge.left, edge.top, edge.left + 1, edge.bottom};
    RECT bottom{edge.left, edge.bottom - 1, edge.right, edge.bottom};
    RECT right{edge.right - 1, edge.top, edge.right, edge.bottom};
    FillRect(dc, &top, shadow);
    FillRect(dc, &left, shadow);
    FillRect(dc, &bottom, light);
    FillRect(dc, &right, light);
  }
  ReleaseWindowDc(window.handle, dc);
}

}  // namespace linux_user

using namespace linux_user;

extern "C" {

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  if (!hWnd) {
    for (HWND handle : TopLevels())
      if (Window* window = Peek(handle)) Invalidate(*window, nullptr, bErase, true);
    return TRUE;
  }
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  if (lpRect && IsRectEmpty(lpRect)) return TRUE;  // inverted or empty: nothing to do
  Invalidate(*window, lpRect, bErase, !(window->style & WS_CLIPCHILDREN));
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  bool children = !(window->style & WS_CLIPCHILDREN);
  if (lpRect) {
    Region area(*lpRect);
    ValidateTree(*window, &area, children);
  } else {
    ValidateTree(*window, nullptr, children);
  }
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  RECT extents = window->update.IsEmpty() ? RECT{0, 0, 0, 0} : window->update.Extents();
  if (lpRect) *lpRect = extents;
  if (bErase && window->erasePending && !window->update.IsEmpty()) {
    window->erasePending = false;
    WindowDC dc(hWnd);
    Send(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
  }
  return !IsRectEmpty(&extents);
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  if (IsShowing(*window) && NeedsPaint(*window) && !(window = SendAndPeek(hWnd, WM_PAINT, 0, 0)))
    return TRUE;
  for (HWND child : std::vector<HWND>(window->children))
    if (Peek(child)) UpdateWindow(child);
  return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  Region area(ClientRectOf(*window));
  if (hrgnUpdate) {
    if (auto* object = linux_gdi::FindRegion(hrgnUpdate)) area = object->region;
  } else if (lprcUpdate) {
    area = Region(*lprcUpdate);
  }
  bool children = (flags & RDW_ALLCHILDREN) ||
                  (!(flags & RDW_NOCHILDREN) && !(window->style & WS_CLIPCHILDREN));
  if (flags & RDW_INVALIDATE) {
    InvalidateTree(*window, area, (flags & RDW_ERASE) != 0, children);
    if (flags & RDW_FRAME) InvalidateFrame(*window);
  }
  if (flags & RDW_INTERNALPAINT) window->internalPaint = true;
  if (flags & RDW_VALIDATE) {
    ValidateTree(*window, (hrgnUpdate || lprcUpdate) ? &area : nullptr, children);
    if (flags & RDW_NOFRAME) window->framePending = false;
  }
  if (flags & RDW_NOINTERNALPAINT) window->internalPaint = false;
  if (flags & RDW_UPDATENOW) {
    if (children)
      UpdateWindow(hWnd);
    else if (NeedsPaint(*window) && IsShowing(*window))
      Send(hWnd, WM_PAINT, 0, 0);
  } else if ((flags & RDW_ERASENOW) && window->erasePending) {
    GetUpdateRect(hWnd, nullptr, TRUE);
  }
  return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  Window* window = Find(hWnd);
  if (!window || !lpPaint) return nullptr;
  if (window->framePending) {
    window->framePending = false;
    if (!(window = SendAndPeek(hWnd, WM_NCPAINT, 1, 0))) return nullptr;
  }
  Region update = window->update;
  bool erase = window->erasePending;
  window->update = Region();
  window->erasePending = false;
  window->internalPaint = false;

  *lpPaint = PAINTSTRUCT{};
  HDC dc = MakeWindowDc(*window, false, (window->style & WS_CLIPCHILDREN) != 0,
                        (window->style & WS_CLIPSIBLINGS) != 0);
  if (!dc) return nullptr;
  // Only the update region may be painted.
  auto& open = OpenDcs()[dc];
  POINT offset = SurfaceOffsetOfClient(*window);
  Region surfaceUpdate = update;
  surfaceUpdate.Translate(offset.x, offset.y);
  open.visible.Intersect(surfaceUpdate);
  linux_gdi::SetVisibleRegion(dc, open.visible);
  lpPaint->hdc = dc;
  lpPaint->rcPaint = update.IsEmpty() ? RECT{0, 0, 0, 0} : update.Extents();
  lpPaint->fErase = TRUE;
  if (erase) lpPaint->fErase = Send(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  return dc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint) return FALSE;
  ReleaseWindowDc(hWnd, lpPaint->hdc);
  return TRUE;
}

HDC WINAPI GetDCEx(HWND hWnd, HRGN hrgnClip, DWORD flags) {
  if (!hWnd) return GetDC(nullptr);
  Window* window = Find(hWnd);
  if (!window) return nullptr;
  bool clipChildren =
      (flags & DCX_CLIPCHILDREN) || ((flags & DCX_USESTYLE) && (window->style & WS_CLIPCHILDREN));
  bool clipSiblings =
      (flags & DCX_CLIPSIBLINGS) || ((flags & DCX_USESTYLE) && (window->style & WS_CLIPSIBLINGS));
  HDC dc = MakeWindowDc(*window, (flags & DCX_WINDOW) != 0, clipChildren, clipSiblings);
  if (dc && hrgnClip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)))
    if (auto* object = linux_gdi::FindRegion(hrgnClip)) {
      auto& open = OpenDcs()[dc];
      Region clip = object->region;
      POINT origin = linux_gdi::WindowDCOrigin(dc);
      clip.Translate(origin.x, origin.y);
      if (flags & DCX_INTERSECTRGN) {
        open.visible.Intersect(clip);
      } else {
        for (const RECT& rect : clip.Rects()) open.visible.Subtract(rect);
      }
      linux_gdi::SetVisibleRegion(dc, open.visible);
    }
  if (hrgnClip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) DeleteObject(hrgnClip);
  return dc;
}

HDC WINAPI GetWindowDC(HWND hWnd) { return GetDCEx(hWnd, nullptr, DCX_WINDOW | DCX_USESTYLE); }

BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  const linux_cursor::CursorImage* image = linux_cursor::CursorImageOf(hIcon);
  if (!image || !hDC) return FALSE;
  if (image->pixels.size() < static_cast<size_t>(image->width) * image->height) return TRUE;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) {
      uint32_t argb = image->pixels[static_cast<size_t>(y) * image->width + x];
      if ((argb >> 24) < 0x80) continue;
      SetPixelV(hDC, X + x, Y + y, RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    }
  return TRUE;
}

}  // extern "C"
