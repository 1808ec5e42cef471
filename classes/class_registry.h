#pragma once
// The process-wide registry of persistent classes by name, organised in
// registration groups. Every operation takes the registry's critical section.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/critical_section.h"

struct ClassMetadata;

class TRegGroup {
 public:
  explicit TRegGroup(const ClassMetadata& groupClass);

  // Classes that define the group; the first is the one it was opened for.
  const std::vector<const ClassMetadata*>& GroupClasses() const { return groupClasses_; }
  // Registered classes in registration order.
  const std::vector<const ClassMetadata*>& Classes() const { return classes_; }
  bool Active() const { return active_; }

  // The most derived group class that `cls` inherits from, or none.
  const ClassMetadata* BestClass(const ClassMetadata& cls) const;
  bool InGroup(const ClassMetadata& cls) const { return BestClass(cls) != nullptr; }
  // Registered classes by name, then aliases; none when absent.
  const ClassMetadata* Lookup(std::string_view name) const;
  bool Registered(const ClassMetadata& cls) const;

 private:
  friend class TRegGroups;
  std::vector<const ClassMetadata*> groupClasses_;
  std::vector<const ClassMetadata*> classes_;
  std::vector<std::pair<std::string, const ClassMetadata*>> aliases_;
  bool active_ = false;
};

// The registry. The process has one (RegGroups()); tests may build their own.
class TRegGroups {
 public:
  // One active group for TPersistent.
  TRegGroups();
  TRegGroups(const TRegGroups&) = delete;
  TRegGroups& operator=(const TRegGroups&) = delete;

  void OpenClassGroup(const ClassMetadata& groupClass);
  // Returns the previously selected class (none at first).
  const ClassMetadata* SelectClassGroup(const ClassMetadata& groupClass);
  // Raises EFilerError "%s not in a class registration group".
  void JoinClassGroup(const ClassMetadata& cls, const ClassMetadata& groupClass);
  // Registers the class and its ancestors up to TPersistent; raises EFilerError
  // "A class named %s already exists" for another class of the same name in the group.
  void RegisterPersistentClass(const ClassMetadata& cls);
  void RegisterClassAlias(const ClassMetadata& cls, std::string_view alias);
  void UnregisterPersistentClass(const ClassMetadata& cls);
  // Active groups in order; registered classes by name, then aliases.
  const ClassMetadata* LookupRegisteredClass(std::string_view name);

  // The group whose best class for `cls` is most derived (ties: the later group).
  TRegGroup* BestGroup(const ClassMetadata& cls);
  const std::vector<std::unique_ptr<TRegGroup>>& Groups() const { return groups_; }
  CriticalSection& Lock() { return lock_; }

 private:
  CriticalSection lock_;
  std::vector<std::unique_ptr<TRegGroup>> groups_;
  const ClassMetadata* selected_ = nullptr;
};

TRegGroups& RegGroups();

void OpenClassGroup(const ClassMetadata& groupClass);
const ClassMetadata* SelectClassGroup(const ClassMetadata& groupClass);
void JoinClassGroup(const ClassMetadata& cls, const ClassMetadata& groupClass);
void RegisterPersistentClass(const ClassMetadata& cls);
void RegisterClassAlias(const ClassMetadata& cls, std::string_view alias);
void UnregisterPersistentClass(const ClassMetadata& cls);
const ClassMetadata* LookupRegisteredClass(std::string_view name);
// Raises EClassNotFound "Class %s not found".
const ClassMetadata& RequireRegisteredClass(std::string_view name);

// A per-read class finder: the groups `cls` belongs to, then (optionally) every
// active group, collected once at creation.
class TClassFinder {
 public:
  TClassFinder(const ClassMetadata& cls, bool includeActiveGroups,
               TRegGroups& groups = RegGroups());
  const ClassMetadata* Lookup(std::string_view name) const;

 private:
  TRegGroups& registry_;
  std::vector<const TRegGroup*> groups_;
};
