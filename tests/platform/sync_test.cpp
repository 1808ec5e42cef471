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
  // Only spin on atomics between setting and reading: any other call into
  // the system (starting or joining a thread) may change the last error.
  std::atomic<int> step{0};
  DWORD seenByOther = 0;
  std::thread other([&] {
    SetLastError(ERROR_FILE_NOT_FOUND);
    step = 1;
    while (step != 2) {
    }
    seenByOther = GetLastError();
  });
  while (step != 1) {
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  DWORD seenByMain = GetLastError();
  step = 2;
  other.join();
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), seenByMain);
  EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), seenByOther);
}

}  // namespace
