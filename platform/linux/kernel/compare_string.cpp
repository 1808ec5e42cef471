// CompareStringA: a small linguistic ("word sort") comparison in the manner of
// Windows, enough for Latin, Greek and Cyrillic text. Strings are compared
// first by letters and digits (accents and case ignored), then by accents,
// then by case, lower before upper; hyphens and apostrophes only decide
// between otherwise equal strings, unless SORT_STRINGSORT makes them symbols.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/kernel/codepage_tables.h"
#include "platform/win32.h"

namespace {

constexpr DWORD kLinguisticIgnoreCase = 0x00000010;
constexpr DWORD kLinguisticIgnoreDiacritic = 0x00000020;
constexpr DWORD kIgnoreKanaType = 0x00010000;
constexpr DWORD kIgnoreWidth = 0x00020000;
constexpr DWORD kLinguisticCasing = 0x08000000;
constexpr DWORD kAllowedFlags = NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS |
                                SORT_STRINGSORT | kLinguisticIgnoreCase |
                                kLinguisticIgnoreDiacritic | kIgnoreKanaType | kIgnoreWidth |
                                kLinguisticCasing;

// Base letters of U+0100..U+017F, in code order.
constexpr std::string_view kLatinExtendedBase =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrr"
    "ssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(kLatinExtendedBase.size() == 0x80);
// Base letters of U+00E0..U+00FF ('*' = no base letter).
constexpr std::string_view kLatin1Base = "aaaaaaaceeeeiiiidnooooo*ouuuuy*y";
static_assert(kLatin1Base.size() == 0x20);

struct Weight {
  int primary;
  int secondary;  // accent
  int tertiary;   // case
};

// 0: ignored entirely, 1: ignored unless nothing else differs, 2: weighed.
int Classify(char16_t c, DWORD flags) {
  if (c == 0 || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return 0;
  if (!(flags & SORT_STRINGSORT) &&
      (c == '-' || c == '\'' || c == 0xAD || c == 0x2010 || c == 0x2011)) {
    return 1;
  }
  return 2;
}

char BaseLatin(char16_t lower) {
  if (lower >= 'a' && lower <= 'z') return char(lower);
  if (lower == 0xDF) return 's';
  if (lower >= 0xE0 && lower <= 0xFF)
    return kLatin1Base[lower - 0xE0] == '*' ? 0 : kLatin1Base[lower - 0xE0];
  if (lower >= 0x100 && lower <= 0x17F) return kLatinExtendedBase[lower - 0x100];
  return 0;
}

bool IsSymbol(char16_t c) {
  if (c < 0x80)
    return !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
  if (c < 0xC0) return c != 0xAA && c != 0xB5 && c != 0xBA;
  if (c == 0xD7 || c == 0xF7) return true;
  return c >= 0x2000 && c <= 0x2BFF;  // punctuation, currency, arrows, maths, box drawing
}

Weight WeighChar(char16_t c) {
  char16_t lower = linux_kernel::ToLowerChar(c);
  int caseWeight = lower != c ? 1 : 0;
  if (c >= '0' && c <= '9') return {0x8000 + (c - '0'), 0, 0};
  if (IsSymbol(c)) return {0x100 + c, 0, 0};
  if (char base = BaseLatin(lower)) {
    return {0x10000 + (base - 'a') * 2, char16_t(base) == lower ? 0 : lower, caseWeight};
  }
  if (lower == 0xFE) return {0x10000 + 26 * 2, 0, caseWeight};      // thorn sorts after z
  if (lower == 0x451) return {0x30000 + 0x435, 0x451, caseWeight};  // yo is e with an accent
  if (lower >= 0x370 && lower <= 0x3FF) return {0x20000 + lower, 0, caseWeight};
  if (lower >= 0x400 && lower <= 0x4FF) return {0x30000 + lower, 0, caseWeight};
  return {0x40000 + lower, 0, caseWeight};
}

struct SortKey {
  std::vector<Weight> weights;
  std::vector<std::pair<int, char16_t>> late;  // (position, char) of word-sort ignorables
};

SortKey MakeKey(const std::u16string& text, DWORD flags) {
  SortKey key;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    switch (Classify(c, flags)) {
      case 0:
        break;
      case 1:
        key.late.emplace_back(int(i), c);
        break;
      default:
        if ((flags & NORM_IGNORESYMBOLS) && IsSymbol(c)) break;
        key.weights.push_back(WeighChar(c));
    }
  }
  return key;
}

template <typename T, typename Get>
int CompareLevel(const std::vector<T>& a, const std::vector<T>& b, Get get) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto x = get(a[i]);
    auto y = get(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

std::u16string ToWide(LPCSTR text, int count) {
  size_t length = count < 0 ? std::strlen(text) : strnlen(text, size_t(count));
  std::u16string wide(length, u'\0');
  if (length != 0) {
    MultiByteToWideChar(CP_ACP, 0, text, int(length), reinterpret_cast<LPWSTR>(wide.data()),
                        int(length));
  }
  return wide;
}

}  // namespace

extern "C" int WINAPI CompareStringA(LCID Locale, DWORD dwCmpFlags, PCNZCH lpString1, int cchCount1,
                                     PCNZCH lpString2, int cchCount2) {
  (void)Locale;  // one collation for every locale
  if (!lpString1 || !lpString2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (dwCmpFlags & ~kAllowedFlags) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const SortKey a = MakeKey(ToWide(lpString1, cchCount1), dwCmpFlags);
  const SortKey b = MakeKey(ToWide(lpString2, cchCount2), dwCmpFlags);
  const bool ignoreAccents = dwCmpFlags & (NORM_IGNORENONSPACE | kLinguisticIgnoreDiacritic);
  const bool ignoreCase = dwCmpFlags & (NORM_IGNORECASE | kLinguisticIgnoreCase);
  int result = CompareLevel(a.weights, b.weights, [](const Weight& w) { return w.primary; });
  if (result == 0 && !ignoreAccents) {
    result = CompareLevel(a.weights, b.weights, [](const Weight& w) { return w.secondary; });
  }
  if (result == 0 && !ignoreCase) {
    result = CompareLevel(a.weights, b.weights, [](const Weight& w) { return w.tertiary; });
  }
  if (result == 0) {
    result = CompareLevel(a.late, b.late, [](const std::pair<int, char16_t>& p) {
      return (int64_t(-p.first) << 16) | p.second;  // an earlier hyphen weighs more
    });
  }
  return result < 0 ? CSTR_LESS_THAN : result > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}
