// CharLowerA/CharUpperA and friends: bytes are taken through the ANSI code
// page to characters, mapped, and stored back when the code page has the
// result (so 0xFF 'y-diaeresis' uppercases to 0x9F in 1252, as on Windows).
#include <cstring>

#include "platform/linux/kernel/codepage_tables.h"
#include "platform/win32.h"

namespace {

using linux_kernel::SingleByteCodePage;

void MapBytes(char* text, DWORD length, char16_t (*map)(char16_t)) {
  const SingleByteCodePage* page = linux_kernel::FindSingleByteCodePage(CP_ACP);
  for (DWORD i = 0; i < length; ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    unsigned char mapped;
    if (linux_kernel::CharToByte(*page, map(linux_kernel::ByteToChar(*page, byte)), &mapped)) {
      text[i] = static_cast<char>(mapped);
    }
  }
}

// Shared by CharLowerA/CharUpperA: a "pointer" whose high bits are zero
// carries one character in its low byte and gets the mapped character back.
LPSTR MapString(LPSTR text, char16_t (*map)(char16_t)) {
  if (IS_INTRESOURCE(text)) {
    char ch = static_cast<char>(reinterpret_cast<ULONG_PTR>(text) & 0xFF);
    MapBytes(&ch, 1, map);
    return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(ch)));
  }
  MapBytes(text, DWORD(std::strlen(text)), map);
  return text;
}

}  // namespace

extern "C" {

LPSTR WINAPI CharLowerA(LPSTR lpsz) { return MapString(lpsz, linux_kernel::ToLowerChar); }
LPSTR WINAPI CharUpperA(LPSTR lpsz) { return MapString(lpsz, linux_kernel::ToUpperChar); }

DWORD WINAPI CharLowerBuffA(LPSTR lpsz, DWORD cchLength) {
  if (!lpsz) return 0;
  MapBytes(lpsz, cchLength, linux_kernel::ToLowerChar);
  return cchLength;
}

DWORD WINAPI CharUpperBuffA(LPSTR lpsz, DWORD cchLength) {
  if (!lpsz) return 0;
  MapBytes(lpsz, cchLength, linux_kernel::ToUpperChar);
  return cchLength;
}

BOOL WINAPI OemToCharBuffA(LPCSTR lpszSrc, LPSTR lpszDst, DWORD cchDstLength) {
  if (!lpszSrc || !lpszDst) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const SingleByteCodePage* oem = linux_kernel::FindSingleByteCodePage(CP_OEMCP);
  const SingleByteCodePage* ansi = linux_kernel::FindSingleByteCodePage(CP_ACP);
  for (DWORD i = 0; i < cchDstLength; ++i) {
    auto byte = static_cast<unsigned char>(lpszSrc[i]);
    unsigned char mapped;
    if (!linux_kernel::CharToByte(*ansi, linux_kernel::ByteToChar(*oem, byte), &mapped)) {
      mapped = '?';
    }
    lpszDst[i] = static_cast<char>(mapped);
  }
  return TRUE;
}

BOOL WINAPI OemToCharA(LPCSTR pSrc, LPSTR pDst) {
  if (!pSrc || !pDst) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Includes the terminating zero; source and destination may be the same.
  return OemToCharBuffA(pSrc, pDst, DWORD(std::strlen(pSrc)) + 1);
}

int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? int(std::strlen(lpString)) : 0; }

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (!lpString1 || iMaxLength <= 0) return lpString1;
  if (!lpString2) lpString2 = "";
  size_t count = strnlen(lpString2, size_t(iMaxLength - 1));
  std::memcpy(lpString1, lpString2, count);
  lpString1[count] = '\0';
  return lpString1;
}

}  // extern "C"
