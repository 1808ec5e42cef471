// Module handles and names, procedure look-up, process queries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/win32.h"

namespace {

TEST(Module, HandlesForTheProgramAndSystemDlls) {
  HMODULE main = GetModuleHandleA(nullptr);
  ASSERT_NE(nullptr, main);
  HMODULE user = GetModuleHandleA("user32.dll");
  ASSERT_NE(nullptr, user);
  EXPECT_NE(main, user);
  EXPECT_EQ(user, GetModuleHandleA("USER32"));  // case-insensitive, ".dll" implied
  EXPECT_NE(nullptr, GetModuleHandleA("kernel32.dll"));
  EXPECT_NE(nullptr, GetModuleHandleA("advapi32.dll"));

  SetLastError(0);
  EXPECT_EQ(nullptr, GetModuleHandleA("launcher_no_such_module.dll"));
  EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST(Module, UnknownProceduresAreNotFound) {
  SetLastError(0);
  EXPECT_EQ(nullptr, GetProcAddress(GetModuleHandleA("user32.dll"), "LauncherNoSuchFunction"));
  EXPECT_EQ(DWORD(ERROR_PROC_NOT_FOUND), GetLastError());
}

TEST(Module, FileNameInWindowsForm) {
  char path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(length, 3u);
  EXPECT_EQ(std::strlen(path), length);
  EXPECT_EQ(':', path[1]);
  EXPECT_EQ('\\', path[2]);
  EXPECT_EQ(nullptr, std::strchr(path, '/'));
  std::string name = std::strrchr(path, '\\') + 1;
  EXPECT_TRUE(name == "platform_tests" || name == "platform_tests.exe") << name;
  EXPECT_EQ(length, GetModuleFileNameA(GetModuleHandleA(nullptr), path, sizeof path));
}

TEST(Module, FileNameTruncatedToTheBuffer) {
  char full[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
  char small[8];
  std::memset(small, 'x', sizeof small);
  SetLastError(0);
  EXPECT_EQ(5u, GetModuleFileNameA(nullptr, small, 5));
  EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(0, std::memcmp(full, small, 4));
  EXPECT_EQ('x', small[5]);
#ifndef _WIN32
  // Current Windows terminates the cut name (older systems and Wine leave it
  // unterminated); we terminate it.
  EXPECT_EQ('\0', small[4]);
#endif

  // Exactly the length still lacks room for the terminator.
  std::string exact(length, 'x');
  SetLastError(0);
  EXPECT_EQ(length, GetModuleFileNameA(nullptr, exact.data(), length));
  EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST(Process, Identity) {
  EXPECT_NE(0u, GetCurrentProcessId());
  DWORD main = GetCurrentThreadId();
  DWORD other = main;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(main, other);

  DWORD version = GetVersion();
  EXPECT_EQ(0u, version & 0x80000000u);  // NT family
  EXPECT_GE(LOBYTE(LOWORD(version)), 5);
}

TEST(Process, StartupInfo) {
  STARTUPINFOA info;
  std::memset(&info, 0xCC, sizeof info);
  GetStartupInfoA(&info);
  EXPECT_EQ(sizeof info, info.cb);
#ifndef _WIN32
  if (!std::getenv("LAUNCHER_SHOWWINDOW")) {
    EXPECT_EQ(0u, info.dwFlags);
    EXPECT_EQ(0, info.wShowWindow);
  }
#endif
}

TEST(Registry, MissingKeysAreNotFound) {
  HKEY key = nullptr;
  EXPECT_EQ(
      ERROR_FILE_NOT_FOUND,
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\LauncherNoSuchKey\\Sub", 0, KEY_READ, &key));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_LOCAL_MACHINE));
}

TEST(SystemMessage, TextsForOurErrorCodes) {
  char text[256];
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  for (DWORD code :
       {ERROR_FILE_NOT_FOUND, ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER,
        ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_DATA_NOT_FOUND,
        ERROR_NOT_ENOUGH_MEMORY, ERROR_PROC_NOT_FOUND, ERROR_MOD_NOT_FOUND, ERROR_INVALID_HANDLE}) {
    DWORD length = FormatMessageA(flags, nullptr, code, 0, text, sizeof text, nullptr);
    ASSERT_GT(length, 2u) << code;
    EXPECT_EQ(std::strlen(text), length);
    EXPECT_STREQ("\r\n", text + length - 2) << code;
  }
#ifndef _WIN32
  FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, 0, text, sizeof text, nullptr);
  EXPECT_STREQ("The system cannot find the file specified.\r\n", text);
  FormatMessageA(flags, nullptr, ERROR_RESOURCE_NAME_NOT_FOUND, 0, text, sizeof text, nullptr);
  EXPECT_STREQ("The specified resource name cannot be found in the image file.\r\n", text);
#endif
}

TEST(SystemMessage, UnknownCodesAndShortBuffers) {
  char text[256];
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  // A width limit turns line breaks into spaces.
  DWORD length = FormatMessageA(flags | FORMAT_MESSAGE_MAX_WIDTH_MASK, nullptr,
                                ERROR_FILE_NOT_FOUND, 0, text, sizeof text, nullptr);
  ASSERT_GT(length, 1u);
  EXPECT_EQ(nullptr, std::strchr(text, '\n'));
  EXPECT_EQ(' ', text[length - 1]);
  SetLastError(0);
  EXPECT_EQ(0u, FormatMessageA(flags, nullptr, 0x2FFFFFF0, 0, text, sizeof text, nullptr));
  EXPECT_EQ(DWORD(ERROR_MR_MID_NOT_FOUND), GetLastError());
  SetLastError(0);
  EXPECT_EQ(0u, FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, 0, text, 4, nullptr));
  EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());

  LPSTR allocated = nullptr;
  length = FormatMessageA(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, ERROR_FILE_NOT_FOUND, 0,
                          reinterpret_cast<LPSTR>(&allocated), 0, nullptr);
  ASSERT_NE(nullptr, allocated);
  EXPECT_EQ(std::strlen(allocated), length);
  LocalFree(allocated);
}

}  // namespace
