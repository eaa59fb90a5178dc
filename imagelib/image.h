#pragma once
// A move-only owner of one image handle of the library, so that every path
// (early returns, failures, exceptions) frees the picture with IKFreeMemory
// exactly once.
#include <utility>

#include "imagelib/image_library.h"

namespace zv::imagelib {

class Image {
 public:
  Image() = default;
  explicit Image(ImageHandle handle) : handle_(handle) {}
  Image(Image&& other) noexcept : handle_(other.release()) {}
  Image& operator=(Image&& other) noexcept {
    reset(other.release());
    return *this;
  }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image() { reset(); }

  ImageHandle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Gives up ownership without freeing.
  ImageHandle release() { return std::exchange(handle_, nullptr); }
  // Frees the picture held (unless it is `handle` itself) and takes `handle`.
  void reset(ImageHandle handle = nullptr) {
    if (handle_ != handle) IKFreeMemory(handle_);
    handle_ = handle;
  }

  // One step of a chain of transforms: takes `next` and frees the picture
  // before it, so at most two pictures are alive at a time. A failed step
  // (null or empty `next`) answers false and keeps the current picture.
  bool Replace(ImageHandle next) {
    if (next == nullptr) return false;
    reset(next);
    return true;
  }
  bool Replace(Image&& next) { return Replace(next.release()); }

 private:
  ImageHandle handle_ = nullptr;
};

}  // namespace zv::imagelib
