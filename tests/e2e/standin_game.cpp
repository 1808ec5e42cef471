// A stand-in for the game the launcher starts: placed as eng\brasslantern.exe or
// rus\brasslantern.exe, it appends one line saying that it ran and returns at once:
//   ran edition=<folder name> cwd=<current directory> launcher=<minimised|shown|absent>
//   app=<visible|hidden|absent> args=<n> exe=<own path>
// The line goes to the file LAUNCHER_STANDIN_LOG names, else to ran.txt beside the program.
// "launcher" tells whether the launcher's window (class TForm1) was minimised at that moment,
// "app" whether its application window (class TApplication, the taskbar button) was visible.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string ModulePath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* LauncherState() {
  HWND launcher = FindWindowA("TForm1", nullptr);
  if (!launcher) return "absent";
  return IsIconic(launcher) ? "minimised" : "shown";
}

const char* AppWindowState() {
  HWND app = FindWindowA("TApplication", nullptr);
  if (!app) return "absent";
  return IsWindowVisible(app) ? "visible" : "hidden";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const char* state = LauncherState();
  const char* appState = AppWindowState();
  const std::string self = ModulePath();
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  // The launcher passes no arguments: count what follows the program name.
  int args = 0;
  for (const char* p = commandLine; *p;) {
    while (*p == ' ') ++p;
    if (!*p) break;
    ++args;
    while (*p && *p != ' ') ++p;
  }
  const char* log = std::getenv("LAUNCHER_STANDIN_LOG");
  const std::string target = log && *log ? std::string(log) : FolderOf(self) + "\\ran.txt";
  FILE* out = std::fopen(target.c_str(), "a");
  if (!out) return 1;
  std::fprintf(out, "ran edition=%s cwd=%s launcher=%s app=%s args=%d exe=%s\n",
               NameOf(FolderOf(self)).c_str(), cwd, state, appState, args, self.c_str());
  std::fclose(out);
  return 0;
}
