#include "platform/linux/user/system_classes.h"

#include <strings.h>

#include <string>

#include "platform/gdi_handles.h"
#include "platform/win32.h"

namespace linux_user {

namespace {

// Its text, left-aligned and word-wrapped, on the dialog face colour.
LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PaintSession paint(window);
  HDC dc = paint.Get();
  if (!dc) return 0;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextA(dc, text, -1, &client, DT_LEFT | DT_WORDBREAK);
  return 0;
}

}  // namespace

std::shared_ptr<WindowClass> MakeSystemClass(LPCSTR name) {
  if (!name || IS_INTRESOURCE(name) || strcasecmp(name, "Static") != 0) return nullptr;
  auto cls = std::make_shared<WindowClass>();
  cls->name = "Static";
  cls->atom = GlobalAddAtomA(cls->name.c_str());
  if (!cls->atom) return nullptr;
  cls->style = CS_DBLCLKS;
  cls->proc = &StaticProc;
  cls->cursor = LoadCursorA(nullptr, IDC_ARROW);
  return cls;
}

}  // namespace linux_user
