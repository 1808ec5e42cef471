#include "classes/reader_fixups.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

#include "classes/component.h"
#include "classes/metadata.h"
#include "classes/reader.h"
#include "runtime/critical_section.h"
#include "runtime/namespace_lock.h"

namespace {

struct PendingList {
  CriticalSection lock;
  std::vector<std::unique_ptr<TPropFixup>> records;
  // Lets every destroyed object skip the lock while nothing is pending.
  std::atomic<size_t> count{0};

  void UpdateCount() { count.store(records.size(), std::memory_order_release); }
};

// Never destroyed: objects that outlive static destruction still unregister here.
PendingList& Pending() {
  static PendingList* list = new PendingList;
  return *list;
}

std::mutex& FindersLock() {
  static std::mutex lock;
  return lock;
}

std::vector<TFindGlobalComponent>& Finders() {
  static std::vector<TFindGlobalComponent> finders;
  return finders;
}

bool PropertyHoldsValue(const TPropFixup& fixup) {
  TObject& instance = *fixup.instance;
  if (fixup.isInterface) return FetchInterface(instance, *fixup.prop) != nullptr;
  return FetchObject(instance, *fixup.prop) != nullptr;
}

void SetReference(const TPropFixup& fixup, TComponent* component) {
  if (fixup.isInterface) {
    void* implementation = component ? component->QueryInterface(fixup.prop->type->guid) : nullptr;
    StoreInterface(*fixup.instance, *fixup.prop, implementation);
  } else {
    StoreObject(*fixup.instance, *fixup.prop, component);
  }
}

}  // namespace

void RegisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  std::lock_guard guard(FindersLock());
  Finders().push_back(proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  std::lock_guard guard(FindersLock());
  auto& finders = Finders();
  auto it = std::find(finders.begin(), finders.end(), proc);
  if (it != finders.end()) finders.erase(it);
}

TComponent* LookupGlobalComponent(std::string_view name) {
  std::vector<TFindGlobalComponent> finders;
  {
    std::lock_guard guard(FindersLock());
    finders = Finders();
  }
  for (TFindGlobalComponent finder : finders) {
    if (TComponent* found = finder(name)) return found;
  }
  return nullptr;
}

TComponent* FindNestedComponent(TComponent* root, std::string_view name) {
  if (root == nullptr || name.empty()) return nullptr;
  TComponent* current = root;
  size_t i = 0;
  const size_t size = name.size();
  while (i < size) {
    const size_t start = i;
    while (i < size && name[i] != '.' && name[i] != '-') ++i;
    const std::string_view segment = name.substr(start, i - start);
    TComponent* next = current->FindOwned(segment);
    if (next == nullptr && SameIdent(segment, "Owner")) next = current;
    if (next == nullptr) return nullptr;
    current = next;
    if (i < size && name[i] == '.') ++i;
    if (i < size && name[i] == '-') ++i;
    if (i < size && name[i] == '>') ++i;
  }
  return current;
}

void ResolveLocalReferences(TReader& reader, TFixupList& fixups) {
  for (size_t i = 0; i < fixups.size(); ++i) {
    std::unique_ptr<TPropFixup> fixup = std::move(fixups[i]);

    reader.ReferenceName(fixup->name);
    TComponent* found = FindNestedComponent(fixup->root, fixup->name);
    if (found == nullptr && reader.FindComponentInstanceHook) {
      reader.FindComponentInstanceHook(reader, fixup->name, found);
    }
    {
      PendingList& pending = Pending();
      CriticalSectionGuard guard(pending.lock);
      std::erase_if(pending.records, [&](const std::unique_ptr<TPropFixup>& record) {
        return record->instance == fixup->instance && record->prop == fixup->prop;
      });
      pending.UpdateCount();
    }
    const size_t dot = fixup->name.find('.');
    if (found != nullptr || dot == std::string::npos) {
      SetReference(*fixup, found);
    } else {
      fixup->rootName = fixup->name.substr(0, dot);
      fixup->name.erase(0, dot + 1);
      PendingList& pending = Pending();
      CriticalSectionGuard guard(pending.lock);
      pending.records.push_back(std::move(fixup));
      pending.UpdateCount();
    }
  }
  fixups.clear();
}

void ResolveGlobalReferences() {
  WriteLockGuard nameSpace(NameSpaceLock());
  PendingList& pending = Pending();
  CriticalSectionGuard guard(pending.lock);
  auto& records = pending.records;
  for (size_t i = 0; i < records.size();) {
    TPropFixup& fixup = *records[i];
    TComponent* root = LookupGlobalComponent(fixup.rootName);
    if ((root == nullptr && !PropertyHoldsValue(fixup)) ||
        (root != nullptr && root->HasState(stReading))) {
      ++i;
      continue;
    }
    // Taken off the list first: setting the property may run code that looks at it.
    std::unique_ptr<TPropFixup> record = std::move(records[i]);
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(i));
    pending.UpdateCount();
    if (root != nullptr) SetReference(*record, FindNestedComponent(root, record->name));
  }
}

void RemoveGlobalReferencesOfRoot(TComponent* root) {
  PendingList& pending = Pending();
  CriticalSectionGuard guard(pending.lock);
  std::erase_if(pending.records, [root](const std::unique_ptr<TPropFixup>& record) {
    return root == nullptr || record->root == root;
  });
  pending.UpdateCount();
}

void RemoveGlobalReferencesOfInstance(TPersistent* instance) {
  PendingList& pending = Pending();
  if (pending.count.load(std::memory_order_acquire) == 0) return;
  CriticalSectionGuard guard(pending.lock);
  std::erase_if(pending.records, [instance](const std::unique_ptr<TPropFixup>& record) {
    return record->instance == instance;
  });
  pending.UpdateCount();
}

size_t PendingGlobalReferenceCount() {
  PendingList& pending = Pending();
  CriticalSectionGuard guard(pending.lock);
  return pending.records.size();
}
