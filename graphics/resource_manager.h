#pragma once
// Reference-counted caches of native GDI objects, keyed by the raw bytes of an
// attribute record. Every font, pen or brush with the same attributes shares one
// record and, once something draws with it, one native object.
#include <cstdint>
#include <memory>

#include "platform/win32.h"
#include "runtime/critical_section.h"

class TGraphicsObject;

// One allocation: this header followed by a copy of the key bytes.
struct SharedResource {
  SharedResource* next;
  int32_t refCount;
  HGDIOBJ handle;  // 0 until first requested
  uint16_t hash;

  unsigned char* Key() { return reinterpret_cast<unsigned char*>(this + 1); }
  const unsigned char* Key() const { return reinterpret_cast<const unsigned char*>(this + 1); }
};

// Rotate left by 5 within 16 bits, then XOR the byte into the low 8 bits.
uint16_t KeyHash(const void* key, uint16_t length);

class TResourceManager {
 public:
  explicit TResourceManager(uint16_t keyLength);
  virtual ~TResourceManager();
  TResourceManager(const TResourceManager&) = delete;
  TResourceManager& operator=(const TResourceManager&) = delete;

  // The record for `key` with its count raised, created when missing.
  SharedResource* AcquireRecord(const void* key);
  // Lowers the count; the last release deletes the native handle and the record.
  void ReleaseRecord(SharedResource* record);
  // Moves `object` to the record for `key`; fires its NotifyChange only when the
  // record actually differs.
  void ReplaceRecord(TGraphicsObject& object, const void* key);
  // Makes `object` share `record`.
  void AdoptRecord(TGraphicsObject& object, SharedResource* record);
  // Per-kind clean-up when a record dies.
  virtual void ReleaseExtras(SharedResource* record);

  // The cache lock; re-entrant for the owning thread. Also guards lazy handle
  // creation of the cache's records.
  void Lock() { lock_.Enter(); }
  void Unlock() { lock_.Leave(); }

  // Walks every record under the cache lock (newest first).
  template <typename F>
  void ForEachRecord(F&& visit) {
    Lock();
    for (SharedResource* r = head_; r; r = r->next) visit(*r);
    Unlock();
  }
  int RecordCount();

 private:
  void DestroyRecord(SharedResource* record);
  void NotifyThenRelease(TGraphicsObject& object, SharedResource* old);

  SharedResource* head_ = nullptr;
  CriticalSection lock_;
  uint16_t keyLength_;
};

// Brushes may own their pattern bitmap; the record frees it when it dies.
class TBrushResourceManager : public TResourceManager {
 public:
  TBrushResourceManager();
  void ReleaseExtras(SharedResource* record) override;
};

// Scoped holder for the cache lock.
class CacheLock {
 public:
  explicit CacheLock(TResourceManager& m) : m_(m) { m_.Lock(); }
  ~CacheLock() { m_.Unlock(); }
  CacheLock(const CacheLock&) = delete;
  CacheLock& operator=(const CacheLock&) = delete;

 private:
  TResourceManager& m_;
};

// The three process-wide caches, made by the graphics module start-up.
// Made by the graphics module's start-up, freed by its shut-down.
extern std::unique_ptr<TResourceManager> FontManager;
extern std::unique_ptr<TResourceManager> PenManager;
extern std::unique_ptr<TBrushResourceManager> BrushManager;
