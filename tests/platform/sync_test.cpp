// Critical sections and the per-thread last error.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32.h"

namespace {

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  ASSERT_TRUE(TryEnterCriticalSection(&section));  // same thread enters again

  BOOL otherGotIt = TRUE;
  std::thread([&] { otherGotIt = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(otherGotIt);

  // One leave is not enough: the section was entered twice.
  LeaveCriticalSection(&section);
  std::thread([&] { otherGotIt = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(otherGotIt);

  LeaveCriticalSection(&section);
  std::thread([&] {
    otherGotIt = TryEnterCriticalSection(&section);
    if (otherGotIt) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(otherGotIt);
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, SerialisesConcurrentUpdates) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      EnterCriticalSection(&section);
      EnterCriticalSection(&section);
      long seen = counter;
      counter = seen + 1;
      LeaveCriticalSection(&section);
      LeaveCriticalSection(&section);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(40000, counter);
  DeleteCriticalSection(&section);
}

TEST(LastError, IsPerThread) {
  SetLastError(ERROR_INVALID_PARAMETER);
  DWORD seenByOther = 12345;
  std::thread([&] {
    SetLastError(ERROR_FILE_NOT_FOUND);
    seenByOther = GetLastError();
  }).join();
  EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), seenByOther);
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

}  // namespace
