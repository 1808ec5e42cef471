#include "platform/linux/gdi/objects.h"

#include <array>
#include <mutex>

namespace linux_gdi {

namespace {

// A handle is (generation << 16) | slot. A slot's generation advances when its object
// goes, so an old handle never finds the next object stored there.
struct Slot {
  std::unique_ptr<GdiObject> object;
  uint16_t generation = 1;
};

struct Table {
  std::mutex lock;
  std::vector<Slot> slots = std::vector<Slot>(1);  // slot 0 is never used
  std::vector<uint32_t> freeSlots;
  std::array<int, 16> live{};
};

constexpr size_t kMaxSlots = 0xFFFF;

Table& TheTable() {
  static Table* table = new Table;  // outlives every static that might still hold handles
  return *table;
}

uintptr_t Value(HGDIOBJ handle) { return reinterpret_cast<uintptr_t>(handle); }

}  // namespace

HGDIOBJ AddObject(std::unique_ptr<GdiObject> object) {
  Table& t = TheTable();
  std::lock_guard guard(t.lock);
  uint32_t index;
  if (!t.freeSlots.empty()) {
    index = t.freeSlots.back();
    t.freeSlots.pop_back();
  } else if (t.slots.size() < kMaxSlots) {
    index = static_cast<uint32_t>(t.slots.size());
    t.slots.emplace_back();
  } else {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Slot& slot = t.slots[index];
  if (!object->stock) ++t.live[object->Type() & 15];
  slot.object = std::move(object);
  return reinterpret_cast<HGDIOBJ>((static_cast<uintptr_t>(slot.generation) << 16) | index);
}

GdiObject* FindObject(HGDIOBJ handle, DWORD type) {
  Table& t = TheTable();
  const uintptr_t value = Value(handle);
  const uintptr_t index = value & 0xFFFF;
  std::lock_guard guard(t.lock);
  // A bare index (upper word zero, never a handle given out) names whatever lives in
  // that slot, as the system resolves such values; a stale handle keeps failing.
  const uintptr_t generation = value >> 16;
  if (index == 0 || index >= t.slots.size() ||
      (generation != 0 && t.slots[index].generation != generation) || !t.slots[index].object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  GdiObject* object = t.slots[index].object.get();
  if (type != 0 && object->Type() != type) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

bool RemoveObject(HGDIOBJ handle) {
  if (!FindObject(handle)) return false;
  std::unique_ptr<GdiObject> gone;
  {
    Table& t = TheTable();
    std::lock_guard guard(t.lock);
    const uintptr_t index = Value(handle) & 0xFFFF;
    Slot& slot = t.slots[index];
    gone = std::move(slot.object);
    if (!gone->stock) --t.live[gone->Type() & 15];
    slot.generation = static_cast<uint16_t>(slot.generation == 0xFFFF ? 1 : slot.generation + 1);
    t.freeSlots.push_back(static_cast<uint32_t>(index));
  }
  return true;  // the object is destroyed here, outside the lock
}

int LiveObjectCount(DWORD type) {
  Table& t = TheTable();
  std::lock_guard guard(t.lock);
  return t.live[type & 15];
}

}  // namespace linux_gdi

namespace linux_gdi {

void Retain(HGDIOBJ handle) {
  if (GdiObject* object = handle ? FindObject(handle) : nullptr) ++object->selections;
}

void Release(HGDIOBJ handle) {
  GdiObject* object = handle ? FindObject(handle) : nullptr;
  if (!object) return;
  if (--object->selections <= 0 && object->deletePending) RemoveObject(handle);
}

}  // namespace linux_gdi
