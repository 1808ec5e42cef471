#pragma once
// TResourceStream: a read-only memory stream over the bytes of one resource of a
// module. Finding or loading the resource fails with EResNotFound "Resource %s not
// found"; writing raises EStreamError "Can't write to a read-only resource stream".
#include <string>

#include "classes/streams.h"
#include "platform/win32.h"

class TResourceStream : public TCustomMemoryStream {
 public:
  // `name` may also be a MAKEINTRESOURCE number. A null module is the executable.
  TResourceStream(HMODULE module, const char* name, const char* type);
  TResourceStream(HMODULE module, const std::string& name, const char* type);
  TResourceStream(HMODULE module, unsigned id, const char* type);
  ~TResourceStream() override;

  int64_t Write(const void* buffer, int64_t count) override;

 private:
  HRSRC info_ = nullptr;
  HGLOBAL data_ = nullptr;
};
