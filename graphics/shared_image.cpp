#include "graphics/shared_image.h"

void TSharedImage::Release(TSharedImage* image) {
  if (!image) return;
  if (image->refCount_ > 1) {
    --image->refCount_;
    return;
  }
  image->refCount_ = 0;
  image->FreeHandle();
  delete image;
}
