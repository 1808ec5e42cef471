#include "graphics/resource_manager.h"

#include <cstring>
#include <new>

#include "graphics/graphics_object.h"

std::unique_ptr<TResourceManager> FontManager;
std::unique_ptr<TResourceManager> PenManager;
std::unique_ptr<TBrushResourceManager> BrushManager;

uint16_t KeyHash(const void* key, uint16_t length) {
  const auto* bytes = static_cast<const unsigned char*>(key);
  uint16_t h = 0;
  for (uint16_t i = 0; i < length; ++i) {
    h = static_cast<uint16_t>((h << 5) | (h >> 11));
    h ^= bytes[i];
  }
  return h;
}

TResourceManager::TResourceManager(uint16_t keyLength) : keyLength_(keyLength) {}

TResourceManager::~TResourceManager() {
  // Records still alive here belong to objects that outlive the module; their
  // native objects go with the cache rather than leak.
  while (head_) {
    SharedResource* r = head_;
    head_ = r->next;
    DestroyRecord(r);
  }
}

SharedResource* TResourceManager::AcquireRecord(const void* key) {
  const uint16_t hash = KeyHash(key, keyLength_);
  CacheLock guard(*this);
  SharedResource* r = head_;
  while (r && !(r->hash == hash && std::memcmp(r->Key(), key, keyLength_) == 0)) r = r->next;
  if (!r) {
    void* mem = ::operator new(sizeof(SharedResource) + keyLength_);
    r = static_cast<SharedResource*>(mem);
    r->next = head_;
    r->refCount = 0;
    // Every key starts with its native handle field; only adopted fonts carry one.
    std::memcpy(&r->handle, key, sizeof(HGDIOBJ));
    r->hash = hash;
    std::memcpy(r->Key(), key, keyLength_);
    head_ = r;
  }
  ++r->refCount;
  return r;
}

void TResourceManager::ReleaseRecord(SharedResource* record) {
  if (!record) return;
  bool dead = false;
  {
    CacheLock guard(*this);
    if (--record->refCount == 0) {
      dead = true;
      if (head_ == record) {
        head_ = record->next;
      } else {
        SharedResource* p = head_;
        while (p && p->next != record) p = p->next;
        if (p) p->next = record->next;
      }
    }
  }
  if (dead) DestroyRecord(record);
}

void TResourceManager::DestroyRecord(SharedResource* record) {
  if (record->handle) DeleteObject(record->handle);
  ReleaseExtras(record);
  ::operator delete(record);
}

void TResourceManager::ReplaceRecord(TGraphicsObject& object, const void* key) {
  CacheLock guard(*this);
  SharedResource* old = object.resource_;
  object.resource_ = AcquireRecord(key);
  if (object.resource_ != old)
    NotifyThenRelease(object, old);
  else
    ReleaseRecord(old);
}

void TResourceManager::AdoptRecord(TGraphicsObject& object, SharedResource* record) {
  CacheLock guard(*this);
  SharedResource* old = object.resource_;
  if (record == old) return;
  ++record->refCount;
  object.resource_ = record;
  NotifyThenRelease(object, old);
}

void TResourceManager::NotifyThenRelease(TGraphicsObject& object, SharedResource* old) {
  // The old record must be let go even when a change handler throws.
  try {
    object.NotifyChange();
  } catch (...) {
    ReleaseRecord(old);
    throw;
  }
  ReleaseRecord(old);
}

void TResourceManager::ReleaseExtras(SharedResource*) {}

int TResourceManager::RecordCount() {
  int n = 0;
  ForEachRecord([&](SharedResource&) { ++n; });
  return n;
}
