// WinExec without a shell: the command line is split the way Windows splits
// it, the program path is made a Unix path, and the program is spawned
// directly (a PE file through wine). Children are reaped by a detached thread
// so none is left a zombie.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/kernel/command_line.h"
#include "platform/linux/kernel/test_overrides.h"
#include "platform/win32.h"

extern char** environ;

namespace linux_kernel {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

// Splits arguments as CommandLineToArgv does: blanks separate outside quotes;
// 2n backslashes before a quote give n backslashes and the quote toggles
// quoting; 2n+1 give n backslashes and a literal quote; other backslashes are
// literal; "" inside quotes is a literal quote.
std::vector<std::string> SplitArguments(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        size_t count = 0;
        while (i < line.size() && line[i] == '\\') ++count, ++i;
        if (i < line.size() && line[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

// "Z:\dir\prog.exe" -> "/dir/prog.exe"; "dir\prog.exe" -> "dir/prog.exe".
std::string ToUnixPath(std::string path) {
  if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace linux_kernel

using linux_kernel::IsBlank;
using linux_kernel::SplitArguments;
using linux_kernel::ToUnixPath;

namespace {

bool IsFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool HasExtension(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// Searches like CreateProcess: a name with a directory part as given, a bare
// name in the current directory and then along PATH; ".exe" is tried when the
// name has no extension. Returns the found path or an empty string.
std::string Locate(const std::string& name) {
  std::vector<std::string> places;
  if (name.find('/') != std::string::npos) {
    places.push_back(name);
  } else {
    places.push_back(name);
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    size_t start = 0;
    while (start <= dirs.size()) {
      size_t end = dirs.find(':', start);
      if (end == std::string::npos) end = dirs.size();
      if (end > start) places.push_back(dirs.substr(start, end - start) + "/" + name);
      start = end + 1;
    }
  }
  for (const std::string& place : places) {
    if (IsFile(place)) return place;
    if (!HasExtension(place) && IsFile(place + ".exe")) return place + ".exe";
  }
  return {};
}

bool IsRunnableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// wine from PATH's absolute directories only. Never the current directory, which is
// the game's folder: whoever can write there could plant a "wine" of their own; nor a
// relative or empty entry, which means the same; nor wine.exe.
std::string FindWine() {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    start = end + 1;
    if (dir.empty() || dir[0] != '/') continue;
    if (std::string wine = dir + "/wine"; IsRunnableFile(wine)) return wine;
  }
  return {};
}

// Which error a missing program gives: the file, or a directory on its way.
UINT MissingProgramError(const std::string& name) {
  size_t slash = name.rfind('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat info;
  std::string dir = name.substr(0, slash);
  return stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                : ERROR_PATH_NOT_FOUND;
}

UINT OpenError(int error) {
  switch (error) {
    case ENOENT:
    case ELOOP:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
      return ERROR_PATH_NOT_FOUND;
    case ENOMEM:
    case EMFILE:
    case ENFILE:
      return 0;  // out of memory or resources
    default:
      return ERROR_ACCESS_DENIED;
  }
}

// A PE image: "MZ", and at the offset its header gives, "PE\0\0".
bool IsPeImage(int fd) {
  unsigned char dos[64];
  if (pread(fd, dos, sizeof dos, 0) != ssize_t(sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
    return false;
  const off_t offset =
      off_t(dos[60]) | off_t(dos[61]) << 8 | off_t(dos[62]) << 16 | off_t(dos[63]) << 24;
  char signature[4];
  return pread(fd, signature, sizeof signature, offset) == ssize_t(sizeof signature) &&
         std::memcmp(signature, "PE\0\0", 4) == 0;
}

// Only a regular file is a program. Anything else answers what Windows answers for a
// directory, before it is opened: a device may act on an open. The file is then opened
// without blocking (a FIFO put in its place since must not hold the caller) and
// close-on-exec, and it is the opened file that is checked and read. Returns kMayRun or
// else WinExec's answer.
constexpr UINT kMayRun = 32;
UINT Examine(const std::string& path, bool& pe) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return OpenError(errno);
  if (!S_ISREG(info.st_mode)) return ERROR_ACCESS_DENIED;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return OpenError(errno);
  UINT answer = kMayRun;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    answer = ERROR_ACCESS_DENIED;
  else
    pe = IsPeImage(fd);
  close(fd);
  return answer;
}

UINT SpawnError(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:
      return 0;  // out of memory or resources
    default:
      return ERROR_BAD_FORMAT;
  }
}

// Settings that are this program's own and not its child's: the LAUNCHER_* variables our
// layer reads, and DESKTOP_STARTUP_ID, which belongs to our own start.
constexpr const char* kOwnSettings[] = {"LAUNCHER_DISPLAY",    "LAUNCHER_SCREEN",
                                        "LAUNCHER_NO_SHM",     "LAUNCHER_ACP",
                                        "LAUNCHER_SHOWWINDOW", "DESKTOP_STARTUP_ID"};

bool IsOwnSetting(const char* entry) {
  for (const char* name : kOwnSettings) {
    const size_t length = std::strlen(name);
    if (std::strncmp(entry, name, length) == 0 && entry[length] == '=') return true;
  }
  return false;
}

// Starts argv[0] with our environment less our own settings and no descriptor but 0 to 2,
// and leaves a detached thread to collect its exit status. In test programs the show
// command goes along, as Windows hands it to the direct child in its start-up information.
UINT Spawn(const std::vector<std::string>& argv, UINT showCommand) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  const std::string showVariable = "LAUNCHER_SHOWWINDOW=" + std::to_string(showCommand);
  std::vector<char*> env;
  for (char** var = environ; var && *var; ++var) {
    if (!IsOwnSetting(*var)) env.push_back(*var);
  }
  if (linux_kernel::TestOverridesEnabled()) env.push_back(const_cast<char*>(showVariable.c_str()));
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return 0;
  int error = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  pid_t pid = 0;
  if (error == 0) error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return SpawnError(error);
  try {
    std::thread([pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (...) {
    // No thread to reap with: the child still runs; init reaps it once we exit.
  }
  return 33;  // any value above 31 means started
}

// Wine would take a path starting with '-' for an option of its own.
std::string AsWineArgument(const std::string& path) { return path[0] == '/' ? path : "./" + path; }

}  // namespace

extern "C" UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
  if (!lpCmdLine) return ERROR_FILE_NOT_FOUND;
  std::string line = lpCmdLine;
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i == line.size()) return ERROR_FILE_NOT_FOUND;

  std::string program;
  std::string rest;
  if (line[i] == '"') {
    size_t close = line.find('"', i + 1);
    program = ToUnixPath(
        line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1));
    rest = close == std::string::npos ? "" : line.substr(close + 1);
  } else {
    // An unquoted path may contain blanks: take the shortest prefix that
    // names an existing file, as Windows does; else the first word.
    size_t end = i;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    program = ToUnixPath(line.substr(i, end - i));
    rest = line.substr(end);
    for (size_t cut = end; cut < line.size();) {
      if (!Locate(program).empty()) break;
      size_t next = cut;
      while (next < line.size() && IsBlank(line[next])) ++next;
      while (next < line.size() && !IsBlank(line[next])) ++next;
      std::string longer = ToUnixPath(line.substr(i, next - i));
      if (!Locate(longer).empty()) {
        program = longer;
        rest = line.substr(next);
        break;
      }
      cut = next;
    }
  }
  if (program.empty()) return ERROR_FILE_NOT_FOUND;

  std::string found = Locate(program);
  if (found.empty()) return MissingProgramError(program);
  bool pe = false;
  if (UINT answer = Examine(found, pe); answer != kMayRun) return answer;

  std::vector<std::string> argv;
  if (pe) {
    std::string wine = FindWine();
    if (wine.empty()) return ERROR_BAD_FORMAT;
    argv = {wine, AsWineArgument(found)};
  } else if (access(found.c_str(), X_OK) == 0) {
    argv = {found};
  } else {
    return ERROR_BAD_FORMAT;
  }
  for (std::string& arg : SplitArguments(rest)) argv.push_back(std::move(arg));
  return Spawn(argv, uCmdShow);
}
