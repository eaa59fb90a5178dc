#pragma once
// What the file list needs to know about an image file: its type (by the
// extension), its pixel size and colour count (from the headers, without
// decoding), and a display bitmap at a box size and orientation. A stateless
// object; every caller makes its own on the stack.
#include <windows.h>

#include <cstdint>

#include "core/imagelib/png_check.h"

namespace zv {

struct ImageInfo {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
};

// The facts of the running system that the display-memory limit depends on;
// the default reads them from the system, tests give their own.
struct DisplayFacts {
  bool windows95Family = false;  // platform id 1 (VER_PLATFORM_WIN32_WINDOWS)
  int bitsPerPixel = 32;         // BITSPIXEL of the screen
  static DisplayFacts FromSystem();
};

class ImageProbe {
 public:
  ImageProbe() : ImageProbe(DisplayFacts::FromSystem()) {}
  explicit ImageProbe(const DisplayFacts& display) : display_(display) {}

  // 0 PNG, 1 TIFF, 2 BMP, 3 JPEG, -1 other.
  int GetImageType(const char* path) const;

  // 1 when the file is a supported, readable image and `info` was filled;
  // 0 otherwise, with `info` untouched.
  int GetImageInfo(const char* path, ImageInfo* info) const;
  // The same from the headers alone, without the PNG check over the whole
  // file: for a file known to have passed it unchanged.
  int GetHeaderInfo(const char* path, ImageInfo* info) const;

  static int ColorCountFromBits(int bits);

  // 1 and a device-dependent bitmap owned by the caller (DeleteObject), with
  // the file's own size and depth in `info`; 0 with both untouched. A box
  // side of 0 means the natural size; orientation is a code 0-7.
  int MakeDisplayBitmap(const char* path, int boxWidth, int boxHeight, HBITMAP* bitmap, ImageInfo* info,
                        int orientation) const;

  struct Png {
    // The file is read piece by piece into a buffer the thread keeps, each
    // piece checked while it is in the processor's cache (a view of the
    // file costs more in page faults and unmapping than the copy saves).
    int IsValid(const char* path) const;
    PngCheck check;
  };
  Png PngCheck;

 private:
  DisplayFacts display_;
};

}  // namespace zv
