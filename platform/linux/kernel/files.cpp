// Files and child processes behind kernel handles. A handle is a pointer to a record
// kept in a set of live ones, so a closed or foreign handle is refused, not followed.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/kernel/command_line.h"
#include "platform/win32.h"

extern char** environ;

namespace {

struct KernelObject {
  int fd = -1;    // a file
  pid_t pid = 0;  // a child process
  bool exited = false;
  int exitCode = 0;
};

struct Handles {
  std::mutex lock;
  std::set<KernelObject*> live;
};

Handles& TheHandles() {
  static auto* handles = new Handles;
  return *handles;
}

HANDLE Add(std::unique_ptr<KernelObject> object) {
  Handles& h = TheHandles();
  std::lock_guard guard(h.lock);
  KernelObject* raw = object.release();
  h.live.insert(raw);
  return raw;
}

KernelObject* Find(HANDLE handle) {
  Handles& h = TheHandles();
  std::lock_guard guard(h.lock);
  auto* object = static_cast<KernelObject*>(handle);
  if (!h.live.count(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EMFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  (void)dwShareMode;
  (void)lpSecurityAttributes;
  (void)dwFlagsAndAttributes;
  (void)hTemplateFile;
  if (!lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const bool read = dwDesiredAccess & GENERIC_READ, write = dwDesiredAccess & GENERIC_WRITE;
  int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
  switch (dwCreationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      flags |= O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  const int fd = open(linux_kernel::ToUnixPath(lpFileName).c_str(), flags, 0666);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  auto object = std::make_unique<KernelObject>();
  object->fd = fd;
  return Add(std::move(object));
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, void* lpOverlapped) {
  (void)lpOverlapped;
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  KernelObject* file = Find(hFile);
  if (!file || file->fd < 0) return FALSE;
  ssize_t got;
  do {
    got = read(file->fd, lpBuffer, nNumberOfBytesToRead);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = static_cast<DWORD>(got);
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, void* lpOverlapped) {
  (void)lpOverlapped;
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  KernelObject* file = Find(hFile);
  if (!file || file->fd < 0) return FALSE;
  const auto* data = static_cast<const char*>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    const ssize_t n = write(file->fd, data + done, nNumberOfBytesToWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      SetLastError(ErrorFromErrno(errno));
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  KernelObject* object = Find(hObject);
  if (!object) return FALSE;
  {
    Handles& h = TheHandles();
    std::lock_guard guard(h.lock);
    h.live.erase(object);
  }
  if (object->fd >= 0) close(object->fd);
  if (object->pid > 0 && !object->exited) {
    // Nobody will wait for it any more: reap it when it ends, so it leaves no zombie.
    std::thread([pid = object->pid] { waitpid(pid, nullptr, 0); }).detach();
  }
  delete object;
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  if (!lpFileName || unlink(linux_kernel::ToUnixPath(lpFileName).c_str()) != 0) {
    SetLastError(lpFileName ? ErrorFromErrno(errno) : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir && *dir ? dir : "/tmp";
  if (path.back() != '/') path += '/';
  const auto needed = static_cast<DWORD>(path.size());
  if (!lpBuffer || nBufferLength <= needed) return needed + 1;
  std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
  return needed;
}

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation) {
  (void)lpProcessAttributes;
  (void)lpThreadAttributes;
  (void)bInheritHandles;
  (void)dwCreationFlags;
  (void)lpEnvironment;
  (void)lpCurrentDirectory;
  (void)lpStartupInfo;
  std::vector<std::string> args = linux_kernel::SplitArguments(lpCommandLine ? lpCommandLine : "");
  if (lpApplicationName) {
    if (args.empty()) args.emplace_back();
    args[0] = lpApplicationName;
  }
  if (args.empty() || !lpProcessInformation) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  args[0] = linux_kernel::ToUnixPath(args[0]);
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    SetLastError(ErrorFromErrno(error));
    return FALSE;
  }
  auto object = std::make_unique<KernelObject>();
  object->pid = pid;
  std::memset(lpProcessInformation, 0, sizeof *lpProcessInformation);
  lpProcessInformation->hProcess = Add(std::move(object));
  // There is no separate thread object; a second reference to nothing closes cleanly.
  lpProcessInformation->hThread = Add(std::make_unique<KernelObject>());
  lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
  lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  KernelObject* object = Find(hHandle);
  if (!object || object->pid <= 0) return WAIT_FAILED;
  if (object->exited) return WAIT_OBJECT_0;
  int status = 0;
  pid_t done;
  DWORD waited = 0;
  while ((done = waitpid(object->pid, &status, dwMilliseconds == INFINITE ? 0 : WNOHANG)) == 0 ||
         (done < 0 && errno == EINTR)) {
    if (done < 0) continue;
    if (waited >= dwMilliseconds) return WAIT_TIMEOUT;
    usleep(1000);
    ++waited;
  }
  if (done < 0) return WAIT_FAILED;
  object->exited = true;
  object->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  return WAIT_OBJECT_0;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  KernelObject* object = Find(hProcess);
  if (!object || object->pid <= 0 || !lpExitCode) return FALSE;
  *lpExitCode = object->exited ? static_cast<DWORD>(object->exitCode) : 259;  // STILL_ACTIVE
  return TRUE;
}

}  // extern "C"
