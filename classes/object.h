#pragma once
// TObject: the root of every framework class. It knows its class metadata, and it is
// destroyed through one entry point, Free(), so that the before-destruction step runs
// while the object still has its full type.
#include <memory>
#include <string_view>

struct ClassMetadata;

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  // Prefer Free(): a plain delete skips BeforeDestruction().
  virtual ~TObject() = default;

  // Metadata of TObject itself.
  static const ClassMetadata& StaticMeta();
  // Metadata of the object's own (most derived) class. Every class that has
  // metadata overrides this with `return StaticMeta();`.
  virtual const ClassMetadata& Meta() const;

  std::string_view ClassName() const;
  // True when the object's class is `cls` or derives from it.
  bool InheritsFrom(const ClassMetadata& cls) const;

  // Runs BeforeDestruction() with the full type, then deletes the object
  // (destructors most-derived first). Null-safe through FreeObject().
  void Free();
  static void FreeObject(TObject* object) {
    if (object) object->Free();
  }

 protected:
  // Called by Free() before any destructor runs.
  virtual void BeforeDestruction() {}
};

// Deleter for sole-owned framework objects: std::unique_ptr<TFont, FreeDeleter>.
struct FreeDeleter {
  void operator()(TObject* object) const { TObject::FreeObject(object); }
};
template <class T>
using TOwnedPtr = std::unique_ptr<T, FreeDeleter>;
