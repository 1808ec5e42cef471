#pragma once
// TComponent: an owned, named object. An owner destroys what it owns, keeps the
// names of its components unique, binds each to its published field of the same
// name and broadcasts insert/remove notifications so that links between components
// never outlive their targets. Destroy components with Free().
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "classes/persistent.h"

class TList;
class TReader;
class TWriter;
struct TGuid;

using TComponentState = uint16_t;
constexpr TComponentState stLoading = 0x0001;
constexpr TComponentState stReading = 0x0002;
constexpr TComponentState stWriting = 0x0004;
constexpr TComponentState stDestroying = 0x0008;
constexpr TComponentState stDesigning = 0x0010;
constexpr TComponentState stAncestor = 0x0020;
constexpr TComponentState stUpdating = 0x0040;
constexpr TComponentState stFixups = 0x0080;
constexpr TComponentState stFreeNotification = 0x0100;
constexpr TComponentState stInline = 0x0200;
constexpr TComponentState stDesignInstance = 0x0400;

using TComponentStyle = uint8_t;
constexpr TComponentStyle syInheritable = 0x01;
constexpr TComponentStyle sySubComponent = 0x04;

enum TOperation : uint8_t { noInsert = 0, noRemove = 1 };

class TComponent : public TPersistent {
 public:
  // Sets the style to syInheritable; with an owner, owner->AdoptComponent(this).
  explicit TComponent(TComponent* owner);
  // Frees what the component owns (last first), tells the components watching it,
  // and leaves its owner. Reached through Free().
  // List operations here cannot fail on indexes the loops derive from the counts.
  ~TComponent() override;  // NOLINT(bugprone-exception-escape)

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  int32_t Tag() const { return tag_; }

  TComponentState State() const { return state_; }
  bool HasState(TComponentState flags) const { return (state_ & flags) != 0; }
  void IncludeState(TComponentState flags) { state_ |= flags; }
  void ExcludeState(TComponentState flags) { state_ &= static_cast<TComponentState>(~flags); }
  TComponentStyle Style() const { return style_; }
  bool HasStyle(TComponentStyle flags) const { return (style_ & flags) != 0; }
  // Design position: low half the defined property Left, high half Top.
  int32_t DesignInfo() const { return designInfo_; }
  void SetDesignInfo(int32_t info) { designInfo_ = info; }

  // --- owned components -----------------------------------------------------------
  int OwnedCount() const;
  // Raises EListError "List index out of bounds (%d)" for a bad index.
  TComponent* OwnedAt(int index) const;
  // First owned component whose name matches, ASCII case ignored; none for "".
  TComponent* FindOwned(std::string_view name) const;
  // Index in the owner's list, or -1 without an owner.
  int OwnedIndex() const;
  // Moves this component in its owner's list (index clamped); no owner, no effect.
  void MoveToIndex(int index);
  void AdoptComponent(TComponent* component);
  void ReleaseComponent(TComponent* component);
  // Sets (enable) or clears the owner's published field named like this component.
  void BindOwnerField(bool enable);

  // --- free notification ----------------------------------------------------------
  // Asks to be told (ComponentNotify noRemove) when `other` is destroyed, and tells
  // `other` likewise; siblings under one owner are not registered with each other.
  void WatchForFree(TComponent* other);
  void UnwatchForFree(TComponent* other);

  // Sets stDestroying here and, recursively, on everything owned (unless set).
  void BeginDestroying();
  // Destroys the owned components, last first.
  void DestroyOwned();

  // --- overridable operations -------------------------------------------------------
  // Post-load step; the base clears stLoading.
  virtual void FinishLoading();
  // Insert/remove notification; the base unwatches a removed component and forwards
  // the call to every owned component, last first.
  virtual void ComponentNotify(TComponent* component, TOperation operation);
  // Reads this component's properties and children (base: reader.ReadComponentData).
  virtual void ReadOwnState(TReader& reader);
  // Renames: validates the identifier, checks for duplicates, rebinds the owner field.
  // Raises EComponentError "''%s'' is not a valid component name" or
  // "A component named %s already exists"; the name is then unchanged.
  virtual void AssignName(const std::string& newName);
  virtual void CheckRename(TComponent* component, std::string_view currentName,
                           std::string_view newName);
  // Writes this component's data (base: nothing is written by this system).
  virtual void WriteOwnState(TWriter& writer);
  // Interface query: the implementation of `iid`, or none (base: none).
  virtual void* QueryInterface(const TGuid& iid);

  // --- hooks the reader and the controls use ------------------------------------
  // Base: owner->CheckInsert(this).
  virtual void CheckContainer(TComponent* owner);
  virtual void CheckInsert(TComponent* /*component*/) {}
  // Owner for children read into this component (none: the reader's root).
  virtual TComponent* ChildOwnerFor() { return nullptr; }
  // Parent for children read into this component.
  virtual TComponent* ChildParentFor() { return this; }
  virtual void AttachToParent(TComponent* /*parent*/) {}
  virtual TComponent* ParentOfComponent() const { return nullptr; }
  virtual void PlaceChildAt(TComponent* /*child*/, int /*position*/) {}
  virtual bool HasParent() const { return false; }
  virtual void BeginUpdate() { IncludeState(stUpdating); }
  virtual void EndUpdate() { ExcludeState(stUpdating); }
  // Stores the name field (AssignName's last step).
  virtual void StoreName(const std::string& name) { name_ = name; }

  // Declares Left and Top into the design position halves.
  void DeclareExtraProperties(TFiler& filer) override;
  // The component's name.
  std::string NamePath() const override { return name_; }
  TPersistent* NamingOwner() const override { return owner_; }

  // Interface reference counting is inert.
  int32_t AddRef() { return -1; }
  int32_t Release() { return -1; }

 protected:
  // BeginDestroying unless already destroying.
  void BeforeDestruction() override;

 private:
  // Refuses a name whose owner field holds another class (EConvertError).
  void CheckOwnerField(const TComponent* owner, std::string_view name) const;
  void AppendOwned(TComponent* component);
  void RemoveOwned(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  int32_t tag_ = 0;
  // Created on first insertion and freed as soon as it becomes empty.
  std::unique_ptr<TList> owned_;
  std::unique_ptr<TList> watchers_;  // free-notification list, same rule
  int32_t designInfo_ = 0;
  TComponentState state_ = 0;
  TComponentStyle style_ = 0;
};

// Validates a component name: first A-Z, a-z or "_", then also 0-9.
bool IsValidIdent(std::string_view name);
