#include "classes/resource_stream.h"

#include <cstdint>

#include "runtime/exception.h"
#include "runtime/messages.h"

namespace {
// The name as the error message shows it: the text, or the decimal number.
std::string DisplayName(const char* name) {
  if (IS_INTRESOURCE(name)) {
    return std::to_string(static_cast<unsigned>(reinterpret_cast<uintptr_t>(name)));
  }
  return name;
}
}  // namespace

TResourceStream::TResourceStream(HMODULE module, const char* name, const char* type) {
  info_ = FindResourceA(module, name, type);
  if (info_ != nullptr) data_ = LoadResource(module, info_);
  if (data_ == nullptr) throw EResNotFound(msg::kResNotFound, {DisplayName(name)});
  const DWORD size = SizeofResource(module, info_);
  void* bytes = LockResource(data_);
  if (bytes == nullptr && size != 0) {
    FreeResource(data_);
    throw EResNotFound(msg::kResNotFound, {DisplayName(name)});
  }
  SetPointer(bytes, size);
}

TResourceStream::TResourceStream(HMODULE module, const std::string& name, const char* type)
    : TResourceStream(module, name.c_str(), type) {}

TResourceStream::TResourceStream(HMODULE module, unsigned id, const char* type)
    : TResourceStream(module, MAKEINTRESOURCEA(id), type) {}

TResourceStream::~TResourceStream() { FreeResource(data_); }

int64_t TResourceStream::Write(const void*, int64_t) {
  throw EStreamError(msg::kResourceStreamReadOnly, {});
}
