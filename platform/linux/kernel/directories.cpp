// The current directory and making and removing directories. Paths may come in Windows
// form ("Z:\dir" or "dir\sub"), as the framework builds them.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/linux/kernel/command_line.h"
#include "platform/win32.h"

namespace {

DWORD DirectoryError(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_PATH_NOT_FOUND;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENOTDIR:
      return ERROR_DIRECTORY;
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

BOOL Done(int result) {
  if (result == 0) return TRUE;
  SetLastError(DirectoryError(errno));
  return FALSE;
}

}  // namespace

extern "C" {

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  std::string path;
  for (size_t size = 256;; size *= 2) {
    path.resize(size);
    if (getcwd(path.data(), size)) break;
    if (errno != ERANGE) {
      SetLastError(DirectoryError(errno));
      return 0;
    }
  }
  path.resize(std::strlen(path.c_str()));
  const auto needed = static_cast<DWORD>(path.size());
  // Too small a buffer: the size it needs, terminator included, and nothing written.
  if (!lpBuffer || nBufferLength <= needed) return needed + 1;
  std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
  return needed;
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
  if (!lpPathName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Done(chdir(linux_kernel::ToUnixPath(lpPathName).c_str()));
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
  if (!lpPathName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Done(mkdir(linux_kernel::ToUnixPath(lpPathName).c_str(), 0777));
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  if (!lpPathName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Done(rmdir(linux_kernel::ToUnixPath(lpPathName).c_str()));
}

}  // extern "C"
