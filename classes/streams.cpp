#include "classes/streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/exception.h"
#include "runtime/messages.h"

TStream::~TStream() = default;

int64_t TStream::Size() {
  const int64_t position = Seek(0, TSeekOrigin::soCurrent);
  const int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  // Some streams deliver in pieces: keep asking until nothing more comes.
  auto* out = static_cast<unsigned char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const int64_t got = Read(out + done, count - done);
    if (got <= 0) break;
    done += got;
  }
  if (done != count && count > 0) throw EReadError(msg::kStreamReadError, {});
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  const auto* in = static_cast<const unsigned char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const int64_t put = Write(in + done, count - done);
    if (put <= 0) break;
    done += put;
  }
  if (done != count && count > 0) throw EWriteError(msg::kStreamWriteError, {});
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  constexpr int64_t kChunk = 0xF000;
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (count <= 0) return 0;
  std::vector<unsigned char> buffer(static_cast<size_t>(std::min(count, kChunk)));
  int64_t left = count;
  while (left > 0) {
    const int64_t n = std::min(left, kChunk);
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ < 0 || position_ >= size_) return 0;
  const int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, static_cast<const unsigned char*>(memory_) + position_,
              static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning:
      position_ = offset;
      break;
    case TSeekOrigin::soCurrent:
      position_ += offset;
      break;
    case TSeekOrigin::soEnd:
      position_ = size_ + offset;
      break;
  }
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& destination) {
  if (size_ > 0) destination.WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
  memory_ = memory;
  size_ = size;
}

TMemoryStream::~TMemoryStream() { std::free(Memory()); }

void TMemoryStream::Reallocate(int64_t capacity) {
  if (capacity == capacity_) return;
  void* memory = Memory();
  if (capacity == 0) {
    std::free(memory);
    memory = nullptr;
  } else {
    if (static_cast<uint64_t>(capacity) > SIZE_MAX) throw std::bad_alloc();
    void* grown = std::realloc(memory, static_cast<size_t>(capacity));
    if (grown == nullptr) throw std::bad_alloc();
    memory = grown;
  }
  capacity_ = capacity;
  SetPointer(memory, std::min(Size(), capacity));
}

void TMemoryStream::SetCapacity(int64_t capacity) { Reallocate(std::max(capacity, Size())); }

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  const int64_t oldSize = Size();
  if (size > capacity_) Reallocate(size);
  if (size > oldSize) {
    std::memset(static_cast<unsigned char*>(Memory()) + oldSize, 0,
                static_cast<size_t>(size - oldSize));
  }
  SetPointer(Memory(), size);
  if (position_ > size) position_ = size;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0 || position_ < 0) return 0;
  const int64_t end = position_ + count;
  if (end > capacity_) {
    // Geometric growth keeps a run of small writes linear overall.
    Reallocate(std::max(end, capacity_ + capacity_ / 2 + 64));
  }
  if (end > Size()) {
    // Bytes between the old end and a position set past it are zero, not garbage.
    const int64_t oldSize = Size();
    if (position_ > oldSize) {
      std::memset(static_cast<unsigned char*>(Memory()) + oldSize, 0,
                  static_cast<size_t>(position_ - oldSize));
    }
    SetPointer(Memory(), end);
  }
  std::memcpy(static_cast<unsigned char*>(Memory()) + position_, buffer,
              static_cast<size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::Clear() {
  Reallocate(0);
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const int64_t size = source.Size();
  SetSize(size);
  if (size > 0) source.ReadBuffer(Memory(), size);
  position_ = 0;
}
