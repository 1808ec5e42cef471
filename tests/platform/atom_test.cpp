// Global atoms: reference counts, case-insensitive names, integer atoms.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

// Global atoms may be shared with other processes: keep names unique.
std::string UniqueName(const char* stem) {
  return std::string("LauncherTest") + stem + std::to_string(GetCurrentProcessId());
}

TEST(GlobalAtom, CountsReferencesAndIgnoresCase) {
  const std::string name = UniqueName("Mixed");
  std::string upper = name;
  CharUpperA(upper.data());

  ATOM atom = GlobalAddAtomA(name.c_str());
  ASSERT_GE(atom, MAXINTATOM);
  EXPECT_EQ(atom, GlobalAddAtomA(upper.c_str()));  // second reference
  EXPECT_EQ(atom, GlobalFindAtomA(upper.c_str()));

  char buffer[300];
  ASSERT_EQ(name.size(), GlobalGetAtomNameA(atom, buffer, sizeof buffer));
  EXPECT_EQ(name, buffer);  // the name keeps the case it was first added with

  EXPECT_EQ(0, GlobalDeleteAtom(atom));
  EXPECT_EQ(atom, GlobalFindAtomA(name.c_str()));  // one reference left
  EXPECT_EQ(0, GlobalDeleteAtom(atom));
  SetLastError(0);
  EXPECT_EQ(0, GlobalFindAtomA(name.c_str()));
  EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(atom, GlobalDeleteAtom(atom));  // gone: deleting fails, returning the atom
}

TEST(GlobalAtom, IntegerAtomsNeedNoTable) {
  EXPECT_EQ(123, GlobalAddAtomA("#123"));
  EXPECT_EQ(123, GlobalFindAtomA("#123"));
  EXPECT_EQ(77, GlobalAddAtomA(MAKEINTATOM(77)));
  EXPECT_EQ(0, GlobalDeleteAtom(123));

  char buffer[16];
  EXPECT_EQ(4u, GlobalGetAtomNameA(123, buffer, sizeof buffer));
  EXPECT_STREQ("#123", buffer);

  SetLastError(0);
  EXPECT_EQ(0, GlobalAddAtomA("#0"));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0, GlobalAddAtomA("#49152"));  // MAXINTATOM is not an integer atom
  SetLastError(0);
  EXPECT_EQ(0, GlobalAddAtomA(""));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(GlobalAtom, NameTooLongForTheBufferIsCutAndFails) {
  const std::string name = UniqueName("Cut");
  ATOM atom = GlobalAddAtomA(name.c_str());
  char buffer[5];
  SetLastError(0);
  EXPECT_EQ(0u, GlobalGetAtomNameA(atom, buffer, sizeof buffer));
  EXPECT_EQ(DWORD(ERROR_MORE_DATA), GetLastError());
  EXPECT_STREQ("Laun", buffer);
  GlobalDeleteAtom(atom);
}

TEST(GlobalAtom, HashWithLettersIsAString) {
  const std::string name = "#12x" + UniqueName("");
  ATOM atom = GlobalAddAtomA(name.c_str());
  EXPECT_GE(atom, MAXINTATOM);
  EXPECT_EQ(0, GlobalDeleteAtom(atom));
}

TEST(GlobalAtom, RejectsOverlongNames) {
  std::string name = UniqueName("Long");
  name.resize(256, 'x');
  SetLastError(0);
  EXPECT_EQ(0, GlobalAddAtomA(name.c_str()));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
  name.resize(255);
  ATOM atom = GlobalAddAtomA(name.c_str());
  EXPECT_NE(0, atom);
  GlobalDeleteAtom(atom);
}

}  // namespace
