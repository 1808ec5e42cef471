#pragma once
// A multi-reader, single-writer lock that the thread holding it may take again:
// a writer may take it again for writing or for reading, a reader again for reading.
// A reader that asks for writing waits until it is the only reader left (two readers
// doing that at once would wait for each other: don't). Waiting writers hold back new
// readers, so a stream of readers cannot starve them.
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

class ReentrantReadWriteLock {
 public:
  ReentrantReadWriteLock() = default;
  ReentrantReadWriteLock(const ReentrantReadWriteLock&) = delete;
  ReentrantReadWriteLock& operator=(const ReentrantReadWriteLock&) = delete;

  void BeginRead();
  void EndRead();
  void BeginWrite();
  void EndWrite();

  // For the calling thread.
  bool IsWriting() const;
  int ReadDepth() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::thread::id writer_;
  int writeDepth_ = 0;
  int waitingWriters_ = 0;
  std::map<std::thread::id, int> readDepths_;
};

// The component name space lock: held for writing while forms are constructed and
// destroyed, for reading while names are looked up.
ReentrantReadWriteLock& NameSpaceLock();

class ReadLockGuard {
 public:
  explicit ReadLockGuard(ReentrantReadWriteLock& lock) : lock_(lock) { lock_.BeginRead(); }
  ~ReadLockGuard() { lock_.EndRead(); }
  ReadLockGuard(const ReadLockGuard&) = delete;
  ReadLockGuard& operator=(const ReadLockGuard&) = delete;

 private:
  ReentrantReadWriteLock& lock_;
};

class WriteLockGuard {
 public:
  explicit WriteLockGuard(ReentrantReadWriteLock& lock) : lock_(lock) { lock_.BeginWrite(); }
  ~WriteLockGuard() { lock_.EndWrite(); }
  WriteLockGuard(const WriteLockGuard&) = delete;
  WriteLockGuard& operator=(const WriteLockGuard&) = delete;

 private:
  ReentrantReadWriteLock& lock_;
};
