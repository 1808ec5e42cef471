// Arbitrary bytes as a stored component tree, read into a root that publishes a
// property of every kind and takes labels, panels (nesting) and images as children.
// Each input is read twice: once failing at the first error, once with an error hook
// that reports every error handled, so that the recovery paths run too.
#include <cstddef>
#include <cstdint>

#include "classes/reader.h"
#include "classes/streams.h"
#include "runtime/exception.h"
#include "tests/classes/standins.h"

namespace {

// Stored trees are small; longer inputs only slow every run down. The launcher's own
// window is a seed with a small picture; its names are in reader_fuzz.dict.
constexpr size_t kMaxInput = 4096;

void ReadOnce(const uint8_t* data, size_t size, bool handleErrors) {
  TMemoryStream stream;
  if (size > 0) stream.WriteBuffer(data, static_cast<int64_t>(size));
  stream.SetPosition(0);
  TOwnedPtr<standins::TKinds> root(new standins::TKinds(nullptr));
  try {
    TReader reader(stream);
    if (handleErrors) {
      reader.ErrorHook = [](TReader&, const std::string&, bool& handled) { handled = true; };
    }
    reader.LoadRoot(root.get());
  } catch (const Exception&) {
    // Refusing bad input with a framework exception is the expected outcome.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  standins::EnsureRegistered();
  ReadOnce(data, size, false);
  ReadOnce(data, size, true);
  standins::LoadLog().clear();
  return 0;
}
