// Looks at the launcher from inside the same Wine session, for the end-to-end tests:
//   win_probe state         "app=<0|1> form=<0|1> iconic=<0|1> title=<application title>":
//                           visibility of the TApplication and TForm1 windows (exit 1 if
//                           either is missing)
//   win_probe close CLASS   posts WM_CLOSE to the top-level window of that class
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "state") == 0) {
    HWND app = FindWindowA("TApplication", nullptr);
    HWND form = FindWindowA("TForm1", nullptr);
    if (!app || !form) return 1;
    char title[256] = {};
    GetWindowTextA(app, title, sizeof title);
    std::printf("app=%d form=%d iconic=%d title=%s\n", IsWindowVisible(app) ? 1 : 0,
                IsWindowVisible(form) ? 1 : 0, IsIconic(form) ? 1 : 0, title);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
    HWND window = FindWindowA(argv[2], nullptr);
    return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  std::fprintf(stderr, "usage: win_probe state | close CLASS\n");
  return 2;
}
