// The launcher driven as box_watch --repaint-and-exit drives it on Windows, for the native
// tree, where no other process can reach our windows: a thread timer waits for the launcher
// window, repaints it five times and clicks EXIT in its strip; the launcher's own loop then
// ends the program. Its boxes go wherever the display driver shows them.
#include <cstring>

#include "launcher/program.h"
#include "platform/win32.h"

namespace {

BOOL CALLBACK FindStrip(HWND child, LPARAM found) {
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (std::strcmp(cls, "TPanel") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

void CALLBACK Drive(HWND /*window*/, UINT /*message*/, UINT_PTR timer, DWORD /*time*/) {
  const HWND form = FindWindowA("TForm1", nullptr);
  if (form == nullptr || !IsWindowVisible(form)) return;
  KillTimer(nullptr, timer);
  for (int i = 0; i < 5; ++i) {
    RedrawWindow(form, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  HWND strip = nullptr;
  EnumChildWindows(form, FindStrip, reinterpret_cast<LPARAM>(&strip));
  // "EXIT", the strip's third word.
  const LPARAM at = MAKELPARAM(481 + 19, 4 + 9);
  PostMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(strip, WM_LBUTTONUP, 0, at);
}

}  // namespace

int main() {
  SetTimer(nullptr, 0, 10, Drive);
  return RunLauncher();
}
