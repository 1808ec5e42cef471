#include "runtime/messages.h"

#include "platform/win32.h"

std::string LoadMessage(int id) {
  // Our texts are short; the loop only matters if one ever outgrows the buffer
  // (LoadStringA then fills it to the last byte and returns size - 1).
  HINSTANCE module = GetModuleHandleA(nullptr);
  std::string buffer(256, '\0');
  for (;;) {
    const int length =
        LoadStringA(module, static_cast<UINT>(id), buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0) return {};
    if (static_cast<size_t>(length) + 1 < buffer.size() || buffer.size() >= 65536) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
}
