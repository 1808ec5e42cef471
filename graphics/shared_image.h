#pragma once
// Reference-counted image data shared by copies of a graphic (a bitmap's pixel
// store, a JPEG image's compressed bytes). A copy takes a reference; a change
// first makes the data private.
#include <cstdint>

class TSharedImage {
 public:
  TSharedImage() = default;
  virtual ~TSharedImage() = default;
  TSharedImage(const TSharedImage&) = delete;
  TSharedImage& operator=(const TSharedImage&) = delete;

  void Reference() { ++refCount_; }
  // Drops one reference; the last one gives back the native resources and frees
  // the object. Releasing an absent image does nothing.
  static void Release(TSharedImage* image);
  int32_t RefCount() const { return refCount_; }

  // Gives back native objects (handles); the object itself stays.
  virtual void FreeHandle() = 0;

 private:
  int32_t refCount_ = 0;
};
