#include "forms/cursor_table.h"

namespace {

// Native cursor names by identifier, from -22 (index 0) to -2 (index 20). Numbers from
// 32761 up are the executable's cursor resources; the rest are the system's.
constexpr uint16_t kCursorNames[] = {
    0x7F86,  // -22 size all
    0x7F8B,  // -21 is replaced below by the executable's hand
    0x7F8B,  // -20 help
    0x7F8A,  // -19 app starting
    0x7F88,  // -18 no
    32762,   // -17 wait for data
    32763,   // -16 multiple drag
    32764,   // -15 vertical split
    32765,   // -14 horizontal split
    32767,   // -13 no drop
    32766,   // -12 drag
    0x7F02,  // -11 hour glass
    0x7F04,  // -10 up arrow
    0x7F84,  // -9 size WE
    0x7F82,  // -8 size NWSE
    0x7F85,  // -7 size NS
    0x7F83,  // -6 size NESW
    0x7F86,  // -5 size all (no name of its own)
    0x7F01,  // -4 I-beam
    0x7F03,  // -3 cross
    0x7F00,  // -2 arrow
};
constexpr int16_t kFirstId = -22;
constexpr uint16_t kHandCursor = 32761;

uint16_t CursorNameFor(int16_t id) { return id == -21 ? kHandCursor : kCursorNames[id - kFirstId]; }

HCURSOR LoadArrow() { return LoadCursorA(nullptr, IDC_ARROW); }

}  // namespace

bool IsOwnCursorIdentifier(int16_t id) { return id == -21 || (id >= -17 && id <= -12); }

CursorTable::CursorTable() {
  default_ = LoadArrow();
  HINSTANCE executable = GetModuleHandleA(nullptr);
  for (int id = kFirstId; id <= -2; ++id) {
    HINSTANCE module = IsOwnCursorIdentifier(id) ? executable : nullptr;
    HCURSOR handle = LoadCursorA(module, MAKEINTRESOURCEA(CursorNameFor(id)));
    records_.push_front(Record{static_cast<int16_t>(id), handle});
  }
}

CursorTable::~CursorTable() {
  for (const Record& record : records_) {
    if (record.handle && (IsOwnCursorIdentifier(record.id) || record.id > 0)) {
      DestroyCursor(record.handle);
    }
  }
  if (default_ != LoadArrow()) DestroyCursor(default_);
}

HCURSOR CursorTable::HandleFor(int16_t id) const {
  if (id == -1) return nullptr;
  for (const Record& record : records_) {
    if (record.id == id) return record.handle;
  }
  return default_;
}

void CursorTable::SetHandle(int16_t id, HCURSOR handle) {
  if (id == 0) {
    if (default_ != LoadArrow()) DestroyCursor(default_);
    default_ = handle;
    return;
  }
  records_.remove_if([id](const Record& record) {
    if (record.id != id) return false;
    if (record.handle && (IsOwnCursorIdentifier(id) || id > 0)) DestroyCursor(record.handle);
    return true;
  });
  records_.push_front(Record{id, handle});
}

std::vector<int16_t> CursorTable::Identifiers() const {
  std::vector<int16_t> ids;
  for (const Record& record : records_) ids.push_back(record.id);
  return ids;
}
