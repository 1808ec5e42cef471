// TReader: the root record, child records, class resolution and recovery.
#include <algorithm>
#include <cstring>

#include "classes/class_registry.h"
#include "classes/component.h"
#include "classes/loaded_list.h"
#include "classes/metadata.h"
#include "classes/reader.h"
#include "classes/reader_fixups.h"
#include "classes/reader_nesting.h"
#include "runtime/exception.h"
#include "runtime/format.h"
#include "runtime/messages.h"
#include "runtime/namespace_lock.h"
#include "runtime/scope_exit.h"

namespace {

// A cross-root fixup that keeps failing although the error hook reports it handled
// would otherwise be retried for ever.
constexpr int kMaxGlobalResolveAttempts = 16;

bool Contains(const std::vector<TComponent*>& list, const TComponent* component) {
  return std::find(list.begin(), list.end(), component) != list.end();
}

}  // namespace

TReaderNesting::TReaderNesting(TReader& reader) : reader_(reader) {
  if (reader_.nesting_ >= TReader::kMaxNesting) {
    throw EReadError(msg::kInvalidStreamFormat, {});
  }
  ++reader_.nesting_;
}

void TReader::SetRoot(TComponent* root) { TFiler::SetRoot(root); }

bool TReader::Error(const std::string& message) {
  bool handled = false;
  if (ErrorHook) ErrorHook(*this, message, handled);
  return handled;
}

void TReader::SetName(TComponent* component, std::string& name) {
  if (SetNameHook) SetNameHook(*this, component, name);
  component->AssignName(name);
}

void TReader::ReferenceName(std::string& name) {
  if (ReferenceNameHook) ReferenceNameHook(*this, name);
}

TComponent* TReader::FindAncestorComponent(const std::string& name, const ClassMetadata* cls) {
  TComponent* found = lookupRoot_ ? lookupRoot_->FindOwned(name) : nullptr;
  if (found == nullptr && AncestorNotFoundHook) AncestorNotFoundHook(*this, name, cls, found);
  return found;
}

const ClassMetadata& TReader::FindComponentClass(const std::string& className) {
  auto lookupOn = [&](TComponent* where) -> const ClassMetadata* {
    if (where == nullptr) return nullptr;
    if (const ClassMetadata* cls = FindFieldClass(where->Meta(), className)) return cls;
    return finder_ ? finder_->Lookup(className) : LookupRegisteredClass(className);
  };
  const ClassMetadata* cls = lookupOn(root_);
  if (root_ == nullptr) cls = LookupRegisteredClass(className);
  if (cls == nullptr && lookupRoot_ != root_) cls = lookupOn(lookupRoot_);
  if (FindComponentClassHook) FindComponentClassHook(*this, className, cls);
  if (cls == nullptr || !cls->IsComponentClass()) {
    throw EClassNotFound(msg::kClassNotFound, {className});
  }
  return *cls;
}

TComponent* TReader::LoadRoot(TComponent* root) {
  char signature[4];
  Read(signature, 4);
  if (std::memcmp(signature, kFormSignature, 4) != 0) {
    throw EReadError(msg::kInvalidStreamFormat, {});
  }
  WriteLockGuard nameSpace(NameSpaceLock());
  TComponent* result = root;
  bool created = false;
  TPrivateLoadedList privateList;
  try {
    int32_t childPos;
    ReadPrefix(childPos);  // the root's flags mean nothing here
    if (root != nullptr) {
      ReadShortString();
      if (root->HasState(stDesigning)) {
        ReadShortString();
      } else {
        root->IncludeState(stLoading | stReading);
        const std::string stored = ReadShortString();
        // Another live root may already carry the stored name (a second copy of
        // the same form): the first free of Name, Name_1, Name_2, ... is taken.
        std::string candidate = stored;
        for (int i = 1; LookupGlobalComponent(candidate) != nullptr; ++i) {
          candidate = FormatText("%s_%d", {stored, i});
        }
        root->AssignName(candidate);
      }
    } else {
      const ClassMetadata& cls = RequireRegisteredClass(ReadShortString());
      if (!cls.IsComponentClass()) throw EClassNotFound(msg::kClassNotFound, {cls.name});
      result = cls.Construct(nullptr);
      created = true;
      result->AssignName(ReadShortString());
    }

    SetRoot(result);
    lookupRoot_ = result;
    finder_ = std::make_unique<TClassFinder>(result->Meta(), true);
    loaded_ = SharedLoadedList();
    if (loaded_ == nullptr) loaded_ = &privateList.items;
    if (!Contains(*loaded_, result)) loaded_->push_back(result);

    owner_ = result;
    result->IncludeState(stLoading | stReading);
    result->ReadOwnState(*this);
    result->ExcludeState(stReading);

    if (loaded_ == &privateList.items) {
      // Only the components present when the calls begin are finished here.
      FinishLoadedList(privateList.items, privateList.items.size());
    }
    loaded_ = nullptr;
    finder_.reset();
    ResolveGlobalReferencesRetrying();
  } catch (...) {
    loaded_ = nullptr;
    finder_.reset();
    RemoveGlobalReferencesOfRoot(root);
    if (result != nullptr) {
      // A root left behind must not look as if it were still being read: pending
      // references of other roots would wait for it for ever.
      result->ExcludeState(stReading);
      if (created) {
        ForgetSharedLoaded(result);
        if (root_ == result) root_ = nullptr;
        if (lookupRoot_ == result) lookupRoot_ = nullptr;
        if (owner_ == result) owner_ = nullptr;
        result->Free();
      }
    }
    throw;
  }
  return result;
}

void TReader::ResolveGlobalReferencesRetrying() {
  for (int attempt = 1;; ++attempt) {
    try {
      ResolveGlobalReferences();
      return;
    } catch (const Exception& e) {
      if (attempt >= kMaxGlobalResolveAttempts || !Error(e.Message())) throw;
    }
  }
}

void TReader::ReadComponentData(TComponent* instance) {
  TReaderNesting nest(*this);
  std::unique_ptr<TFixupList> ownFixups;
  if (fixups_ == nullptr) {
    ownFixups = std::make_unique<TFixupList>();
    fixups_ = ownFixups.get();
  }
  // On failure the records read so far go with ownFixups.
  ScopeExit dropOnFailure([this, &ownFixups] {
    if (ownFixups) fixups_ = nullptr;
  });
  while (!EndOfList()) ReadPropertyEntry(instance);
  ReadValue();
  {
    TComponent* const savedParent = parent_;
    TComponent* const savedOwner = owner_;
    parent_ = instance->ChildParentFor();
    owner_ = instance->ChildOwnerFor();
    if (owner_ == nullptr) owner_ = root_;
    ScopeExit restore([this, savedParent, savedOwner] {
      parent_ = savedParent;
      owner_ = savedOwner;
    });
    while (!EndOfList()) LoadChild(nullptr);
    ReadValue();
  }
  dropOnFailure.Release();
  if (ownFixups) {
    fixups_ = nullptr;
    ResolveLocalReferences(*this, *ownFixups);
  }
}

bool TReader::RecoverChild(const Exception& error, TComponent*& component, bool created) {
  if (created && component != nullptr) component->Free();
  component = nullptr;
  SkipComponent(false);
  return Error(error.Message());
}

namespace {

// The owned components that are read as part of their owner's record.
std::vector<TComponent*> SubComponentsOf(TComponent* component) {
  std::vector<TComponent*> subComponents;
  for (int i = 0, count = component->OwnedCount(); i < count; ++i) {
    TComponent* owned = component->OwnedAt(i);
    if (owned->HasStyle(sySubComponent)) subComponents.push_back(owned);
  }
  return subComponents;
}

void SetState(TComponent* component, const std::vector<TComponent*>& subComponents,
              TComponentState state, bool on) {
  auto set = [state, on](TComponent* c) { on ? c->IncludeState(state) : c->ExcludeState(state); };
  set(component);
  for (TComponent* sub : subComponents) set(sub);
}

}  // namespace

TComponent* TReader::LoadChild(TComponent* component) {
  TReaderNesting nest(*this);
  int32_t childPos;
  const uint8_t flags = ReadPrefix(childPos);
  const std::string className = ReadShortString();
  std::string name = ReadShortString();

  ScopeExit restore([this, parent = parent_, lookupRoot = lookupRoot_] {
    parent_ = parent;
    lookupRoot_ = lookupRoot;
  });

  TComponent* result = component;
  bool created = false;
  if (result == nullptr) {
    try {
      result = FindOrCreateChild(flags, className, name, created);
    } catch (const Exception& e) {
      if (!RecoverChild(e, result, created)) throw;
      return nullptr;
    }
  }

  ScopeExit freeOnFailure([&created, &result] {
    if (created && result != nullptr) result->Free();
  });
  const std::vector<TComponent*> subComponents = SubComponentsOf(result);
  SetState(result, subComponents, stLoading, true);
  if (!(flags & hfInherited) && !PlaceNewChild(result, created, name)) {
    freeOnFailure.Release();
    return nullptr;
  }
  if (result->HasState(stInline)) lookupRoot_ = result;

  SetState(result, subComponents, stReading, true);
  result->ReadOwnState(*this);
  SetState(result, subComponents, stReading, false);

  if ((flags & hfChildPos) && parent_ != nullptr) parent_->PlaceChildAt(result, childPos);

  if (loaded_ != nullptr && (!(flags & hfInherited) || !Contains(*loaded_, result))) {
    for (TComponent* sub : subComponents) loaded_->push_back(sub);
    loaded_->push_back(result);
  }
  freeOnFailure.Release();
  return result;
}

// An inherited child is the ancestor's, found by name; any other is made here (or by
// CreateComponentHook), and `created` says so.
TComponent* TReader::FindOrCreateChild(uint8_t flags, const std::string& className,
                                       const std::string& name, bool& created) {
  const ClassMetadata& cls = FindComponentClass(className);
  TComponent* result = nullptr;
  if (flags & hfInherited) {
    result = FindAncestorComponent(name, &cls);
    if (result == nullptr) throw EReadError(msg::kAncestorNotFound, {name});
    parent_ = result->ParentOfComponent();
    if (parent_ == nullptr) parent_ = root_;
    return result;
  }
  if (CreateComponentHook) CreateComponentHook(*this, cls, result);
  if (result == nullptr) {
    const uint16_t initial = (flags & hfInline) ? (stLoading | stInline) : 0;
    result = cls.Construct(owner_, initial);
  }
  created = true;
  result->IncludeState(stLoading);
  return result;
}

// Gives a new child its parent and name; false when that failed and the error was
// handled, the child then freed and `created` cleared.
bool TReader::PlaceNewChild(TComponent*& result, bool& created, std::string& name) {
  try {
    result->AttachToParent(parent_);
    SetName(result, name);
    if (result->HasState(stDesigning) && LookupGlobalComponent(name) == result) {
      result->IncludeState(stInline);
    }
    return true;
  } catch (const Exception& e) {
    const bool handled = RecoverChild(e, result, created);
    created = false;  // already destroyed by the recovery
    if (!handled) throw;
    return false;
  }
}
