// Code page conversions and the ANSI code page itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"

namespace {

// The API's WCHAR is char16_t here and wchar_t on Windows; both are UTF-16.
LPCWSTR W(const char16_t* text) { return reinterpret_cast<LPCWSTR>(text); }

std::u16string ToWide(UINT codePage, const std::string& bytes) {
  int units = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  std::u16string wide(size_t(units), u'\0');
  EXPECT_EQ(units, MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()),
                                       reinterpret_cast<LPWSTR>(wide.data()), units));
  return wide;
}

std::string ToBytes(UINT codePage, const std::u16string& wide, BOOL* usedDefault = nullptr,
                    LPCSTR defaultChar = nullptr) {
  auto source = reinterpret_cast<LPCWSTR>(wide.data());
  int bytes =
      WideCharToMultiByte(codePage, 0, source, int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(size_t(bytes), '\0');
  EXPECT_EQ(bytes, WideCharToMultiByte(codePage, 0, source, int(wide.size()), text.data(), bytes,
                                       defaultChar, usedDefault));
  return text;
}

TEST(CodePage, SingleByteTablesRoundTripEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += char(b);
  for (UINT page : {1252u, 1251u}) {
    std::u16string wide = ToWide(page, all);
    ASSERT_EQ(all.size(), wide.size());
    BOOL usedDefault = TRUE;
    EXPECT_EQ(all, ToBytes(page, wide, &usedDefault)) << page;
    EXPECT_FALSE(usedDefault);
  }
  EXPECT_EQ(u"\u20AC\u0160\u00E9", ToWide(1252, "\x80\x8A\xE9"));
  EXPECT_EQ(u"\u0410\u044F\u0401\u2116", ToWide(1251, "\xC0\xFF\xA8\xB9"));
}

TEST(CodePage, UnmappableCharactersBecomeTheDefault) {
  BOOL usedDefault = FALSE;
  EXPECT_EQ("a?b", ToBytes(1252, u"a\u4E00b", &usedDefault));
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ("a*b", ToBytes(1251, u"a\u4E00b", &usedDefault, "*"));
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ("\xC6", ToBytes(1251, u"\u0416", &usedDefault));
  EXPECT_FALSE(usedDefault);
}

TEST(CodePage, AccentedLettersFitToPlainOnesUnlessForbidden) {
  BOOL usedDefault = TRUE;
  EXPECT_EQ("eES", ToBytes(1251, u"\u00E9\u00C9\u0160", &usedDefault));
  EXPECT_FALSE(usedDefault);
  EXPECT_EQ("A", ToBytes(1252, u"\u0100", &usedDefault));
  EXPECT_FALSE(usedDefault);

  char byte = 0;
  EXPECT_EQ(1, WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, W(u"\u0100"), 1, &byte, 1, nullptr,
                                   &usedDefault));
  EXPECT_EQ('?', byte);
  EXPECT_TRUE(usedDefault);
}

TEST(CodePage, Utf8BothWays) {
  const std::string utf8 = "\xD0\x96-\xE2\x82\xAC-\xF0\x9F\x98\x80";
  const std::u16string wide = u"\u0416-\u20AC-\U0001F600";
  EXPECT_EQ(wide, ToWide(CP_UTF8, utf8));
  EXPECT_EQ(utf8, ToBytes(CP_UTF8, wide));

  // Ill-formed input: replaced, or refused when asked to be strict.
  EXPECT_EQ(u"a\uFFFDb", ToWide(CP_UTF8,
                                "a\xFF"
                                "b"));
  WCHAR out[8];
  SetLastError(0);
  EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, out, 8));
  EXPECT_EQ(DWORD(ERROR_NO_UNICODE_TRANSLATION), GetLastError());

#ifndef _WIN32
  // UTF-8 has no default character to report: Windows refuses the request
  // (Wine lets it pass).
  BOOL used;
  char bytes[8];
  SetLastError(0);
  EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, W(u"a"), 1, bytes, 8, nullptr, &used));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
#endif
}

#ifndef _WIN32
// Flags a code page does not take, and a lone surrogate under WC_ERR_INVALID_CHARS, fail
// the conversion with their own error.
TEST(CodePage, WideToBytesRefusesWhatTheCodePageCannotDo) {
  struct Row {
    const char* name;
    UINT codePage;
    DWORD flags;
    const char16_t* text;
    DWORD error;
  } rows[] = {
      {"best-fit flag on UTF-8", CP_UTF8, WC_NO_BEST_FIT_CHARS, u"a", ERROR_INVALID_FLAGS},
      {"strict flag on 1252", 1252, WC_ERR_INVALID_CHARS, u"a", ERROR_INVALID_FLAGS},
      {"unknown flag on 1252", 1252, 0x8000, u"a", ERROR_INVALID_FLAGS},
      {"lone high surrogate", CP_UTF8, WC_ERR_INVALID_CHARS,
       u"a\xD800"
       u"b",
       ERROR_NO_UNICODE_TRANSLATION},
      {"lone low surrogate", CP_UTF8, WC_ERR_INVALID_CHARS, u"\xDC00",
       ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const Row& row : rows) {
    char bytes[8];
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(row.codePage, row.flags, W(row.text), -1, bytes, 8, nullptr,
                                     nullptr))
        << row.name;
    EXPECT_EQ(row.error, GetLastError()) << row.name;
  }
}
#endif

TEST(CodePage, SizesTerminatorsAndShortBuffers) {
  // -1 takes the terminating zero along; an explicit length does not.
  EXPECT_EQ(4, MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0));
  EXPECT_EQ(3, MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0));
  EXPECT_EQ(4, WideCharToMultiByte(1252, 0, W(u"abc"), -1, nullptr, 0, nullptr, nullptr));

  WCHAR wide[3];
  SetLastError(0);
  EXPECT_EQ(0, MultiByteToWideChar(1252, 0, "abc", -1, wide, 3));
  EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  char bytes[2];
  SetLastError(0);
  EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, W(u"\u0416"), 1, bytes, 1, nullptr, nullptr));
  EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());

  SetLastError(0);
  EXPECT_EQ(0, MultiByteToWideChar(1252, 0, "abc", 0, wide, 3));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
  SetLastError(0);
  EXPECT_EQ(0, MultiByteToWideChar(12345, 0, "abc", 3, wide, 3));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(CodePage, AnsiCodePageIsOneWeKnow) {
  UINT acp = GetACP();
  EXPECT_TRUE(acp == 1252 || acp == 1251) << acp;
  EXPECT_EQ(ToWide(acp, "\xC0\xE9"), ToWide(CP_ACP, "\xC0\xE9"));
}

#ifndef _WIN32
// The ANSI code page follows the locale; tests can force it.
class AnsiCodePageFromEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (auto& [name, value] : saved_) {
      if (value)
        setenv(name, value->c_str(), 1);
      else
        unsetenv(name);
    }
  }
  static constexpr const char* kNames[] = {"LAUNCHER_ACP", "LC_ALL", "LC_CTYPE", "LANG"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(AnsiCodePageFromEnvironment, RussianLocaleMeans1251) {
  EXPECT_EQ(1252u, GetACP());
  setenv("LANG", "ru_RU.UTF-8", 1);
  EXPECT_EQ(1251u, GetACP());
  EXPECT_EQ(866u, GetOEMCP());
  setenv("LC_ALL", "en_GB.UTF-8", 1);  // LC_ALL wins over LANG
  EXPECT_EQ(1252u, GetACP());
  setenv("LC_ALL", "rus", 1);  // not a ru_* locale
  EXPECT_EQ(1252u, GetACP());
  setenv("LAUNCHER_ACP", "1251", 1);
  EXPECT_EQ(1251u, GetACP());
  EXPECT_EQ(u"\u0410", ToWide(CP_ACP, "\xC0"));
}
#endif

}  // namespace
