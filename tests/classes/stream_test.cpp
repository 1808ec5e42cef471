#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "classes/resource_stream.h"
#include "classes/streams.h"
#include "platform/win32.h"
#include "runtime/exception.h"

namespace {
std::string Contents(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// Hands out at most `piece` bytes per call, as a pipe or file may.
class TrickleStream : public TStream {
 public:
  TrickleStream(std::string data, int64_t piece) : data_(std::move(data)), piece_(piece) {}
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t left = static_cast<int64_t>(data_.size()) - position_;
    const int64_t n = std::max<int64_t>(0, std::min({count, piece_, left}));
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
  }
  int64_t Write(const void*, int64_t count) override { return count > 0 ? 1 : 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    if (origin == TSeekOrigin::soBeginning) position_ = offset;
    if (origin == TSeekOrigin::soCurrent) position_ += offset;
    if (origin == TSeekOrigin::soEnd) position_ = static_cast<int64_t>(data_.size()) + offset;
    return position_;
  }

 private:
  std::string data_;
  int64_t piece_;
  int64_t position_ = 0;
};
}  // namespace

TEST(MemoryStreamTest, WriteSeekReadAndShortReads) {
  TMemoryStream stream;
  stream.WriteBuffer("hello world", 11);
  EXPECT_EQ(stream.Size(), 11);
  EXPECT_EQ(stream.Position(), 11);
  stream.SetPosition(6);
  char buffer[16] = {};
  EXPECT_EQ(stream.Read(buffer, 16), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(stream.Read(buffer, 4), 0);
  EXPECT_EQ(stream.Seek(-5, TSeekOrigin::soEnd), 6);
  EXPECT_EQ(stream.Seek(-6, TSeekOrigin::soCurrent), 0);
  // Positions outside the data are allowed and read nothing.
  stream.SetPosition(-3);
  EXPECT_EQ(stream.Read(buffer, 4), 0);
  stream.SetPosition(100);
  EXPECT_EQ(stream.Read(buffer, 4), 0);
  EXPECT_EQ(stream.Read(buffer, -1), 0);
}

TEST(MemoryStreamTest, ReadBufferIsExactOrRaises) {
  TMemoryStream stream;
  stream.WriteBuffer("abc", 3);
  stream.SetPosition(0);
  char buffer[8] = {};
  try {
    stream.ReadBuffer(buffer, 4);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  stream.SetPosition(1);
  stream.ReadBuffer(buffer, 2);
  EXPECT_EQ(std::string(buffer, 2), "bc");
  stream.ReadBuffer(buffer, 0);
}

TEST(MemoryStreamTest, ReadExactlyGathersPiecesAndWriteShortfallRaises) {
  TrickleStream trickle("0123456789", 3);
  char buffer[10];
  trickle.ReadBuffer(buffer, 10);
  EXPECT_EQ(std::string(buffer, 10), "0123456789");
  EXPECT_THROW(trickle.ReadBuffer(buffer, 1), EReadError);

  class FullStream : public TrickleStream {
   public:
    FullStream() : TrickleStream("", 1) {}
    int64_t Write(const void*, int64_t) override { return 0; }
  } full;
  try {
    full.WriteBuffer("x", 1);
    FAIL();
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "Stream write error");
  }
}

TEST(MemoryStreamTest, SizingFirstFillsWithoutReallocating) {
  TrickleStream source(std::string(100000, 'j'), 4096);
  TMemoryStream stream;
  stream.SetSize(100000);
  const void* block = stream.Memory();
  EXPECT_EQ(stream.Capacity(), 100000);
  source.ReadBuffer(stream.Memory(), 100000);
  EXPECT_EQ(stream.Memory(), block);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(Contents(stream), std::string(100000, 'j'));
}

TEST(MemoryStreamTest, SetSizeKeepsBytesZeroesGrowthAndClampsPosition) {
  TMemoryStream stream;
  stream.WriteBuffer("abcdef", 6);
  stream.SetSize(3);
  EXPECT_EQ(stream.Position(), 3);
  EXPECT_EQ(Contents(stream), "abc");
  stream.SetSize(5);
  EXPECT_EQ(Contents(stream), std::string("abc\0\0", 5));
  // Writing past the end leaves zeros in the gap.
  stream.SetPosition(7);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(Contents(stream), std::string("abc\0\0\0\0z", 8));
  stream.SetCapacity(1);
  EXPECT_EQ(stream.Capacity(), 8);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(stream.Capacity(), 0);
}

TEST(MemoryStreamTest, CopyFromAndLoadFromStream) {
  TMemoryStream source;
  std::string data;
  for (int i = 0; i < 70000; ++i) data += static_cast<char>('a' + i % 26);
  source.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));

  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(source, 0), 70000);  // 0: everything from the start
  EXPECT_EQ(Contents(whole), data);

  TMemoryStream part;
  source.SetPosition(26);
  EXPECT_EQ(part.CopyFrom(source, 5), 5);
  EXPECT_EQ(Contents(part), "abcde");
  source.SetPosition(69998);
  EXPECT_THROW(part.CopyFrom(source, 5), EReadError);

  TMemoryStream loaded;
  loaded.WriteBuffer("old contents", 12);
  loaded.LoadFromStream(source);
  EXPECT_EQ(loaded.Position(), 0);
  EXPECT_EQ(Contents(loaded), data);

  TMemoryStream saved;
  loaded.SaveToStream(saved);
  EXPECT_EQ(Contents(saved), data);
}

// The test executable carries an RCDATA resource stored as "TFORM1".
TEST(ResourceStreamTest, FindsByNameInAnyLetterCase) {
  HRSRC info = FindResourceA(nullptr, "TFORM1", RT_RCDATA);
  ASSERT_NE(info, nullptr);
  const DWORD size = SizeofResource(nullptr, info);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, info)));
  ASSERT_GT(size, 0u);
  const std::string expected(bytes, size);
  for (const char* name : {"TFORM1", "TForm1", "tform1"}) {
    TResourceStream stream(nullptr, name, RT_RCDATA);
    EXPECT_EQ(stream.Size(), static_cast<int64_t>(size)) << name;
    EXPECT_EQ(stream.Position(), 0);
    std::string read(size, '\0');
    stream.ReadBuffer(read.data(), size);
    EXPECT_EQ(read, expected);
  }
}

TEST(ResourceStreamTest, ReadsToTheEndThenShort) {
  TResourceStream stream(GetModuleHandleA(nullptr), std::string("TFORM1"), RT_RCDATA);
  const int64_t size = stream.Size();
  std::string bytes(static_cast<size_t>(size) + 10, '\0');
  EXPECT_EQ(stream.Read(bytes.data(), size + 10), size);
  EXPECT_EQ(stream.Read(bytes.data(), 1), 0);
  EXPECT_EQ(stream.Seek(-1, TSeekOrigin::soEnd), size - 1);
  EXPECT_THROW(stream.ReadBuffer(bytes.data(), 2), EReadError);
}

TEST(ResourceStreamTest, MissingResourceNamesItOrItsNumber) {
  try {
    TResourceStream stream(nullptr, "NOSUCHFORM", RT_RCDATA);
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource NOSUCHFORM not found");
  }
  try {
    TResourceStream stream(nullptr, 4321u, RT_RCDATA);
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource 4321 not found");
  }
  // Right name, wrong type.
  EXPECT_THROW(TResourceStream(nullptr, "TFORM1", RT_BITMAP), EResNotFound);
}

TEST(ResourceStreamTest, IsReadOnly) {
  TResourceStream stream(nullptr, "TFORM1", RT_RCDATA);
  try {
    stream.Write("x", 1);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "Can't write to a read-only resource stream");
  }
  EXPECT_THROW(stream.WriteBuffer("x", 1), EStreamError);
}
