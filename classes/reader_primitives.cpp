// TReader: buffering, primitive value reads and skipping.
#include <cstring>

#include "classes/class_registry.h"
#include "classes/metadata.h"
#include "classes/reader.h"
#include "classes/reader_nesting.h"
#include "classes/reader_text.h"
#include "classes/streams.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/text.h"

namespace {

template <typename T>
T FromLittleEndian(const uint8_t* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);  // x86 targets only: already little-endian
  return value;
}

}  // namespace

TReader::TReader(TStream& stream, int bufferSize)
    : TFiler(stream, bufferSize >= kMinBufferSize ? bufferSize : kMinBufferSize),
      buffer_(new uint8_t[bufferSize_]) {}

TReader::~TReader() {
  if (bufEnd_ > bufPos_) {
    try {
      FlushBuffer();
    } catch (...) {
      // A stream that cannot seek back keeps its position; nothing else to undo.
    }
  }
}

void TReader::FlushBuffer() {
  const int32_t unused = bufEnd_ - bufPos_;
  if (unused > 0) stream_.Seek(-static_cast<int64_t>(unused), soCurrent);
  bufPos_ = 0;
  bufEnd_ = 0;
}

int64_t TReader::Position() const { return stream_.Position() - (bufEnd_ - bufPos_); }

void TReader::ReadBuffer() {
  const int64_t got = stream_.Read(buffer_.get(), bufferSize_);
  bufPos_ = 0;
  bufEnd_ = got > 0 ? static_cast<int32_t>(got) : 0;
  if (bufEnd_ == 0) throw EReadError(msg::kStreamReadError, {});
}

int64_t TReader::Remaining() const {
  const int64_t inStream = stream_.Size() - stream_.Position();
  return (bufEnd_ - bufPos_) + (inStream > 0 ? inStream : 0);
}

void TReader::Read(void* buffer, int32_t count) {
  auto* dest = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    int32_t avail = bufEnd_ - bufPos_;
    if (avail == 0) {
      // Large blocks go straight from the stream to their destination: copying
      // them through the buffer would only double the work.
      if (count >= bufferSize_) {
        stream_.ReadBuffer(dest, count);
        return;
      }
      ReadBuffer();
      avail = bufEnd_;
    }
    const int32_t n = count < avail ? count : avail;
    std::memcpy(dest, buffer_.get() + bufPos_, n);
    bufPos_ += n;
    dest += n;
    count -= n;
  }
}

void TReader::SkipBytes(int64_t count) {
  while (count > 0) {
    if (bufPos_ == bufEnd_) ReadBuffer();
    const int64_t avail = bufEnd_ - bufPos_;
    const int64_t n = count < avail ? count : avail;
    bufPos_ += static_cast<int32_t>(n);
    count -= n;
  }
}

int32_t TReader::ReadLength(int unitSize) {
  int32_t length;
  Read(&length, 4);
  // A length that the data left cannot satisfy is refused before anything of
  // that size is allocated.
  if (length < 0 || static_cast<int64_t>(length) * unitSize > Remaining()) {
    throw EReadError(msg::kStreamReadError, {});
  }
  return length;
}

void TReader::PropValueError() { throw EReadError(msg::kInvalidPropertyValue, {}); }

void TReader::PropertyError(const std::string& name) {
  SkipOneValue();
  throw EReadError(msg::kPropertyNotFound, {name});
}

TValueType TReader::ReadValue() {
  uint8_t tag;
  Read(&tag, 1);
  return static_cast<TValueType>(tag);
}

TValueType TReader::NextValue() {
  if (bufPos_ == bufEnd_) ReadBuffer();
  return static_cast<TValueType>(buffer_[bufPos_]);
}

bool TReader::EndOfList() { return NextValue() == svNull; }

std::string TReader::ReadShortString() {
  uint8_t length;
  Read(&length, 1);
  std::string text(length, '\0');
  if (length) Read(text.data(), length);
  return text;
}

uint8_t TReader::ReadPrefix(int32_t& childPos) {
  childPos = 0;
  const uint8_t first = static_cast<uint8_t>(NextValue());
  if ((first & kHeaderPrefixMark) != kHeaderPrefixMark) return 0;
  ReadValue();
  const uint8_t flags = first & kHeaderFlagsMask;
  if (flags & hfChildPos) childPos = ReadInteger();
  return flags;
}

int32_t TReader::ReadInteger() {
  uint8_t data[4];
  switch (ReadValue()) {
    case svInt8:
      Read(data, 1);
      return static_cast<int8_t>(data[0]);
    case svInt16:
      Read(data, 2);
      return FromLittleEndian<int16_t>(data);
    case svInt32:
      Read(data, 4);
      return FromLittleEndian<int32_t>(data);
    default:
      PropValueError();
  }
}

int64_t TReader::ReadInt64() {
  if (NextValue() == svInt64) {
    ReadValue();
    int64_t value;
    Read(&value, 8);
    return value;
  }
  return ReadInteger();
}

bool TReader::ReadBoolean() { return ReadValue() == svTrue; }

long double TReader::ReadFloat() {
  const TValueType tag = NextValue();
  if (tag == svExtended) {
    ReadValue();
    uint8_t raw[sizeof(long double) > kExtendedSize ? sizeof(long double) : kExtendedSize] = {};
    Read(raw, kExtendedSize);
    if constexpr (sizeof(long double) >= kExtendedSize) {
      // The x87 80-bit format is what long double holds on both of our targets.
      long double value;
      std::memcpy(&value, raw, sizeof value);
      return value;
    } else {
      return 0;
    }
  }
  if (tag == svDouble) {
    ReadValue();
    double value;
    Read(&value, 8);
    return value;
  }
  return static_cast<long double>(ReadInt64());
}

float TReader::ReadSingle() {
  if (NextValue() == svSingle) {
    ReadValue();
    float value;
    Read(&value, 4);
    return value;
  }
  return static_cast<float>(ReadInt64());
}

double TReader::ReadDouble() {
  if (NextValue() == svDouble) {
    ReadValue();
    double value;
    Read(&value, 8);
    return value;
  }
  return static_cast<double>(ReadInt64());
}

int64_t TReader::ReadCurrency() {
  if (NextValue() == svCurrency) {
    ReadValue();
    int64_t value;
    Read(&value, 8);
    return value;
  }
  return ReadInt64() * 10000;
}

double TReader::ReadDate() {
  if (NextValue() == svDate) {
    ReadValue();
    double value;
    Read(&value, 8);
    return value;
  }
  return static_cast<double>(ReadInt64());
}

std::string TReader::ReadAnsiBytes(TValueType tag) {
  int32_t length;
  if (tag == svString) {
    uint8_t shortLength;
    Read(&shortLength, 1);
    length = shortLength;
  } else {
    length = ReadLength(1);
  }
  std::string text(static_cast<size_t>(length), '\0');
  if (length) Read(text.data(), length);
  return text;
}

std::string TReader::ReadString() {
  const TValueType tag = NextValue();
  if (tag == svWString || tag == svUTF8String) return WideToAnsi(ReadWideString());
  ReadValue();
  if (tag != svString && tag != svLString) PropValueError();
  return ReadAnsiBytes(tag);
}

std::u16string TReader::ReadWideString() {
  const TValueType tag = NextValue();
  if (tag == svString || tag == svLString) return AnsiToWide(ReadString());
  ReadValue();
  if (tag == svWString) {
    const int32_t count = ReadLength(2);
    std::u16string units(static_cast<size_t>(count), u'\0');
    if (count) Read(units.data(), count * 2);
    return units;
  }
  if (tag == svUTF8String) return DecodeStoredUtf8(ReadAnsiBytes(svLString));
  PropValueError();
}

char TReader::ReadChar() {
  const std::string text = ReadString();
  if (text.size() > 1) PropValueError();
  return text.empty() ? '\0' : text[0];
}

char16_t TReader::ReadWideChar() {
  const std::u16string text = ReadWideString();
  if (text.size() > 1) PropValueError();
  return text.empty() ? u'\0' : text[0];
}

std::string TReader::ReadIdentifier() {
  switch (ReadValue()) {
    case svIdent:
      return ReadShortString();
    case svFalse:
      return "False";
    case svTrue:
      return "True";
    case svNil:
      return "nil";
    case svNull:
      return "Null";
    default:
      PropValueError();
  }
}

uint32_t TReader::ReadSet(const TypeDescriptor& elementType) {
  if (ReadValue() != svSet) PropValueError();
  uint32_t result = 0;
  try {
    for (;;) {
      const std::string name = ReadShortString();
      if (name.empty()) break;
      const int32_t element = SetElementOrdinal(elementType, name);
      // Only the unknown-name answer is an error; other numbers outside the set's
      // 32 bits are passed over.
      if (element == -1) PropValueError();
      if (element >= 0 && element <= 31) result |= 1u << element;
    }
  } catch (...) {
    // Leave the stream after the set so that a handled error can go on reading.
    SkipSetBody();
    throw;
  }
  return result;
}

void TReader::ReadListBegin() {
  if (NextValue() != svList) {
    SkipOneValue();
    PropValueError();
  }
  ReadValue();
}

void TReader::ReadListEnd() {
  if (NextValue() != svNull) {
    SkipOneValue();
    PropValueError();
  }
  ReadValue();
}

void TReader::SkipSetBody() {
  for (;;) {
    uint8_t length;
    Read(&length, 1);
    if (length == 0) break;
    SkipBytes(length);
  }
}

void TReader::SkipCollectionBody() {
  TReaderNesting nest(*this);
  while (!EndOfList()) {
    const TValueType tag = NextValue();
    if (tag == svInt8 || tag == svInt16 || tag == svInt32) SkipOneValue();
    SkipBytes(1);  // the item's list tag, whatever its value
    while (!EndOfList()) SkipProperty();
    ReadValue();
  }
  ReadValue();
}

void TReader::SkipOneValue() {
  const TValueType tag = ReadValue();
  switch (tag) {
    case svList: {
      TReaderNesting nest(*this);
      while (!EndOfList()) SkipOneValue();
      ReadValue();
      break;
    }
    case svString:
    case svIdent: {
      uint8_t length;
      Read(&length, 1);
      SkipBytes(length);
      break;
    }
    case svBinary:
    case svLString:
    case svUTF8String:
      SkipBytes(ReadLength(1));
      break;
    case svWString:
      SkipBytes(static_cast<int64_t>(ReadLength(2)) * 2);
      break;
    case svSet:
      SkipSetBody();
      break;
    case svCollection:
      SkipCollectionBody();
      break;
    default: {
      const int size = FixedValueSize(tag);
      if (size > 0) SkipBytes(size);
      break;
    }
  }
}

void TReader::SkipProperty() {
  uint8_t length;
  Read(&length, 1);
  SkipBytes(length);
  SkipOneValue();
}

void TReader::SkipComponent(bool skipHeader) {
  TReaderNesting nest(*this);
  if (skipHeader) {
    int32_t childPos;
    ReadPrefix(childPos);
    ReadShortString();
    ReadShortString();
  }
  while (!EndOfList()) SkipProperty();
  ReadValue();
  while (!EndOfList()) SkipComponent(true);
  ReadValue();
}
