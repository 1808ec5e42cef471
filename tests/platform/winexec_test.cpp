// WinExec: error codes, and a real start of this test program as a child that
// records its arguments and show command and leaves at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <thread>
#endif

namespace {

constexpr const char* kChildVariable = "LAUNCHER_WINEXEC_CHILD";

std::vector<std::string> OwnArguments() {
  std::vector<std::string> args;
#ifdef _WIN32
  for (int i = 0; i < __argc; ++i) args.push_back(__argv[i]);
#else
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
#endif
  return args;
}

void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv((std::string(name) + "=" + value).c_str());
#else
  if (value.empty())
    unsetenv(name);
  else
    setenv(name, value.c_str(), 1);
#endif
}

// Runs before the tests: when started as the child, write what we were given
// to the file the parent named, then leave without running any test.
const bool kIsChild = [] {
  const char* report = std::getenv(kChildVariable);
  if (!report || !*report) return false;
  STARTUPINFOA info;
  GetStartupInfoA(&info);
  std::string temp = std::string(report) + ".part";
  {
    std::ofstream out(temp, std::ios::binary);
    out << "show=" << ((info.dwFlags & STARTF_USESHOWWINDOW) ? int(info.wShowWindow) : -1) << "\n";
    std::vector<std::string> args = OwnArguments();
    for (size_t i = 1; i < args.size(); ++i) out << args[i] << "\n";
  }
  std::rename(temp.c_str(), report);
  std::_Exit(0);
}();

#ifndef _WIN32
// Settings as a parent may hold them: our own, which a child must not see, and the stand-in
// game's log, which it must.
constexpr std::pair<const char*, const char*> kSettings[] = {
    {"LAUNCHER_DISPLAY", "headless"}, {"LAUNCHER_SCREEN", "800x600"},
    {"LAUNCHER_NO_SHM", "1"},         {"LAUNCHER_ACP", "1251"},
    {"LAUNCHER_SHOWWINDOW", "3"},     {"DESKTOP_STARTUP_ID", "launcher_1"},
    {"LAUNCHER_STANDIN_LOG", "kept"}};
constexpr const char* kInheritVariable = "LAUNCHER_WINEXEC_INHERITED";

// As the child of that test: the descriptors open in us and which of those settings we see.
const bool kIsInheritingChild = [] {
  const char* report = std::getenv(kInheritVariable);
  if (!report || !*report) return false;
  std::string seen = "descriptors";
  DIR* fds = opendir("/proc/self/fd");
  std::vector<int> open;
  while (dirent* entry = fds ? readdir(fds) : nullptr) {
    if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != dirfd(fds))
      open.push_back(std::atoi(entry->d_name));
  }
  if (fds) closedir(fds);
  std::sort(open.begin(), open.end());
  for (int fd : open) seen += " " + std::to_string(fd);
  seen += "\n";
  for (const auto& [name, ignored] : kSettings) {
    if (const char* value = std::getenv(name)) seen += std::string(name) + "=" + value + "\n";
  }
  const std::string temp = std::string(report) + ".part";
  std::ofstream(temp, std::ios::binary) << seen;
  std::rename(temp.c_str(), report);
  std::_Exit(0);
}();
#endif

std::string ReadWhenPresent(const std::string& path) {
  // The child is a separate process; give it a generous while to start.
  for (int i = 0; i < 1200; ++i) {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::stringstream text;
      text << in.rdbuf();
      return text.str();
    }
    Sleep(50);
  }
  return "(no report from the child)";
}

TEST(WinExec, MissingProgramOrDirectory) {
  EXPECT_EQ(UINT(ERROR_FILE_NOT_FOUND), WinExec("launcher_no_such_program.exe", SW_SHOWNORMAL));
  UINT missingDir = WinExec("launcher_no_such_dir\\game.exe", SW_SHOWNORMAL);
#ifdef _WIN32
  EXPECT_TRUE(missingDir == ERROR_PATH_NOT_FOUND || missingDir == ERROR_FILE_NOT_FOUND)
      << missingDir;
#else
  EXPECT_EQ(UINT(ERROR_PATH_NOT_FOUND), missingDir);  // Wine answers 2 here
#endif
  EXPECT_EQ(UINT(ERROR_FILE_NOT_FOUND), WinExec("", SW_SHOWNORMAL));
}

TEST(WinExec, StartsAProgramWithItsArgumentsAndShowCommand) {
  char self[MAX_PATH * 4];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const std::string report = "winexec_child_" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::remove(report.c_str());

  SetVariable(kChildVariable, report);
  std::string command =
      std::string("\"") + self + "\" plain \"two words\" quote\\\"d \"tail\\\\\" x";
  UINT result = WinExec(command.c_str(), SW_SHOWMINNOACTIVE);
  SetVariable(kChildVariable, "");
  ASSERT_GT(result, 31u);

  EXPECT_EQ("show=7\nplain\ntwo words\nquote\"d\ntail\\\nx\n", ReadWhenPresent(report));
  std::remove(report.c_str());
}

namespace fs = std::filesystem;

// A scratch directory, made the current one, holding copies of this program.
class WinExecCopies : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("launcher_winexec_" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_);
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void CopyProgramTo(const fs::path& relative) {
#ifdef _WIN32
    char self[MAX_PATH * 4];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
    const fs::path program = self;
#else
    const fs::path program = fs::read_symlink("/proc/self/exe");
#endif
    fs::create_directories((dir_ / relative).parent_path());
    fs::copy_file(program, dir_ / relative, fs::copy_options::overwrite_existing);
  }
  // Starts `command` as a child that reports into report.txt; returns the report.
  std::string Run(const std::string& command, UINT show) {
    SetVariable(kChildVariable, "report.txt");
    UINT result = WinExec(command.c_str(), show);
    SetVariable(kChildVariable, "");
    EXPECT_GT(result, 31u) << command;
    return result > 31 ? ReadWhenPresent("report.txt") : std::string();
  }

  fs::path dir_;
  fs::path previous_;
};

// The launcher's own case: a relative path with backslashes, no arguments.
TEST_F(WinExecCopies, RelativeGamePathFromTheCurrentDirectory) {
  CopyProgramTo(fs::path("eng") / "brasslantern.exe");
  EXPECT_EQ("show=1\n", Run("eng\\brasslantern.exe", SW_SHOWNORMAL));
}

// Unquoted, the shortest prefix naming a file is the program.
TEST_F(WinExecCopies, UnquotedPathWithABlank) {
  CopyProgramTo(fs::path("two words") / "game.exe");
  EXPECT_EQ("show=1\none\ntwo\n", Run("two words\\game.exe one two", SW_SHOWNORMAL));
}

#ifndef _WIN32
// The smallest file our WinExec takes for a PE image: "MZ", and "PE\0\0" where its header
// points.
std::string PeStub() {
  std::string image(64, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[60] = 64;
  return image + std::string("PE\0\0", 4);
}

void WriteFile(const fs::path& path, const std::string& text, fs::perms mode) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
  fs::permissions(path, mode);
}

// A stand-in wine that lists its arguments in <itself>.ran (whatever PATH it was given).
void WriteWine(const fs::path& path) {
  WriteFile(path,
            "#!/bin/sh\nPATH=/usr/bin:/bin\n"
            "printf '%s\\n' \"$@\" >\"$0.part\" && mv \"$0.part\" \"$0.ran\"\n",
            fs::perms::owner_all);
}

// Files that cannot run get WinExec's answer at once, whatever is at the path; a PE image
// runs only through a wine found in PATH's absolute directories, never a planted one.
TEST_F(WinExecCopies, WhatCannotRunIsAnsweredAtOnce) {
  const fs::perms readWrite = fs::perms::owner_read | fs::perms::owner_write;
  WriteFile(dir_ / "game.exe", PeStub(), readWrite);
  WriteFile(dir_ / "mz.exe", "MZ not really", readWrite);
  WriteFile(dir_ / "notes.txt", "hello", fs::perms::owner_all & ~fs::perms::owner_exec);
  fs::create_directories(dir_ / "folder" / "brasslantern.exe");
  ASSERT_EQ(0, mkfifo((dir_ / "pipe.exe").c_str(), 0600));
  WriteFile(dir_ / "locked.exe", PeStub(), fs::perms::none);
  // Planted: in the current directory, under a relative PATH entry, and as wine.exe.
  WriteWine(dir_ / "wine");
  WriteWine(dir_ / "rel" / "wine");
  WriteWine(dir_ / "abs" / "wine.exe");

  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  const std::string plantedPath = ":.:rel:" + (dir_ / "abs").string();
  struct Case {
    std::string command;
    std::string path;
    UINT answer;
  };
  const Case cases[] = {
      {"game.exe", plantedPath, ERROR_BAD_FORMAT},
      {"Z:" + (dir_ / "game.exe").string(), plantedPath, ERROR_BAD_FORMAT},
      {"mz.exe", savedPath, ERROR_BAD_FORMAT},
      {"notes.txt", savedPath, ERROR_BAD_FORMAT},
      {dir_.string(), savedPath, ERROR_ACCESS_DENIED},
      {"folder\\brasslantern.exe", savedPath, ERROR_ACCESS_DENIED},
      {"pipe.exe", savedPath, ERROR_ACCESS_DENIED},
      {"locked.exe", savedPath, ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " with PATH=" + c.path);
    if (c.command == "locked.exe" && geteuid() == 0) {
      std::printf("skipped locked.exe: root reads a file without read permission\n");
      continue;
    }
    // Should WinExec open the pipe and wait for a writer, this one lets it go on, so the
    // fault shows as a wrong answer rather than a test that never ends.
    std::thread writer([&] {
      if (c.command != "pipe.exe") return;
      int fd = open("pipe.exe", O_WRONLY);
      if (fd >= 0) close(fd);
    });
    setenv("PATH", c.path.c_str(), 1);
    EXPECT_EQ(c.answer, WinExec(c.command.c_str(), SW_SHOWNORMAL));
    setenv("PATH", savedPath.c_str(), 1);
    // Held open until the writer is through, however late it started.
    const int reader = c.command == "pipe.exe" ? open("pipe.exe", O_RDONLY | O_NONBLOCK) : -1;
    writer.join();
    if (reader >= 0) close(reader);
  }
  for (const char* planted : {"wine.ran", "rel/wine.ran", "abs/wine.exe.ran"})
    EXPECT_FALSE(fs::exists(dir_ / planted)) << planted;
}

// A wine from PATH gets the game's path in a form it cannot take for an option.
TEST_F(WinExecCopies, WineTakesTheGamePathNeverAsAnOption) {
  WriteFile(dir_ / "-game.exe", PeStub(), fs::perms::owner_read | fs::perms::owner_write);
  WriteWine(dir_ / "bin" / "wine");
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  setenv("PATH", (dir_ / "bin").c_str(), 1);
  const UINT result = WinExec("-game.exe two", SW_SHOWNORMAL);
  setenv("PATH", savedPath.c_str(), 1);
  ASSERT_GT(result, 31u);
  EXPECT_EQ("./-game.exe\ntwo\n", ReadWhenPresent((dir_ / "bin" / "wine.ran").string()));
}

// The child inherits no descriptor beyond 0 to 2 and none of our own settings; the show
// command it gets is the one we give, not ours.
TEST(WinExec, ChildInheritsOnlyWhatIsItsOwn) {
  const std::string report =
      (fs::temp_directory_path() / ("winexec_inherit_" + std::to_string(getpid()))).string();
  std::remove(report.c_str());
  const int leaked = open("/dev/null", O_RDONLY);  // not close-on-exec
  ASSERT_GE(leaked, 3);
  std::vector<std::pair<std::string, std::string>> saved;
  for (const auto& [name, value] : kSettings) {
    const char* old = std::getenv(name);
    saved.emplace_back(name, old ? old : "");
    setenv(name, value, 1);
  }
  SetVariable(kInheritVariable, report);
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const UINT result = WinExec(self.c_str(), SW_SHOWMINNOACTIVE);
  SetVariable(kInheritVariable, "");
  for (const auto& [name, value] : saved) SetVariable(name.c_str(), value);
  close(leaked);
  ASSERT_GT(result, 31u);
  EXPECT_EQ("descriptors 0 1 2\nLAUNCHER_SHOWWINDOW=7\nLAUNCHER_STANDIN_LOG=kept\n",
            ReadWhenPresent(report));
  std::remove(report.c_str());
}
#endif

}  // namespace
