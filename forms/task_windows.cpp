#include "forms/task_windows.h"

namespace {

bool disabling = false;

struct Collect {
  HWND except;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM data) {
  auto* collect = reinterpret_cast<Collect*>(data);
  if (window != collect->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
    collect->windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> DisableTaskWindows(HWND except) {
  Collect collect{except, {}};
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&collect));
  disabling = true;
  for (HWND window : collect.windows) EnableWindow(window, FALSE);
  disabling = false;
  return collect.windows;
}

void EnableTaskWindows(const std::vector<HWND>& windows) {
  for (HWND window : windows) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
}

bool DisablingTaskWindows() { return disabling; }
