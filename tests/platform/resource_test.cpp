// Resources of the test program: the stored form "TFORM1" and the message table.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32.h"
#ifndef _WIN32
#include "platform/linux/resource_table.h"
#endif

namespace {

TEST(Resource, FindsNamesWithoutRegardToCase) {
  HRSRC found = FindResourceA(nullptr, "tform1", RT_RCDATA);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(found, FindResourceA(GetModuleHandleA(nullptr), "TFORM1", RT_RCDATA));
  EXPECT_EQ(found, FindResourceA(nullptr, "TForm1", "#10"));  // "#n" is the number n

  HGLOBAL loaded = LoadResource(nullptr, found);
  ASSERT_NE(nullptr, loaded);
  auto* data = static_cast<const char*>(LockResource(loaded));
  ASSERT_NE(nullptr, data);
  ASSERT_EQ(19u, SizeofResource(nullptr, found));
  EXPECT_EQ(0, std::memcmp(data,
                           "TPF0\x06TForm1\x05"
                           "Form1",
                           16));
  EXPECT_FALSE(FreeResource(loaded));
}

TEST(Resource, MissingTypeAndMissingName) {
  SetLastError(0);
  EXPECT_EQ(nullptr, FindResourceA(nullptr, "NOSUCHFORM", RT_RCDATA));
  EXPECT_EQ(DWORD(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
  SetLastError(0);
  EXPECT_EQ(nullptr, FindResourceA(nullptr, "TFORM1", MAKEINTRESOURCEA(4242)));
  EXPECT_EQ(DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
  SetLastError(0);
  EXPECT_EQ(nullptr, FindResourceA(nullptr, "TFORM1", "NOSUCHTYPE"));
  EXPECT_EQ(DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
}

TEST(Resource, StringsComeFromTheirBlocks) {
  // Strings 65328..65343 share block 4084.
  EXPECT_NE(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(65340 / 16 + 1), RT_STRING));

  char text[64];
  EXPECT_EQ(17, LoadStringA(nullptr, 65340, text, sizeof text));
  EXPECT_STREQ("Stream read error", text);
  EXPECT_EQ(15, LoadStringA(GetModuleHandleA(nullptr), 65338, text, sizeof text));
  EXPECT_STREQ("JPEG Image File", text);
}

TEST(Resource, LoadStringTruncatesAndTerminates) {
  char text[16];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(6, LoadStringA(nullptr, 65340, text, 7));
  EXPECT_STREQ("Stream", text);
  EXPECT_EQ('x', text[7]);
  EXPECT_EQ(0, LoadStringA(nullptr, 65340, text, 1));
  EXPECT_STREQ("", text);

  // Absent strings, in an existing block or with no block at all, give "".
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(0, LoadStringA(nullptr, 65339, text, sizeof text));
  EXPECT_STREQ("", text);
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(0, LoadStringA(nullptr, 1, text, sizeof text));
  EXPECT_STREQ("", text);
}

TEST(Resource, WideStringsAndTheReadOnlyPointerForm) {
  WCHAR text[32];
  EXPECT_EQ(17, LoadStringW(nullptr, 65340, text, 32));
  EXPECT_EQ(std::u16string(u"Stream read error"), reinterpret_cast<const char16_t*>(text));

  const WCHAR* direct = nullptr;
  EXPECT_EQ(17, LoadStringW(nullptr, 65340, reinterpret_cast<LPWSTR>(&direct), 0));
  ASSERT_NE(nullptr, direct);
  EXPECT_EQ(0, std::memcmp(direct, u"Stream read error", 17 * sizeof(WCHAR)));
}

#ifndef _WIN32
// FreeResource gives back the pages of the program's read-only image a resource covers; the
// data reads the same afterwards. Resources registered from writable memory keep their
// pages (giving those back would zero them).
constexpr size_t kBigSize = 3 * 4096 + 100;
constexpr std::array<unsigned char, kBigSize> Pattern() {
  std::array<unsigned char, kBigSize> bytes{};
  for (size_t i = 0; i < kBigSize; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
  return bytes;
}
constexpr std::array<unsigned char, kBigSize> kReadOnlyData = Pattern();

TEST(Resource, FreedDataReadsTheSameWhereverItLives) {
  static std::vector<unsigned char> writable(kReadOnlyData.begin(), kReadOnlyData.end());
  static const linux_rc::Entry entries[] = {
      {nullptr, 10, "BIGREADONLY", 0, kReadOnlyData.data(), kBigSize},
      {nullptr, 10, "BIGWRITABLE", 0, writable.data(), kBigSize}};
  static const bool registered = (linux_rc::RegisterResources(entries, 2), true);
  ASSERT_TRUE(registered);
  for (const char* name : {"BIGREADONLY", "BIGWRITABLE"}) {
    SCOPED_TRACE(name);
    HRSRC found = FindResourceA(nullptr, name, RT_RCDATA);
    ASSERT_NE(nullptr, found);
    HGLOBAL loaded = LoadResource(nullptr, found);
    const auto* data = static_cast<const unsigned char*>(LockResource(loaded));
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(0, std::memcmp(data, kReadOnlyData.data(), kBigSize));
    EXPECT_FALSE(FreeResource(loaded));
    EXPECT_EQ(0, std::memcmp(data, Pattern().data(), kBigSize)) << "after FreeResource";
  }
}
#endif

}  // namespace
