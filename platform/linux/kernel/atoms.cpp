// The global atom table: case-insensitive strings with reference counts, in
// the string-atom range 0xC000..0xFFFF, and "#123" integer atoms, which need
// no table. Process-wide here; Windows shares it across the session.
#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

constexpr ATOM kFirstStringAtom = MAXINTATOM;
constexpr size_t kMaxAtomLength = 255;

struct Slot {
  std::string name;  // as first added; empty = free slot
  unsigned references = 0;
};

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

std::vector<Slot>& Table() {
  static std::vector<Slot> table;
  return table;
}

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// What an atom name stands for.
enum class NameKind { kString, kInteger, kInvalid };

// MAKEINTATOM values and "#digits" strings are integer atoms; 0 and values
// from MAXINTATOM up are not valid integer atoms.
NameKind ParseName(LPCSTR name, ATOM* integer) {
  ULONG_PTR value;
  if (IS_INTRESOURCE(name)) {
    value = reinterpret_cast<ULONG_PTR>(name);
  } else if (name[0] == '#' && name[1] != '\0' &&
             std::strspn(name + 1, "0123456789") == std::strlen(name + 1)) {
    value = 0;
    for (const char* p = name + 1; *p && value < MAXINTATOM; ++p) value = value * 10 + (*p - '0');
  } else {
    size_t length = std::strlen(name);
    return length == 0 || length > kMaxAtomLength ? NameKind::kInvalid : NameKind::kString;
  }
  if (value == 0 || value >= MAXINTATOM) return NameKind::kInvalid;
  *integer = static_cast<ATOM>(value);
  return NameKind::kInteger;
}

Slot* SlotOf(ATOM atom) {
  if (atom < kFirstStringAtom) return nullptr;
  size_t index = atom - kFirstStringAtom;
  if (index >= Table().size() || Table()[index].references == 0) return nullptr;
  return &Table()[index];
}

ATOM FindLocked(LPCSTR name) {
  std::vector<Slot>& table = Table();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].references != 0 && SameName(table[i].name, name)) {
      return static_cast<ATOM>(kFirstStringAtom + i);
    }
  }
  return 0;
}

// Integer names ("#123") and invalid names are answered without the table.
std::optional<ATOM> AnswerWithoutTable(LPCSTR name) {
  ATOM integer = 0;
  switch (ParseName(name, &integer)) {
    case NameKind::kInteger:
      return integer;
    case NameKind::kInvalid:
      SetLastError(ERROR_INVALID_PARAMETER);
      return ATOM(0);
    case NameKind::kString:
      break;
  }
  return std::nullopt;
}

}  // namespace

extern "C" {

ATOM WINAPI GlobalAddAtomA(LPCSTR lpString) {
  if (std::optional<ATOM> answer = AnswerWithoutTable(lpString)) return *answer;
  std::lock_guard<std::mutex> guard(TableLock());
  if (ATOM existing = FindLocked(lpString)) {
    ++SlotOf(existing)->references;
    return existing;
  }
  std::vector<Slot>& table = Table();
  size_t index = 0;
  while (index < table.size() && table[index].references != 0) ++index;
  if (index == table.size()) {
    if (table.size() >= size_t(0x10000 - kFirstStringAtom)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    table.emplace_back();
  }
  table[index].name = lpString;
  table[index].references = 1;
  return static_cast<ATOM>(kFirstStringAtom + index);
}

ATOM WINAPI GlobalFindAtomA(LPCSTR lpString) {
  if (std::optional<ATOM> answer = AnswerWithoutTable(lpString)) return *answer;
  std::lock_guard<std::mutex> guard(TableLock());
  ATOM atom = FindLocked(lpString);
  if (!atom) SetLastError(ERROR_FILE_NOT_FOUND);
  return atom;
}

ATOM WINAPI GlobalDeleteAtom(ATOM nAtom) {
  if (nAtom < kFirstStringAtom) return 0;  // integer atoms are not stored
  std::lock_guard<std::mutex> guard(TableLock());
  Slot* slot = SlotOf(nAtom);
  if (!slot) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nAtom;
  }
  if (--slot->references == 0) slot->name.clear();
  return 0;
}

UINT WINAPI GlobalGetAtomNameA(ATOM nAtom, LPSTR lpBuffer, int nSize) {
  if (!lpBuffer || nSize <= 0) {
    SetLastError(ERROR_MORE_DATA);
    return 0;
  }
  std::string name;
  if (nAtom == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (nAtom < kFirstStringAtom) {
    name = "#" + std::to_string(nAtom);
  } else {
    std::lock_guard<std::mutex> guard(TableLock());
    Slot* slot = SlotOf(nAtom);
    if (!slot) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    name = slot->name;
  }
  // A name that does not fit is cut short but the call reports failure.
  size_t copied = std::min(name.size(), size_t(nSize - 1));
  std::memcpy(lpBuffer, name.data(), copied);
  lpBuffer[copied] = '\0';
  if (copied < name.size()) {
    SetLastError(ERROR_MORE_DATA);
    return 0;
  }
  return UINT(copied);
}

}  // extern "C"
