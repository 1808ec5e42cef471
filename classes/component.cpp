#include "classes/component.h"

#include "classes/filer.h"
#include "classes/list.h"
#include "classes/loaded_list.h"
#include "classes/metadata_builder.h"
#include "classes/reader.h"
#include "classes/standard_types.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

namespace {

constinit const TypeDescriptor kComponentNameType = SimpleType(pkLongString, "TComponentName");

// State flags a virtual construction asks for before the constructor body runs.
thread_local TComponentState pendingConstructionState = 0;

// ASCII letters compared without regard to case; other bytes must be equal.
bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return false;
  }
  return true;
}

TComponent* At(const TList& list, int index) { return static_cast<TComponent*>(list.Get(index)); }

int16_t LowHalf(int32_t info) { return static_cast<int16_t>(info & 0xFFFF); }
int16_t HighHalf(int32_t info) { return static_cast<int16_t>((info >> 16) & 0xFFFF); }
int32_t WithLowHalf(int32_t info, int32_t value) {
  return static_cast<int32_t>((static_cast<uint32_t>(info) & 0xFFFF0000u) |
                              (static_cast<uint32_t>(value) & 0xFFFFu));
}
int32_t WithHighHalf(int32_t info, int32_t value) {
  return static_cast<int32_t>((static_cast<uint32_t>(info) & 0xFFFFu) |
                              (static_cast<uint32_t>(value) << 16));
}

}  // namespace

const ClassMetadata& TComponent::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TComponent>("TComponent", &TPersistent::StaticMeta(), "classes")
          .Constructor()
          // The stream carries the name in the component header, never as a property.
          .Property("Name", kComponentNameType, ByField(&TComponent::name_),
                    ByVirtual(&TComponent::AssignName))
          .NotStored()
          .Property("Tag", kIntegerType, ByField(&TComponent::tag_), ByField(&TComponent::tag_))
          .Default(0)
          .Build();
  return meta;
}

TComponent* ClassMetadata::Construct(TComponent* owner, uint16_t initialState) const {
  if (!constructor) throw EClassNotFound(msg::kClassNotFound, {name});
  pendingConstructionState = initialState;
  ScopeExit clear([] { pendingConstructionState = 0; });
  return constructor(owner);
}

bool IsValidIdent(std::string_view name) {
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (name.empty() || !alpha(name[0])) return false;
  for (char c : name.substr(1)) {
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

// --- lifetime -----------------------------------------------------------------------

TComponent::TComponent(TComponent* owner) {
  state_ = pendingConstructionState;
  pendingConstructionState = 0;
  style_ = syInheritable;
  if (!owner) return;
  // No destructor runs for a half-built component: the owner must not keep it.
  ScopeExit disownOnFailure([this] {
    if (owner_) {
      owner_->RemoveOwned(this);
      owner_ = nullptr;
    }
  });
  owner->AdoptComponent(this);
  disownOnFailure.Release();
}

void TComponent::BeforeDestruction() {
  if (!HasState(stDestroying)) BeginDestroying();
}

TComponent::~TComponent() {  // NOLINT(bugprone-exception-escape): see the declaration
  // Reached without Free(): the flags must still say what is happening.
  if (!HasState(stDestroying)) BeginDestroying();
  while (watchers_ && watchers_->Count() > 0) {
    TComponent* other = At(*watchers_, watchers_->Count() - 1);
    other->ComponentNotify(this, noRemove);
    // An override that did not unwatch would keep the entry and loop forever.
    if (watchers_ && watchers_->Count() > 0 && At(*watchers_, watchers_->Count() - 1) == other) {
      UnwatchForFree(other);
    }
  }
  watchers_.reset();
  DestroyOwned();
  if (owner_) owner_->ReleaseComponent(this);
  // A shared read still pending must not finish a component that is gone.
  ForgetSharedLoaded(this);
}

void TComponent::BeginDestroying() {
  if (HasState(stDestroying)) return;
  IncludeState(stDestroying);
  for (int i = 0; owned_ && i < owned_->Count(); ++i) At(*owned_, i)->BeginDestroying();
}

void TComponent::DestroyOwned() {
  while (owned_ && owned_->Count() > 0) {
    TComponent* component = At(*owned_, owned_->Count() - 1);
    if (component->HasState(stFreeNotification) || (HasState(stDesigning) && HasState(stInline))) {
      ReleaseComponent(component);
    } else {
      RemoveOwned(component);
      component->owner_ = nullptr;
    }
    component->Free();
  }
}

// --- owned list ---------------------------------------------------------------------

void TComponent::AppendOwned(TComponent* component) {
  if (!owned_) owned_ = std::make_unique<TList>();
  owned_->Add(component);
}

void TComponent::RemoveOwned(TComponent* component) {
  if (!owned_) return;
  owned_->Remove(component);
  if (owned_->Count() == 0) owned_.reset();
}

int TComponent::OwnedCount() const { return owned_ ? owned_->Count() : 0; }

TComponent* TComponent::OwnedAt(int index) const {
  if (!owned_) throw EListError(msg::kListIndexError, {index});
  return At(*owned_, index);
}

TComponent* TComponent::FindOwned(std::string_view name) const {
  if (name.empty() || !owned_) return nullptr;
  for (int i = 0; i < owned_->Count(); ++i) {
    TComponent* component = At(*owned_, i);
    if (SameTextAscii(component->name_, name)) return component;
  }
  return nullptr;
}

int TComponent::OwnedIndex() const {
  if (!owner_ || !owner_->owned_) return -1;
  return owner_->owned_->IndexOf(this);
}

void TComponent::MoveToIndex(int index) {
  if (!owner_ || !owner_->owned_) return;
  TList& list = *owner_->owned_;
  if (index < 0) index = 0;
  if (index > list.Count() - 1) index = list.Count() - 1;
  int current = list.IndexOf(this);
  if (current >= 0 && current != index) list.Move(current, index);
}

void TComponent::AdoptComponent(TComponent* component) {
  component->CheckContainer(this);
  component->CheckOwnerField(this, component->name_);
  if (component->owner_) component->owner_->ReleaseComponent(component);
  CheckRename(component, "", component->name_);
  AppendOwned(component);
  component->owner_ = this;
  component->BindOwnerField(true);
  if (HasState(stDesigning)) {
    // Design state spreads to the adopted component and everything it owns.
    auto spread = [](auto& self, TComponent* c) -> void {
      c->IncludeState(stDesigning);
      for (int i = 0; c->owned_ && i < c->owned_->Count(); ++i) self(self, At(*c->owned_, i));
    };
    spread(spread, component);
  }
  ComponentNotify(component, noInsert);
}

void TComponent::ReleaseComponent(TComponent* component) {
  CheckRename(component, component->name_, "");
  ComponentNotify(component, noRemove);
  component->BindOwnerField(false);
  RemoveOwned(component);
  component->owner_ = nullptr;
}

void TComponent::CheckOwnerField(const TComponent* owner, std::string_view name) const {
  if (!owner) return;
  PublishedFieldRef field = FindPublishedField(*const_cast<TComponent*>(owner), name);
  // A field of another class would otherwise end up pointing at the wrong type.
  if (field && !InheritsFrom(field.entry->fieldClass())) {
    throw EConvertError(msg::kAssignError, {ClassName(), field.entry->fieldClass().name});
  }
}

void TComponent::BindOwnerField(bool enable) {
  if (!owner_) return;
  if (PublishedFieldRef field = FindPublishedField(*owner_, name_)) {
    field.Set(enable ? this : nullptr);
  }
}

// --- names --------------------------------------------------------------------------

void TComponent::AssignName(const std::string& newName) {
  if (newName == name_) return;
  if (!newName.empty() && !IsValidIdent(newName)) {
    throw EComponentError(msg::kInvalidName, {newName});
  }
  if (owner_) {
    owner_->CheckRename(this, name_, newName);
  } else {
    CheckRename(nullptr, name_, newName);
  }
  CheckOwnerField(owner_, newName);
  BindOwnerField(false);
  StoreName(newName);
  BindOwnerField(true);
}

void TComponent::CheckRename(TComponent* component, std::string_view currentName,
                             std::string_view newName) {
  if (component && !SameTextAscii(currentName, newName) && component->owner_ == this &&
      FindOwned(newName)) {
    throw EComponentError(msg::kDuplicateName, {newName});
  }
  if (HasState(stDesigning) && owner_) owner_->CheckRename(component, currentName, newName);
}

// --- notification -------------------------------------------------------------------

void TComponent::WatchForFree(TComponent* other) {
  if (!other) return;
  if (!owner_ || other->owner_ != owner_) {
    if (!watchers_ || watchers_->IndexOf(other) < 0) {
      if (!watchers_) watchers_ = std::make_unique<TList>();
      watchers_->Add(other);
      other->WatchForFree(this);
    }
  }
  IncludeState(stFreeNotification);
}

void TComponent::UnwatchForFree(TComponent* other) {
  if (!other) return;
  if (watchers_) {
    watchers_->Remove(other);
    if (watchers_->Count() == 0) watchers_.reset();
  }
  if (other->watchers_) {
    other->watchers_->Remove(this);
    if (other->watchers_->Count() == 0) other->watchers_.reset();
  }
}

void TComponent::ComponentNotify(TComponent* component, TOperation operation) {
  if (operation == noRemove && component) UnwatchForFree(component);
  if (!owned_) return;
  int i = owned_->Count() - 1;
  while (i >= 0) {
    At(*owned_, i)->ComponentNotify(component, operation);
    // Handlers may have removed components: stay inside what is left.
    --i;
    int count = owned_ ? owned_->Count() : 0;
    if (i >= count) i = count - 1;
  }
}

// --- loading and the rest -----------------------------------------------------------

void TComponent::FinishLoading() { ExcludeState(stLoading); }

void TComponent::ReadOwnState(TReader& reader) { reader.ReadComponentData(this); }

void TComponent::WriteOwnState(TWriter&) {}

void* TComponent::QueryInterface(const TGuid&) { return nullptr; }

void TComponent::CheckContainer(TComponent* owner) { owner->CheckInsert(this); }

void TComponent::DeclareExtraProperties(TFiler& filer) {
  // Plain components keep their design position in the two halves of one value.
  const auto* ancestor = dynamic_cast<const TComponent*>(filer.Ancestor());
  int32_t ancestorInfo = ancestor ? ancestor->designInfo_ : 0;
  filer.DefineValue(
      "Left",
      [this](TReader& reader) { designInfo_ = WithLowHalf(designInfo_, reader.ReadInteger()); }, {},
      LowHalf(designInfo_) != LowHalf(ancestorInfo));
  filer.DefineValue(
      "Top",
      [this](TReader& reader) { designInfo_ = WithHighHalf(designInfo_, reader.ReadInteger()); },
      {}, HighHalf(designInfo_) != HighHalf(ancestorInfo));
}
