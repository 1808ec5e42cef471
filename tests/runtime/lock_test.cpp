#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "runtime/critical_section.h"
#include "runtime/namespace_lock.h"

TEST(NameSpaceLockTest, SameThreadMayTakeItAgain) {
  ReentrantReadWriteLock lock;
  lock.BeginWrite();
  lock.BeginWrite();
  lock.BeginRead();
  EXPECT_TRUE(lock.IsWriting());
  EXPECT_EQ(lock.ReadDepth(), 1);
  lock.EndRead();
  lock.EndWrite();
  EXPECT_TRUE(lock.IsWriting());
  lock.EndWrite();
  EXPECT_FALSE(lock.IsWriting());

  lock.BeginRead();
  lock.BeginRead();
  EXPECT_EQ(lock.ReadDepth(), 2);
  // The only reader may also write.
  lock.BeginWrite();
  EXPECT_TRUE(lock.IsWriting());
  lock.EndWrite();
  lock.EndRead();
  lock.EndRead();
  EXPECT_EQ(lock.ReadDepth(), 0);
}

TEST(NameSpaceLockTest, WriterExcludesOtherThreadsUntilFullyReleased) {
  ReentrantReadWriteLock lock;
  std::atomic<bool> readerIn{false};
  lock.BeginWrite();
  lock.BeginWrite();
  std::thread reader([&] {
    lock.BeginRead();
    readerIn = true;
    lock.EndRead();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(readerIn);
  lock.EndWrite();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(readerIn);
  lock.EndWrite();
  reader.join();
  EXPECT_TRUE(readerIn);
}

TEST(NameSpaceLockTest, ReadersShareWritersAreAlone) {
  ReentrantReadWriteLock lock;
  std::atomic<int> readersInside{0};
  std::atomic<int> writersInside{0};
  std::atomic<bool> violated{false};
  long counter = 0;
  std::vector<std::thread> threads;
  threads.reserve(4);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        if ((i + t) % 3 == 0) {
          WriteLockGuard guard(lock);
          if (++writersInside != 1 || readersInside != 0) violated = true;
          ++counter;
          --writersInside;
        } else {
          ReadLockGuard guard(lock);
          ++readersInside;
          if (writersInside != 0) violated = true;
          --readersInside;
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_FALSE(violated);
  long expected = 0;
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 2000; ++i) expected += (i + t) % 3 == 0;
  }
  EXPECT_EQ(counter, expected);
}

TEST(CriticalSectionTest, RecursiveForOwnerExclusiveForOthers) {
  CriticalSection section;
  CriticalSectionGuard outer(section);
  EXPECT_TRUE(section.TryEnter());  // recursive
  section.Leave();
  bool otherGotIt = true;
  std::thread other([&] {
    otherGotIt = section.TryEnter();
    if (otherGotIt) section.Leave();
  });
  other.join();
  EXPECT_FALSE(otherGotIt);
}
