#include "runtime/messages.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/win32.h"

namespace {

std::string LoadFromTable(int id) {
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

}  // namespace

std::string LoadMessage(int id) {
  // Every framework exception formats one of these texts, and a reader that recovers
  // from bad properties raises one per property: each text is looked up and converted
  // once per code page. Never destroyed, so exceptions raised late in shutdown still
  // find it. A missing text is not remembered.
  static std::mutex& lock = *new std::mutex;
  static auto& texts = *new std::map<std::pair<UINT, int>, std::string>;
  const std::pair<UINT, int> key{GetACP(), id};
  {
    std::lock_guard<std::mutex> guard(lock);
    if (auto known = texts.find(key); known != texts.end()) return known->second;
  }
  std::string text = LoadFromTable(id);
  if (!text.empty()) {
    std::lock_guard<std::mutex> guard(lock);
    texts.emplace(key, text);
  }
  return text;
}
