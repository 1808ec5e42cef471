// String comparison, case mapping, OEM text and MulDiv.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/win32.h"

namespace {

int Compare(const char* a, const char* b, DWORD flags = 0) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a, -1, b, -1);
}

TEST(StringCompare, OrdersLikeADictionary) {
  EXPECT_EQ(CSTR_EQUAL, Compare("Label1", "LABEL1", NORM_IGNORECASE));
  EXPECT_EQ(CSTR_LESS_THAN, Compare("abc", "ABD", NORM_IGNORECASE));
  EXPECT_EQ(CSTR_GREATER_THAN, Compare("b", "A", NORM_IGNORECASE));
  EXPECT_EQ(CSTR_LESS_THAN, Compare("ab", "abc", NORM_IGNORECASE));
  // Letters before case: unlike a byte comparison, "a" < "B" and "B" < "c".
  EXPECT_EQ(CSTR_LESS_THAN, Compare("a", "B"));
  EXPECT_EQ(CSTR_LESS_THAN, Compare("B", "c"));
  // Case decides only between otherwise equal strings, lower case first.
  EXPECT_EQ(CSTR_LESS_THAN, Compare("abc", "ABC"));
  EXPECT_EQ(CSTR_GREATER_THAN, Compare("Abc", "abc"));
  EXPECT_EQ(CSTR_LESS_THAN, Compare("9", "a"));
  // Blanks and punctuation come before digits and letters...
  EXPECT_EQ(CSTR_LESS_THAN, Compare("a b", "ab"));
  EXPECT_EQ(CSTR_LESS_THAN, Compare("a_", "a1"));
  // ...but hyphens only break ties.
  EXPECT_EQ(CSTR_LESS_THAN, Compare("coop", "co-op"));
  EXPECT_EQ(CSTR_LESS_THAN, Compare("co-op", "cop"));
  EXPECT_EQ(CSTR_EQUAL, Compare("", ""));
}

TEST(StringCompare, HonoursLengthsAndRejectsBadInput) {
  EXPECT_EQ(CSTR_EQUAL,
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "abcdef", 3, "ABC", -1));
  EXPECT_EQ(CSTR_GREATER_THAN, CompareStringA(LOCALE_USER_DEFAULT, 0, "abcdef", 4, "abc", 3));
  SetLastError(0);
  EXPECT_EQ(0, CompareStringA(LOCALE_USER_DEFAULT, 0, nullptr, -1, "a", -1));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(StringCompare, AccentsWeighLessThanLetters) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
  EXPECT_EQ(CSTR_LESS_THAN, Compare("resume", "r\xE9sum\xE9", NORM_IGNORECASE));
  EXPECT_EQ(CSTR_LESS_THAN, Compare("r\xE9sum\xE9", "resumes", NORM_IGNORECASE));
  EXPECT_EQ(CSTR_EQUAL, Compare("resume", "R\xC9SUM\xC9", NORM_IGNORECASE | NORM_IGNORENONSPACE));
}

TEST(CaseMapping, StringsAndSingleCharacters) {
  char text[] = "Form1.Label_2 xyz";
  EXPECT_EQ(text, CharUpperA(text));
  EXPECT_STREQ("FORM1.LABEL_2 XYZ", text);
  EXPECT_EQ(text, CharLowerA(text));
  EXPECT_STREQ("form1.label_2 xyz", text);

  // A "pointer" with a zero high word carries one character in its low byte.
  EXPECT_EQ(ULONG_PTR('Q'), reinterpret_cast<ULONG_PTR>(CharUpperA(MAKEINTRESOURCEA('q'))));
  EXPECT_EQ(ULONG_PTR('q'), reinterpret_cast<ULONG_PTR>(CharLowerA(MAKEINTRESOURCEA('Q'))));
  EXPECT_EQ(ULONG_PTR('1'), reinterpret_cast<ULONG_PTR>(CharUpperA(MAKEINTRESOURCEA('1'))));
}

TEST(CaseMapping, FollowsTheAnsiCodePage) {
  char text[] = "\xE9\xFF\x9A";
  if (GetACP() == 1252) {
    CharUpperA(text);
    EXPECT_STREQ("\xC9\x9F\x8A", text);  // e-acute, y-diaeresis, s-caron
    EXPECT_EQ(0xC9u, reinterpret_cast<ULONG_PTR>(CharUpperA(MAKEINTRESOURCEA(0xE9))));
  } else {
    CharUpperA(text);
    EXPECT_STREQ("\xC9\xDF\x8A", text);  // Cyrillic: shorti, ya, lje
  }
  CharLowerA(text);
  EXPECT_STREQ("\xE9\xFF\x9A", text);
}

TEST(OemText, ConvertsInPlaceToAnsi) {
  char text[] = "Hi \x82";
  ASSERT_TRUE(OemToCharA(text, text));
  if (GetOEMCP() == 437 && GetACP() == 1252) {
    EXPECT_STREQ("Hi \xE9", text);  // e-acute
  } else if (GetOEMCP() == 866 && GetACP() == 1251) {
    EXPECT_STREQ("Hi \xC2", text);  // Cyrillic VE
  }
  EXPECT_EQ(0, std::string(text).compare(0, 3, "Hi "));
}

TEST(MulDiv, RoundsHalfAwayFromZeroWithWideIntermediate) {
  EXPECT_EQ(2, MulDiv(1, 3, 2));
  EXPECT_EQ(-2, MulDiv(-1, 3, 2));
  EXPECT_EQ(-3, MulDiv(5, 1, -2));
  EXPECT_EQ(0, MulDiv(1, 1, 3));
  EXPECT_EQ(1, MulDiv(2, 1, 3));
  EXPECT_EQ(96, MulDiv(72, 96, 72));
  EXPECT_EQ(1000000000, MulDiv(1000000000, 1000000000, 1000000000));  // no 32-bit overflow
  EXPECT_EQ(-1, MulDiv(5, 7, 0));
  EXPECT_EQ(-1, MulDiv(INT_MAX, 2, 1));  // result out of range
}

}  // namespace
