#include "runtime/namespace_lock.h"

void ReentrantReadWriteLock::BeginRead() {
  const auto self = std::this_thread::get_id();
  std::unique_lock guard(mutex_);
  auto found = readDepths_.find(self);
  if (found != readDepths_.end()) {
    ++found->second;
    return;
  }
  if (writeDepth_ == 0 || writer_ != self) {
    // A thread already holding the lock never waits here, so waiting writers
    // only hold back readers that are new.
    changed_.wait(guard, [&] { return writeDepth_ == 0 && waitingWriters_ == 0; });
  }
  readDepths_[self] = 1;
}

void ReentrantReadWriteLock::EndRead() {
  const auto self = std::this_thread::get_id();
  std::lock_guard guard(mutex_);
  auto found = readDepths_.find(self);
  if (found == readDepths_.end()) return;  // Unbalanced; nothing of ours to release.
  if (--found->second == 0) {
    readDepths_.erase(found);
    changed_.notify_all();
  }
}

void ReentrantReadWriteLock::BeginWrite() {
  const auto self = std::this_thread::get_id();
  std::unique_lock guard(mutex_);
  if (writeDepth_ > 0 && writer_ == self) {
    ++writeDepth_;
    return;
  }
  ++waitingWriters_;
  changed_.wait(guard, [&] {
    if (writeDepth_ != 0) return false;
    return readDepths_.empty() || (readDepths_.size() == 1 && readDepths_.count(self) == 1);
  });
  --waitingWriters_;
  writer_ = self;
  writeDepth_ = 1;
}

void ReentrantReadWriteLock::EndWrite() {
  const auto self = std::this_thread::get_id();
  std::lock_guard guard(mutex_);
  if (writeDepth_ == 0 || writer_ != self) return;  // Unbalanced.
  if (--writeDepth_ == 0) {
    writer_ = std::thread::id();
    changed_.notify_all();
  }
}

bool ReentrantReadWriteLock::IsWriting() const {
  std::lock_guard guard(mutex_);
  return writeDepth_ > 0 && writer_ == std::this_thread::get_id();
}

int ReentrantReadWriteLock::ReadDepth() const {
  std::lock_guard guard(mutex_);
  auto found = readDepths_.find(std::this_thread::get_id());
  return found == readDepths_.end() ? 0 : found->second;
}

ReentrantReadWriteLock& NameSpaceLock() {
  static ReentrantReadWriteLock lock;
  return lock;
}
