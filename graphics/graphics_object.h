#pragma once
// Base of the drawing-attribute objects (font, pen, brush): a link to a shared
// cache record plus the change event.
#include <cstring>

#include "classes/events.h"
#include "classes/persistent.h"
#include "graphics/resource_manager.h"
#include "platform/win32.h"
#include "runtime/critical_section.h"

class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // Fires OnChange with this object as sender.
  virtual void NotifyChange();

  // The owner's critical section (a canvas's), taken around attribute writes.
  CriticalSection* OwnerLock() const { return ownerLock_; }
  void SetOwnerLock(CriticalSection* lock) { ownerLock_ = lock; }

  SharedResource* Resource() const { return resource_; }

 protected:
  TGraphicsObject() = default;

  // Constructors take their first record and destructors give it back without
  // firing change events.
  void AttachInitialRecord(SharedResource* record) { resource_ = record; }
  SharedResource* DetachRecord() {
    SharedResource* r = resource_;
    resource_ = nullptr;
    return r;
  }

  // Copy of the current record's key bytes, ready to be edited and re-keyed.
  template <typename Record>
  Record CurrentKey() const {
    Record r;
    std::memcpy(&r, resource_->Key(), sizeof(Record));
    return r;
  }
  template <typename Record>
  const Record& Attributes() const {
    return *reinterpret_cast<const Record*>(resource_->Key());
  }

 private:
  friend class TResourceManager;
  SharedResource* resource_ = nullptr;
  CriticalSection* ownerLock_ = nullptr;
};

// Holds an object's OwnerLock for a scope; absent locks are skipped.
class OwnerLockGuard {
 public:
  explicit OwnerLockGuard(CriticalSection* lock) : lock_(lock) {
    if (lock_) lock_->Enter();
  }
  ~OwnerLockGuard() {
    if (lock_) lock_->Leave();
  }
  OwnerLockGuard(const OwnerLockGuard&) = delete;
  OwnerLockGuard& operator=(const OwnerLockGuard&) = delete;

 private:
  CriticalSection* lock_;
};
