// Resources of the main module: the tables the generated resource files
// register, and the Windows look-up functions over them.
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/kernel/modules.h"
#include "platform/linux/resource_table.h"
#include "platform/win32.h"

namespace {

struct Table {
  const linux_rc::Entry* entries;
  unsigned count;
};

// Registration runs during static initialisation, possibly before any other
// global here exists, so the list is built on first use.
std::vector<Table>& Tables() {
  static std::vector<Table> tables;
  return tables;
}

std::mutex& TablesLock() {
  static std::mutex lock;
  return lock;
}

// A resource type or name as FindResource takes it: a number (MAKEINTRESOURCE
// or "#123") or an upper-cased text.
struct Key {
  bool valid = true;
  bool numeric = false;
  unsigned id = 0;
  std::string text;
};

Key MakeKey(LPCSTR value) {
  Key key;
  if (IS_INTRESOURCE(value)) {
    key.numeric = true;
    key.id = unsigned(reinterpret_cast<ULONG_PTR>(value));
    return key;
  }
  if (value[0] == '#') {
    key.numeric = true;
    const char* digits = value + 1;
    key.valid = *digits != '\0' && std::strspn(digits, "0123456789") == std::strlen(digits);
    for (const char* p = digits; key.valid && *p; ++p) {
      key.id = key.id * 10 + unsigned(*p - '0');
      key.valid = key.id <= 0xFFFF;
    }
    return key;
  }
  key.text = value;
  // Stored names are upper-cased, so this makes the match case-insensitive.
  for (char& c : key.text) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return key;
}

bool Matches(const char* storedName, unsigned storedId, const Key& key) {
  if (key.numeric) return storedName == nullptr && storedId == key.id;
  return storedName != nullptr && key.text == storedName;
}

bool IsKnownEntry(const linux_rc::Entry* entry) {
  std::lock_guard<std::mutex> guard(TablesLock());
  for (const Table& table : Tables()) {
    if (entry >= table.entries && entry < table.entries + table.count) return true;
  }
  return false;
}

// Whether [data, data + size) lies in one read-only loaded segment of a file.
bool InReadOnlySegment(const unsigned char* data, unsigned size) {
  struct Range {
    uintptr_t begin, end;
    bool found;
  } range{reinterpret_cast<uintptr_t>(data), reinterpret_cast<uintptr_t>(data) + size, false};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* arg) {
        auto* r = static_cast<Range*>(arg);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& ph = info->dlpi_phdr[i];
          if (ph.p_type != PT_LOAD || (ph.p_flags & PF_W)) continue;
          const uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
          if (r->begin >= begin && r->end <= begin + ph.p_filesz) r->found = true;
        }
        return r->found ? 1 : 0;
      },
      &range);
  return range.found;
}

const linux_rc::Entry* EntryOf(HRSRC resource) {
  auto* entry = reinterpret_cast<const linux_rc::Entry*>(resource);
  return entry && IsKnownEntry(entry) ? entry : nullptr;
}

// Little-endian UTF-16 unit `i` of a resource.
char16_t UnitAt(const linux_rc::Entry& entry, unsigned i) {
  return char16_t(entry.data[2 * size_t(i)] | (entry.data[2 * size_t(i) + 1] << 8));
}

// An empty resource still needs a non-null handle and address.
const unsigned char kEmptyData[1] = {0};

// Where string `id` lies in its RT_STRING block of 16 counted UTF-16 strings.
struct StringRef {
  const linux_rc::Entry* block = nullptr;
  unsigned offset = 0;  // in UTF-16 units, of the first unit of the text
  unsigned length = 0;  // 0 for an absent string within an existing block
};

// Returns false (last error set by FindResourceA) when the block is missing.
bool FindString(HINSTANCE instance, UINT id, StringRef* ref) {
  HRSRC block = FindResourceA(instance, MAKEINTRESOURCEA((LOWORD(id) >> 4) + 1), RT_STRING);
  if (!block) return false;
  ref->block = reinterpret_cast<const linux_rc::Entry*>(block);
  // Walk the counted strings without ever reading past the block.
  const unsigned units = ref->block->size / 2;
  unsigned pos = 0;
  for (unsigned skip = id & 0xF; skip > 0 && pos < units; --skip)
    pos += 1 + UnitAt(*ref->block, pos);
  if (pos >= units) return true;
  ref->offset = pos + 1;
  ref->length = std::min<unsigned>(UnitAt(*ref->block, pos), units - pos - 1);
  return true;
}

// The text as a string; read byte-wise because resource data need not be aligned.
std::u16string StringText(const StringRef& ref) {
  std::u16string text(ref.length, u'\0');
  for (unsigned i = 0; i < ref.length; ++i) text[i] = UnitAt(*ref.block, ref.offset + i);
  return text;
}

}  // namespace

namespace linux_rc {

void RegisterResources(const Entry* entries, unsigned count) {
  std::lock_guard<std::mutex> guard(TablesLock());
  Tables().push_back({entries, count});
}

}  // namespace linux_rc

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  if (!lpName || !lpType) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  if (!linux_kernel::IsMainModule(hModule)) {
    SetLastError(linux_kernel::SystemDllName(hModule) ? ERROR_RESOURCE_TYPE_NOT_FOUND
                                                      : ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  const Key type = MakeKey(lpType);
  const Key name = MakeKey(lpName);
  bool typeFound = false;
  {
    std::lock_guard<std::mutex> guard(TablesLock());
    for (const Table& table : Tables()) {
      for (unsigned i = 0; i < table.count; ++i) {
        const linux_rc::Entry& entry = table.entries[i];
        if (!type.valid || !Matches(entry.typeName, entry.typeId, type)) continue;
        typeFound = true;
        if (name.valid && Matches(entry.name, entry.id, name)) {
          return reinterpret_cast<HRSRC>(const_cast<linux_rc::Entry*>(&entry));
        }
      }
    }
  }
  SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
  (void)wLanguage;  // one language per resource here
  return FindResourceA(hModule, lpName, lpType);
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  (void)hModule;
  const linux_rc::Entry* entry = EntryOf(hResInfo);
  if (!entry) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const void* data = entry->size != 0 && entry->data ? entry->data : kEmptyData;
  return const_cast<void*>(data);
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  (void)hModule;
  const linux_rc::Entry* entry = EntryOf(hResInfo);
  if (!entry) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return entry->size;
}

// Loaded resources are the mapped data itself, as on Win32.
LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

// Obsolete on Win32 (answers FALSE, the data stays valid). Data in a read-only segment of
// a loaded file (the program's own resources): the whole pages it covers are given back
// to the system, as nothing is kept in them; a later read brings them in again from the
// file unchanged. A form's stream (300 KB with its picture) then no longer counts towards
// the peak memory. Data anywhere else (tables registered from writable memory) is left.
BOOL WINAPI FreeResource(HGLOBAL hResData) {
  const auto* data = static_cast<const unsigned char*>(hResData);
  unsigned size = 0;
  {
    std::lock_guard<std::mutex> guard(TablesLock());
    for (const Table& table : Tables())
      for (unsigned i = 0; i < table.count && !size; ++i)
        if (table.entries[i].data == data) size = table.entries[i].size;
  }
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
  if (size && end > first && InReadOnlySegment(data, size))
    madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
  return FALSE;
}

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  StringRef ref;
  bool found = FindString(hInstance, uID, &ref);
  if (cchBufferMax == 0) {
    // Zero size asks for a read-only pointer to the resource text itself.
    const unsigned char* text =
        found && ref.length ? ref.block->data + 2 * size_t(ref.offset) : nullptr;
    std::memcpy(lpBuffer, &text, sizeof(text));
    return int(found ? ref.length : 0);
  }
  std::u16string text = found ? StringText(ref) : std::u16string();
  size_t copied = std::min(text.size(), size_t(cchBufferMax - 1));
  std::memcpy(lpBuffer, text.data(), copied * sizeof(WCHAR));
  lpBuffer[copied] = 0;
  return int(copied);
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  // The ANSI version has no "pointer to the resource" form: a zero size is
  // refused with -1 and nothing is written.
  if (cchBufferMax == 0) return -1;
  if (!lpBuffer || cchBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  StringRef ref;
  int copied = 0;
  if (FindString(hInstance, uID, &ref) && ref.length != 0) {
    // Convert all of it, then keep what fits before the terminating zero.
    std::u16string text = StringText(ref);
    std::string ansi(text.size(), '\0');
    int bytes =
        WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(text.data()), int(text.size()),
                            ansi.data(), int(ansi.size()), nullptr, nullptr);
    copied = std::min(bytes, cchBufferMax - 1);
    std::memcpy(lpBuffer, ansi.data(), size_t(copied));
  }
  lpBuffer[copied] = '\0';
  return copied;
}

}  // extern "C"
