#pragma once
// A move-only owner of one image handle of the library, so that every path
// (early returns, failures, exceptions) frees the picture with IKFreeMemory
// exactly once.
#include "imagelib/image_library.h"
#include "win/handles.h"

namespace zv::imagelib {

struct ImageTraits {
  using Type = ImageHandle;
  static Type Invalid() { return nullptr; }
  static void Close(Type image) { IKFreeMemory(image); }
};

class Image : public win::UniqueHandle<ImageTraits> {
 public:
  Image() = default;
  using UniqueHandle::UniqueHandle;

  // One step of a chain of transforms: takes `next` and frees the picture
  // before it, so at most two pictures are alive at a time. A failed step
  // (null or empty `next`) answers false and keeps the current picture.
  bool Replace(ImageHandle next) {
    if (next == nullptr) return false;
    reset(next);
    return true;
  }
  bool Replace(Image&& next) { return Replace(next.release()); }
};

}  // namespace zv::imagelib
