// GetACP/GetOEMCP, code page lookup and single-character helpers.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "platform/linux/kernel/codepage_tables.h"
#include "platform/linux/kernel/test_overrides.h"
#include "platform/win32.h"

namespace linux_kernel {
namespace {

const SingleByteCodePage kPages[] = {
    {1252, kCp1252},
    {1251, kCp1251},
    {437, kCp437},
    {866, kCp866},
};

const char* NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// The locale decides as POSIX does: LC_ALL, then LC_CTYPE, then LANG.
bool LocaleIsRussian() {
  const char* locale = NonEmptyEnv("LC_ALL");
  if (!locale) locale = NonEmptyEnv("LC_CTYPE");
  if (!locale) locale = NonEmptyEnv("LANG");
  if (!locale || std::strncmp(locale, "ru", 2) != 0) return false;
  char next = locale[2];
  return next == '\0' || next == '_' || next == '.' || next == '@';
}

}  // namespace

UINT ResolveCodePage(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
      return GetACP();
    case CP_OEMCP:
      return GetOEMCP();
    default:
      return codePage;
  }
}

const SingleByteCodePage* FindSingleByteCodePage(UINT codePage) {
  codePage = ResolveCodePage(codePage);
  for (const SingleByteCodePage& page : kPages) {
    if (page.id == codePage) return &page;
  }
  return nullptr;
}

char16_t ByteToChar(const SingleByteCodePage& page, unsigned char byte) {
  return byte < 0x80 ? char16_t(byte) : page.high[byte - 0x80];
}

bool CharToByte(const SingleByteCodePage& page, char16_t ch, unsigned char* byte) {
  if (ch < 0x80) {
    *byte = static_cast<unsigned char>(ch);
    return true;
  }
  // Each page's upper half sorted by character (lowest byte first among equals), so text
  // converts by binary search rather than a scan of 128 entries per character.
  using Reverse = std::array<std::pair<char16_t, unsigned char>, 128>;
  static const auto reverse = [] {
    std::array<Reverse, std::size(kPages)> all{};
    for (size_t p = 0; p < std::size(kPages); ++p) {
      for (int i = 0; i < 128; ++i) {
        all[p][i] = {kPages[p].high[i], static_cast<unsigned char>(0x80 + i)};
      }
      std::sort(all[p].begin(), all[p].end());
    }
    return all;
  }();
  const Reverse& table = reverse[static_cast<size_t>(&page - kPages)];
  const auto it = std::lower_bound(table.begin(), table.end(), std::make_pair(ch, uint8_t{0}));
  if (it == table.end() || it->first != ch) return false;
  *byte = it->second;
  return true;
}

char16_t ToUpperChar(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? char16_t(c - 0x20) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 0x20);
  if (c == 0xFF) return 0x178;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    return (c & 1) ? char16_t(c - 1) : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    return (c & 1) ? c : char16_t(c - 1);
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return char16_t(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
    return (c & 1) ? char16_t(c - 1) : c;
  return c;
}

char16_t ToLowerChar(char16_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? char16_t(c + 0x20) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 0x20);
  if (c == 0x178) return 0xFF;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    return (c & 1) ? c : char16_t(c + 1);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    return (c & 1) ? char16_t(c + 1) : c;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return char16_t(c + 0x20);
  if (c >= 0x410 && c <= 0x42F) return char16_t(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return char16_t(c + 0x50);
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
    return (c & 1) ? c : char16_t(c + 1);
  return c;
}

}  // namespace linux_kernel

extern "C" {

UINT WINAPI GetACP(void) {
  // Read on every call (not cached) so tests can switch the override; the
  // framework itself takes the code page once at start-up.
  const char* forced =
      linux_kernel::TestOverridesEnabled() ? linux_kernel::NonEmptyEnv("LAUNCHER_ACP") : nullptr;
  if (forced && std::strcmp(forced, "1251") == 0) return 1251;
  if (forced && std::strcmp(forced, "1252") == 0) return 1252;
  return linux_kernel::LocaleIsRussian() ? 1251 : 1252;
}

UINT WINAPI GetOEMCP(void) { return GetACP() == 1251 ? 866 : 437; }

BOOL WINAPI IsDBCSLeadByte(BYTE /*TestChar*/) { return FALSE; }

LCID WINAPI GetUserDefaultLCID(void) {
  return GetACP() == 1251 ? MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT)
                          : MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), SORT_DEFAULT);
}

LCID WINAPI GetThreadLocale(void) { return GetUserDefaultLCID(); }

BOOL WINAPI SetThreadLocale(LCID Locale) {
  if (Locale == LOCALE_USER_DEFAULT || Locale == GetUserDefaultLCID()) return TRUE;
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // extern "C"
