#include "classes/class_registry.h"

#include <algorithm>

#include "classes/metadata.h"
#include "classes/persistent.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

// --- one group ----------------------------------------------------------------------

TRegGroup::TRegGroup(const ClassMetadata& groupClass) { groupClasses_.push_back(&groupClass); }

const ClassMetadata* TRegGroup::BestClass(const ClassMetadata& cls) const {
  const ClassMetadata* best = nullptr;
  for (const ClassMetadata* groupClass : groupClasses_) {
    if (cls.InheritsFrom(*groupClass) && (!best || groupClass->InheritsFrom(*best))) {
      best = groupClass;
    }
  }
  return best;
}

const ClassMetadata* TRegGroup::Lookup(std::string_view name) const {
  for (const ClassMetadata* cls : classes_) {
    if (SameClassName(cls->name, name)) return cls;
  }
  for (const auto& [alias, cls] : aliases_) {
    if (SameClassName(alias, name)) return cls;
  }
  return nullptr;
}

bool TRegGroup::Registered(const ClassMetadata& cls) const {
  return std::find(classes_.begin(), classes_.end(), &cls) != classes_.end();
}

// --- the registry -------------------------------------------------------------------

TRegGroups::TRegGroups() {
  groups_.push_back(std::make_unique<TRegGroup>(TPersistent::StaticMeta()));
  groups_.front()->active_ = true;
}

TRegGroup* TRegGroups::BestGroup(const ClassMetadata& cls) {
  TRegGroup* candidate = nullptr;
  const ClassMetadata* candidateClass = nullptr;
  for (const auto& group : groups_) {
    const ClassMetadata* best = group->BestClass(cls);
    // Ties go to the later group: an equally good class replaces the candidate.
    if (best && (!candidate || best->InheritsFrom(*candidateClass))) {
      candidate = group.get();
      candidateClass = best;
    }
  }
  return candidate;
}

void TRegGroups::OpenClassGroup(const ClassMetadata& groupClass) {
  CriticalSectionGuard guard(lock_);
  for (const auto& group : groups_) {
    const auto& classes = group->groupClasses_;
    if (std::find(classes.begin(), classes.end(), &groupClass) != classes.end()) return;
  }
  groups_.push_back(std::make_unique<TRegGroup>(groupClass));
}

const ClassMetadata* TRegGroups::SelectClassGroup(const ClassMetadata& groupClass) {
  CriticalSectionGuard guard(lock_);
  const ClassMetadata* previous = selected_;
  if (selected_ != &groupClass) {
    selected_ = &groupClass;
    for (const auto& group : groups_) group->active_ = group->InGroup(groupClass);
  }
  return previous;
}

void TRegGroups::JoinClassGroup(const ClassMetadata& cls, const ClassMetadata& groupClass) {
  CriticalSectionGuard guard(lock_);
  TRegGroup* target = BestGroup(groupClass);
  if (!target) throw EFilerError(msg::kNotInClassGroup, {groupClass.name});
  target->groupClasses_.push_back(&cls);
  // Classes registered elsewhere that now belong here move over.
  for (const auto& group : groups_) {
    if (group.get() == target) continue;
    auto& classes = group->classes_;
    for (size_t i = 0; i < classes.size();) {
      const ClassMetadata* candidate = classes[i];
      if (candidate->InheritsFrom(cls) && BestGroup(*candidate) == target) {
        target->classes_.push_back(candidate);
        classes.erase(classes.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
  }
}

void TRegGroups::RegisterPersistentClass(const ClassMetadata& cls) {
  CriticalSectionGuard guard(lock_);
  const ClassMetadata* persistent = &TPersistent::StaticMeta();
  for (const ClassMetadata* c = &cls; c; c = c->parent) {
    bool registered = std::any_of(groups_.begin(), groups_.end(),
                                  [c](const auto& group) { return group->Registered(*c); });
    if (registered) return;
    if (TRegGroup* group = BestGroup(*c)) {
      if (group->Lookup(c->name)) throw EFilerError(msg::kDuplicateClass, {c->name});
      group->classes_.push_back(c);
    }
    if (c == persistent) return;
  }
}

void TRegGroups::RegisterClassAlias(const ClassMetadata& cls, std::string_view alias) {
  CriticalSectionGuard guard(lock_);
  RegisterPersistentClass(cls);
  if (TRegGroup* group = BestGroup(cls)) group->aliases_.emplace_back(std::string(alias), &cls);
}

void TRegGroups::UnregisterPersistentClass(const ClassMetadata& cls) {
  CriticalSectionGuard guard(lock_);
  for (const auto& group : groups_) {
    std::erase(group->classes_, &cls);
    std::erase_if(group->aliases_, [&cls](const auto& alias) { return alias.second == &cls; });
  }
}

const ClassMetadata* TRegGroups::LookupRegisteredClass(std::string_view name) {
  CriticalSectionGuard guard(lock_);
  for (const auto& group : groups_) {
    if (!group->active_) continue;
    if (const ClassMetadata* cls = group->Lookup(name)) return cls;
  }
  return nullptr;
}

TRegGroups& RegGroups() {
  // Never destroyed: module shut-downs may still look classes up.
  static TRegGroups* groups = new TRegGroups;
  return *groups;
}

void OpenClassGroup(const ClassMetadata& groupClass) { RegGroups().OpenClassGroup(groupClass); }
const ClassMetadata* SelectClassGroup(const ClassMetadata& groupClass) {
  return RegGroups().SelectClassGroup(groupClass);
}
void JoinClassGroup(const ClassMetadata& cls, const ClassMetadata& groupClass) {
  RegGroups().JoinClassGroup(cls, groupClass);
}
void RegisterPersistentClass(const ClassMetadata& cls) { RegGroups().RegisterPersistentClass(cls); }
void RegisterClassAlias(const ClassMetadata& cls, std::string_view alias) {
  RegGroups().RegisterClassAlias(cls, alias);
}
void UnregisterPersistentClass(const ClassMetadata& cls) {
  RegGroups().UnregisterPersistentClass(cls);
}
const ClassMetadata* LookupRegisteredClass(std::string_view name) {
  return RegGroups().LookupRegisteredClass(name);
}
const ClassMetadata& RequireRegisteredClass(std::string_view name) {
  const ClassMetadata* cls = LookupRegisteredClass(name);
  if (!cls) throw EClassNotFound(msg::kClassNotFound, {name});
  return *cls;
}

// --- per-read finder ----------------------------------------------------------------

TClassFinder::TClassFinder(const ClassMetadata& cls, bool includeActiveGroups, TRegGroups& groups)
    : registry_(groups) {
  CriticalSectionGuard guard(registry_.Lock());
  for (const auto& group : registry_.Groups()) {
    if (group->InGroup(cls)) groups_.push_back(group.get());
  }
  if (includeActiveGroups) {
    for (const auto& group : registry_.Groups()) {
      if (group->Active()) groups_.push_back(group.get());
    }
  }
}

const ClassMetadata* TClassFinder::Lookup(std::string_view name) const {
  CriticalSectionGuard guard(registry_.Lock());
  for (const TRegGroup* group : groups_) {
    if (const ClassMetadata* cls = group->Lookup(name)) return cls;
  }
  return nullptr;
}
