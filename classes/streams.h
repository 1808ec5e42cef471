#pragma once
// Byte streams: the abstract TStream with its read-exactly / write-exactly helpers, the
// memory-backed streams, and (classes/resource_stream.h) the read-only resource view.
#include <cstdint>

// Unscoped so both `soCurrent` and `TSeekOrigin::soCurrent` read naturally.
enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  TStream() = default;
  virtual ~TStream();
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Each returns the number of bytes moved (0 at the end, or for a negative count).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  virtual int64_t Size();
  // Does nothing for streams that cannot change their size.
  virtual void SetSize(int64_t size);

  // Exactly `count` bytes or EReadError "Stream read error" / EWriteError
  // "Stream write error". Bytes moved before the failure stay moved.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);

  // Copies `count` bytes from the source's current position; a count of 0 copies the
  // whole source from its start. Returns the number of bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a block of memory it does not manage itself: reads and seeks; the
// position may be set anywhere, reading outside [0, size) gives 0 bytes.
class TCustomMemoryStream : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }

  const void* Memory() const { return memory_; }
  void SaveToStream(TStream& destination);

 protected:
  void SetPointer(void* memory, int64_t size);
  int64_t position_ = 0;

 private:
  void* memory_ = nullptr;
  int64_t size_ = 0;
};

// A growable stream owning its buffer. Set the size (or capacity) first to fill it
// with a known amount without reallocating.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  int64_t Write(const void* buffer, int64_t count) override;
  // Keeps the bytes below the new size; the position moves to the end if it lay past it.
  void SetSize(int64_t size) override;
  int64_t Capacity() const { return capacity_; }
  // Never below the current size.
  void SetCapacity(int64_t capacity);
  using TCustomMemoryStream::Memory;
  void* Memory() { return const_cast<void*>(TCustomMemoryStream::Memory()); }
  void Clear();
  // Replaces the contents by the whole of `source` (read from its start).
  void LoadFromStream(TStream& source);

 private:
  void Reallocate(int64_t capacity);
  int64_t capacity_ = 0;
};
