// Module handles, names and procedure look-up.
#include "platform/linux/kernel/modules.h"

#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace linux_kernel {
namespace {

// The handles are the addresses of these objects: unique, never dereferenced.
struct ModuleTag {
  const char* fileName;
};
ModuleTag mainModule{nullptr};
ModuleTag systemDlls[] = {
    {"kernel32.dll"}, {"user32.dll"},   {"gdi32.dll"},
    {"advapi32.dll"}, {"comctl32.dll"}, {"ntdll.dll"},
};

HMODULE HandleOf(ModuleTag& tag) { return reinterpret_cast<HMODULE>(&tag); }

// The running program's path in Windows form: "/a/b" becomes "Z:\a\b", in the
// ANSI code page. Empty when /proc cannot tell.
std::string ProgramPath() {
  std::string unixPath(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", unixPath.data(), unixPath.size());
  if (length <= 0) return {};
  unixPath.resize(size_t(length));
  // File names are UTF-8 on Linux; the A functions speak the ANSI code page.
  std::u16string wide(unixPath.size(), u'\0');
  int units = MultiByteToWideChar(CP_UTF8, 0, unixPath.data(), int(unixPath.size()),
                                  reinterpret_cast<LPWSTR>(wide.data()), int(wide.size()));
  std::string ansi(size_t(units), '\0');
  WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide.data()), units, ansi.data(),
                      int(ansi.size()), nullptr, nullptr);
  std::string windowsPath = "Z:";
  for (char c : ansi) windowsPath += c == '/' ? '\\' : c;
  return windowsPath;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Finds a module by the name LoadLibrary/GetModuleHandle accept: a file name,
// with or without directory, with ".dll" implied when there is no extension.
HMODULE FindModule(LPCSTR name) {
  std::string file = BaseName(name);
  if (file.find('.') == std::string::npos) file += ".dll";
  for (ModuleTag& dll : systemDlls) {
    if (strcasecmp(dll.fileName, file.c_str()) == 0) return HandleOf(dll);
  }
  if (strcasecmp(BaseName(ProgramPath()).c_str(), BaseName(name).c_str()) == 0) {
    return HandleOf(mainModule);
  }
  return nullptr;
}

}  // namespace

HMODULE MainModule() { return HandleOf(mainModule); }

bool IsMainModule(HMODULE module) { return module == nullptr || module == MainModule(); }

const char* SystemDllName(HMODULE module) {
  for (ModuleTag& dll : systemDlls) {
    if (module == HandleOf(dll)) return dll.fileName;
  }
  return nullptr;
}

}  // namespace linux_kernel

extern "C" {

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path;
  if (linux_kernel::IsMainModule(hModule)) {
    path = linux_kernel::ProgramPath();
  } else if (const char* dll = linux_kernel::SystemDllName(hModule)) {
    path = std::string("C:\\windows\\system32\\") + dll;
  } else {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (nSize == 0 || !lpFilename) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < nSize) {
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return DWORD(path.size());
  }
  // Too small: as much as fits, still terminated, and the full buffer size returned.
  std::memcpy(lpFilename, path.data(), nSize - 1);
  lpFilename[nSize - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return nSize;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (!lpModuleName) return linux_kernel::MainModule();
  HMODULE module = linux_kernel::FindModule(lpModuleName);
  if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return GetModuleHandleA(lpLibFileName);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  if (hLibModule == linux_kernel::MainModule() || linux_kernel::SystemDllName(hLibModule))
    return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  const char* dll = linux_kernel::SystemDllName(hModule);
  if (!dll && !linux_kernel::IsMainModule(hModule)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // Look-up by ordinal is not supported: no table here has ordinals.
  if (dll && lpProcName && !IS_INTRESOURCE(lpProcName)) {
    for (unsigned i = 0; i < linux_kernel::kProcTableSize; ++i) {
      const linux_kernel::ProcEntry& entry = linux_kernel::kProcTable[i];
      // Export names are case-sensitive.
      if (entry.address && std::strcmp(entry.dll, dll) == 0 &&
          std::strcmp(entry.name, lpProcName) == 0) {
        return entry.address;
      }
    }
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

}  // extern "C"
