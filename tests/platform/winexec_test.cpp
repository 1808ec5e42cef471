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
#include <vector>

#include "platform/win32.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
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
// Native specifics: a PE file needs wine; a file that is neither executable
// nor PE cannot be started.
TEST(WinExec, FilesThatCannotRun) {
  char dirTemplate[] = "/tmp/launcher_winexec_XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dirTemplate));
  const std::string dir = dirTemplate;
  const std::string pe = dir + "/game.exe";
  const std::string text = dir + "/notes.txt";
  std::ofstream(pe) << "MZ not really";
  std::ofstream(text) << "hello";

  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  setenv("PATH", dir.c_str(), 1);  // no wine here
  EXPECT_EQ(UINT(ERROR_BAD_FORMAT), WinExec(("Z:" + pe).c_str(), SW_SHOWNORMAL));
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(UINT(ERROR_BAD_FORMAT), WinExec(text.c_str(), SW_SHOWNORMAL));
  EXPECT_EQ(UINT(ERROR_FILE_NOT_FOUND), WinExec(dir.c_str(), SW_SHOWNORMAL));  // a directory

  std::remove(pe.c_str());
  std::remove(text.c_str());
  rmdir(dir.c_str());
}
#endif

}  // namespace
