// This subset has no registry: every key is absent, so readers fall back to
// their defaults. Predefined root keys still close successfully.
#include "platform/win32.h"

namespace {

bool IsPredefined(HKEY key) {
  auto value = reinterpret_cast<ULONG_PTR>(key) & 0xFFFFFFFFu;
  return value >= 0x80000000u && value <= 0x80000006u;
}

}  // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
  (void)hKey;
  (void)lpSubKey;
  (void)ulOptions;
  (void)samDesired;
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
  (void)lpValueName;
  (void)lpReserved;
  (void)lpType;
  (void)lpData;
  (void)lpcbData;
  return IsPredefined(hKey) ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  return IsPredefined(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // extern "C"
