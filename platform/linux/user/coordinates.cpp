// Where windows and their client areas lie: rectangles and point mapping.
#include "platform/linux/user/internal.h"

using namespace linux_user;

extern "C" {

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  Window* window = Find(hWnd);
  if (!window || !lpRect) return FALSE;
  *lpRect = ScreenWindowRect(*window);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  Window* window = Find(hWnd);
  if (!window || !lpRect) return FALSE;
  *lpRect = RECT{0, 0, window->client.right - window->client.left,
                 window->client.bottom - window->client.top};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  Window* window = Find(hWnd);
  if (!window || !lpPoint) return FALSE;
  POINT origin = ClientOriginOnScreen(*window);
  lpPoint->x += origin.x;
  lpPoint->y += origin.y;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  Window* window = Find(hWnd);
  if (!window || !lpPoint) return FALSE;
  POINT origin = ClientOriginOnScreen(*window);
  lpPoint->x -= origin.x;
  lpPoint->y -= origin.y;
  return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  POINT from{0, 0}, to{0, 0};
  if (hWndFrom) {
    Window* window = Find(hWndFrom);
    if (!window) return 0;
    from = ClientOriginOnScreen(*window);
  }
  if (hWndTo) {
    Window* window = Find(hWndTo);
    if (!window) return 0;
    to = ClientOriginOnScreen(*window);
  }
  int dx = from.x - to.x, dy = from.y - to.y;
  for (UINT i = 0; lpPoints && i < cPoints; ++i) {
    lpPoints[i].x += dx;
    lpPoints[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

}  // extern "C"
