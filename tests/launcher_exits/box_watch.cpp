// Runs a program, answers the message boxes it shows and checks what it said and how it
// ended:  box_watch [--repaint-and-exit] <program> <exit code> [<caption> <text>]
// Without a caption the program must show no box. With --repaint-and-exit the launcher
// window is repainted a few times once it is up, then its EXIT word is clicked. In <text>, "\r" and
// "\n" stand for CR and LF and "%p" for a code address (hex digits). Prints what happened; exits 0
// when it matched.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Box {
  std::string caption;
  std::string text;
};

struct Watch {
  DWORD processId;
  std::vector<HWND> answered;
  std::vector<Box> boxes;
};

std::string WindowText(HWND window) {
  char buffer[4096] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM data) {
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) {
    std::string text = WindowText(child);
    if (!text.empty()) *reinterpret_cast<std::string*>(data) += text;
  }
  return TRUE;
}

BOOL CALLBACK AnswerBox(HWND window, LPARAM data) {
  auto* watch = reinterpret_cast<Watch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid != watch->processId || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window)) {
    return TRUE;
  }
  for (HWND seen : watch->answered) {
    if (seen == window) return TRUE;
  }
  Box box{WindowText(window), {}};
  EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&box.text));
  watch->boxes.push_back(box);
  watch->answered.push_back(window);
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

std::string Visible(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// `pattern` in the Visible() form, with %p matching one or more hex digits.
bool Matches(const std::string& text, const std::string& pattern) {
  size_t t = 0;
  for (size_t p = 0; p < pattern.size();) {
    if (pattern.compare(p, 2, "%p") == 0) {
      const size_t start = t;
      while (t < text.size() && std::isxdigit(static_cast<unsigned char>(text[t]))) ++t;
      if (t == start) return false;
      p += 2;
    } else {
      if (t >= text.size() || text[t] != pattern[p]) return false;
      ++t;
      ++p;
    }
  }
  return t == text.size();
}

// A folder path as given by the build machine (/...) in the form Windows programs take.
std::string ProgramPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

struct LauncherSearch {
  DWORD processId;
  HWND found;
};
BOOL CALLBACK MatchLauncherWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<LauncherSearch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid != search->processId || lstrcmpA(cls, "TForm1") != 0 || !IsWindowVisible(window)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}
HWND FindLauncherWindow(DWORD processId) {
  LauncherSearch search{processId, nullptr};
  EnumWindows(MatchLauncherWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Repaints the launcher window five times, then presses and releases the mouse over
// "EXIT" (the strip's third word) in the strip's own window.
void RepaintAndClickExit(HWND form, Watch& watch) {
  for (int i = 0; i < 5; ++i) {
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    for (int wait = 0; wait < 4; ++wait) {
      Sleep(50);
      EnumWindows(AnswerBox, reinterpret_cast<LPARAM>(&watch));
    }
  }
  HWND strip = FindWindowExA(form, nullptr, "TPanel", nullptr);
  const LPARAM at = MAKELPARAM(481 + 19, 4 + 9);
  PostMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(strip, WM_LBUTTONUP, 0, at);
}

}  // namespace

int main(int argc, char** argv) {
  const bool repaintAndExit = argc > 1 && std::string(argv[1]) == "--repaint-and-exit";
  if (repaintAndExit) {
    --argc;
    ++argv;
  }
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr,
                 "usage: box_watch [--repaint-and-exit] <program> <exit code> "
                 "[<caption> <text>]\n");
    return 2;
  }
  std::string command = "\"" + ProgramPath(argv[1]) + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start %s (%lu)\n", command.c_str(), GetLastError());
    return 1;
  }
  Watch watch{process.dwProcessId, {}, {}};
  const DWORD started = GetTickCount();
  bool ended = false;
  bool clicked = false;
  DWORD shownAt = 0;
  while (!ended && GetTickCount() - started < 60000) {
    ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
    EnumWindows(AnswerBox, reinterpret_cast<LPARAM>(&watch));
    if (repaintAndExit && !clicked && !ended) {
      // Give the first paint (and any box it brings) a second before going on.
      if (HWND form = FindLauncherWindow(process.dwProcessId)) {
        if (shownAt == 0) shownAt = GetTickCount();
        if (GetTickCount() - shownAt > 1000) {
          RepaintAndClickExit(form, watch);
          clicked = true;
        }
      }
    }
  }
  if (!ended) {
    TerminateProcess(process.hProcess, 3);
    std::printf("timed out\n");
    return 1;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (const Box& box : watch.boxes) {
    std::printf("box: %s | %s\n", box.caption.c_str(), Visible(box.text).c_str());
  }
  std::printf("exit: %lu\n", exitCode);
  bool ok = exitCode == std::strtoul(argv[2], nullptr, 10);
  if (argc == 3) {
    ok = ok && watch.boxes.empty();
  } else {
    ok = ok && watch.boxes.size() == 1 && watch.boxes[0].caption == argv[3] &&
         Matches(Visible(watch.boxes[0].text), argv[4]);
  }
  std::printf("%s\n", ok ? "matched" : "did not match");
  return ok ? 0 : 1;
}
