#include "tests/platform_user/message_log.h"

#include <algorithm>

namespace user_test {

namespace {

// Messages whose presence or order differs by platform detail (cursor, activation,
// input method) and that sequence tests do not compare.
bool Ignored(UINT message) {
  switch (message) {
    case WM_GETICON:
    case WM_SETCURSOR:
    case WM_NCHITTEST:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_SYNCPAINT:
    case 0x0281:  // input method messages
    case 0x0282:
    case 0x0288:
    case 0x0090:  // theme and accessibility notifications
    case 0x031A:
    case 0x003D:
      return true;
    default:
      return message >= 0xC000;
  }
}

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Logged{window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::vector<Logged>& Log() {
  static std::vector<Logged> log;
  return log;
}

std::vector<UINT> Messages(HWND window) {
  std::vector<UINT> messages;
  for (const Logged& entry : Log())
    if ((!window || entry.window == window) && !Ignored(entry.message))
      messages.push_back(entry.message);
  return messages;
}

void ClearLog() { Log().clear(); }

const char* LoggingClass() {
  static const char* name = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &LoggingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "UserTestLog";
    wc.cbWndExtra = 8;
    RegisterClassA(&wc);
    return "UserTestLog";
  }();
  return name;
}

}  // namespace user_test
