// MultiByteToWideChar / WideCharToMultiByte for the single-byte code pages
// and UTF-8. Both run the conversion once into a counting sink, so size
// queries and real conversions take the same path.
#include <cstring>

#include "platform/linux/kernel/codepage_tables.h"
#include "platform/win32.h"

namespace {

using linux_kernel::SingleByteCodePage;

// Counts units and stores them while there is room; `overflow` records that
// the caller's buffer was too small.
template <typename Unit>
struct Sink {
  Unit* out;
  int capacity;  // 0 = size query
  int count = 0;
  bool overflow = false;

  void Put(Unit u) {
    if (capacity != 0) {
      if (count >= capacity) {
        overflow = true;
        return;
      }
      out[count] = u;
    }
    ++count;
  }
};

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence starting at s[i]. Returns the code point and
// advances i; an ill-formed sequence yields -1 and advances past its maximal
// valid prefix (at least one byte), so each bad stretch becomes one U+FFFD.
int32_t DecodeUtf8(const unsigned char* s, int n, int& i) {
  unsigned char b = s[i++];
  if (b < 0x80) return b;
  int extra;
  int32_t cp;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    extra = 1;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;  // no encoded surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return -1;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= n || s[i] < lo || s[i] > hi) return -1;
    cp = (cp << 6) | (s[i++] & 0x3F);
    lo = 0x80;
    hi = 0xBF;
  }
  return cp;
}

// Windows' "best fit": an accented Latin letter the code page lacks becomes
// its plain ASCII letter, in the same case. Returns 0 when there is none.
char BestFit(char16_t ch) {
  // Base letters of U+00C0..U+00FF and U+0100..U+017F ('*' = none).
  static constexpr char kLatin1[] =
      "AAAAAAACEEEEIIIIDNOOOOO*OUUUUY**aaaaaaaceeeeiiiidnooooo*ouuuuy*y";
  static constexpr char kExtendedA[] =
      "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRr"
      "SsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
  static_assert(sizeof kLatin1 == 0x40 + 1 && sizeof kExtendedA == 0x80 + 1);
  char base = '*';
  if (ch >= 0xC0 && ch <= 0xFF) base = kLatin1[ch - 0xC0];
  if (ch >= 0x100 && ch <= 0x17F) base = kExtendedA[ch - 0x100];
  return base == '*' ? 0 : base;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The flags and default-character arguments WideCharToMultiByte refuses for a code page:
// the error to report, or 0.
DWORD WideToMultiByteArgumentError(UINT page, DWORD flags, LPCCH defaultChar,
                                   LPBOOL usedDefaultChar) {
  if (page != CP_UTF8)
    return (flags & ~DWORD(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR |
                           WC_NO_BEST_FIT_CHARS))
               ? ERROR_INVALID_FLAGS
               : 0;
  if (flags & ~DWORD(WC_ERR_INVALID_CHARS)) return ERROR_INVALID_FLAGS;
  // UTF-8 has no default character.
  return defaultChar || usedDefaultChar ? ERROR_INVALID_PARAMETER : 0;
}

// Each character as its byte in the code page, its best fit, or the default character;
// true when the default character was used.
bool EncodeSingleByte(const SingleByteCodePage& table, const WCHAR* text, int length, DWORD flags,
                      char defaultChar, Sink<char>& sink) {
  bool usedDefault = false;
  for (int i = 0; i < length; ++i) {
    unsigned char byte;
    char fit = 0;
    if (linux_kernel::CharToByte(table, text[i], &byte)) {
      sink.Put(static_cast<char>(byte));
    } else if (!(flags & WC_NO_BEST_FIT_CHARS) && (fit = BestFit(text[i])) != 0) {
      sink.Put(fit);
    } else {
      usedDefault = true;
      sink.Put(defaultChar);
      // A surrogate pair is one character: one default character for both halves.
      if (IsHighSurrogate(text[i]) && i + 1 < length && IsLowSurrogate(text[i + 1])) ++i;
    }
  }
  return usedDefault;
}

void PutUtf8(uint32_t cp, Sink<char>& sink) {
  if (cp < 0x80) {
    sink.Put(char(cp));
  } else if (cp < 0x800) {
    sink.Put(char(0xC0 | (cp >> 6)));
    sink.Put(char(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    sink.Put(char(0xE0 | (cp >> 12)));
    sink.Put(char(0x80 | ((cp >> 6) & 0x3F)));
    sink.Put(char(0x80 | (cp & 0x3F)));
  } else {
    sink.Put(char(0xF0 | (cp >> 18)));
    sink.Put(char(0x80 | ((cp >> 12) & 0x3F)));
    sink.Put(char(0x80 | ((cp >> 6) & 0x3F)));
    sink.Put(char(0x80 | (cp & 0x3F)));
  }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD, or fails the conversion (false) with
// WC_ERR_INVALID_CHARS.
bool EncodeUtf8(const WCHAR* text, int length, DWORD flags, Sink<char>& sink) {
  for (int i = 0; i < length; ++i) {
    uint32_t cp = text[i];
    if (IsHighSurrogate(char16_t(cp)) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(char16_t(cp)) || IsLowSurrogate(char16_t(cp))) {
      if (flags & WC_ERR_INVALID_CHARS) return false;
      cp = kReplacement;
    }
    PutUtf8(cp, sink);
  }
  return true;
}

}  // namespace

extern "C" {

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && !lpWideCharStr) ||
      (cchWideChar > 0 && static_cast<const void*>(lpMultiByteStr) == lpWideCharStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT page = linux_kernel::ResolveCodePage(CodePage);
  const SingleByteCodePage* table = linux_kernel::FindSingleByteCodePage(page);
  if (!table && page != CP_UTF8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD allowed =
      page == CP_UTF8 ? MB_ERR_INVALID_CHARS
                      : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((dwFlags & ~allowed) || ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE))) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const auto* src = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
  const int length = cbMultiByte == -1 ? int(std::strlen(lpMultiByteStr)) + 1 : cbMultiByte;
  Sink<WCHAR> sink{lpWideCharStr, cchWideChar};
  if (table) {
    for (int i = 0; i < length; ++i) sink.Put(linux_kernel::ByteToChar(*table, src[i]));
  } else {
    for (int i = 0; i < length;) {
      int32_t cp = DecodeUtf8(src, length, i);
      if (cp < 0) {
        if (dwFlags & MB_ERR_INVALID_CHARS) {
          SetLastError(ERROR_NO_UNICODE_TRANSLATION);
          return 0;
        }
        sink.Put(kReplacement);
      } else if (cp >= 0x10000) {
        cp -= 0x10000;
        sink.Put(char16_t(0xD800 + (cp >> 10)));
        sink.Put(char16_t(0xDC00 + (cp & 0x3FF)));
      } else {
        sink.Put(char16_t(cp));
      }
    }
  }
  if (sink.overflow) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  return sink.count;
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
  if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && !lpMultiByteStr) ||
      (cbMultiByte > 0 && static_cast<const void*>(lpWideCharStr) == lpMultiByteStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT page = linux_kernel::ResolveCodePage(CodePage);
  const SingleByteCodePage* table = linux_kernel::FindSingleByteCodePage(page);
  if (!table && page != CP_UTF8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (DWORD error = WideToMultiByteArgumentError(page, dwFlags, lpDefaultChar, lpUsedDefaultChar)) {
    SetLastError(error);
    return 0;
  }
  int length = cchWideChar;
  if (length == -1) {
    length = 0;
    while (lpWideCharStr[length]) ++length;
    ++length;
  }
  Sink<char> sink{lpMultiByteStr, cbMultiByte};
  if (table) {
    const bool usedDefault = EncodeSingleByte(*table, lpWideCharStr, length, dwFlags,
                                              lpDefaultChar ? *lpDefaultChar : '?', sink);
    if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault;
  } else if (!EncodeUtf8(lpWideCharStr, length, dwFlags, sink)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (sink.overflow) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  return sink.count;
}

}  // extern "C"
