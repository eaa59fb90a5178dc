#include "browser/image_probe.h"

#include <cstring>

#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"
#include "imagelib/image_library.h"
#include "win/gdi.h"

namespace zv {

using namespace zv::imagelib;

namespace {

// Owns one library handle; the probe's chain of transforms frees each
// intermediate picture as soon as the next exists, and everything on a
// failure.
class Image {
 public:
  explicit Image(ImageHandle h = nullptr) : handle_(h) {}
  ~Image() { IKFreeMemory(handle_); }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ImageHandle* address() { return &handle_; }
  ImageHandle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Takes the next picture of the chain and frees the one before.
  bool Replace(ImageHandle next) {
    if (next == nullptr) return false;
    IKFreeMemory(handle_);
    handle_ = next;
    return true;
  }

 private:
  ImageHandle handle_;
};

bool ReadImageType(ImageHandle image, ImageInfo* info) {
  uint8_t record[kInfoRecordSize];
  if (IKGetImageType(image, record) == 0) return false;
  info->bitsPerPixel = RecordInt16(record, 0);
  info->width = RecordInt32(record, 16);
  info->height = RecordInt32(record, 20);
  return true;
}

ImageHandle LoadByType(int type, const char* path) {
  switch (type) {
    case 0: return IKPngFileLoad(path, 0, 0, 0, 0);
    case 1: return IKTiffFileLoad(path, 0, 0, 0, 0, 0);
    case 2: return IKBmpFileLoad(path, 0, 0, 0, 0);
    case 3: return IKJpegFileLoad(path, 0, 0, 0, 0);
    default: return nullptr;
  }
}

}  // namespace

DisplayFacts DisplayFacts::FromSystem() {
  DisplayFacts facts;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExA(&version)) facts.windows95Family = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
#pragma GCC diagnostic pop
  win::WindowDC screen(nullptr);
  if (screen.get() != nullptr) facts.bitsPerPixel = GetDeviceCaps(screen.get(), BITSPIXEL);
  return facts;
}

int ImageProbe::GetImageType(const char* path) const { return path != nullptr ? ImageTypeFromPath(path) : -1; }

int ImageProbe::ColorCountFromBits(int bits) { return zv::ColorCountFromBits(bits); }

int ImageProbe::GetImageInfo(const char* path, ImageInfo* info) const {
  const int type = GetImageType(path);
  if (type < 0 || info == nullptr) return 0;
  if (type == 0 && PngCheck.IsValid(path) == 0) return 0;
  uint8_t record[kInfoRecordSize];
  if (IKFileType(path, 0, record) != 1) return 0;
  if (type == 1 && RecordInt16(record, file_info::kDecoderSupport) == file_info::kDecoderCannotRead) return 0;
  info->bitsPerPixel = RecordInt16(record, file_info::kBits);
  info->width = RecordInt32(record, file_info::kWidth);
  info->height = RecordInt32(record, file_info::kHeight);
  return 1;
}

int ImageProbe::MakeDisplayBitmap(const char* path, int boxWidth, int boxHeight, HBITMAP* bitmap, ImageInfo* info,
                                  int orientation) const {
  if (bitmap == nullptr || info == nullptr || path == nullptr) return 0;
  Image image(LoadByType(GetImageType(path), path));
  if (!image) return 0;
  ImageInfo loaded;
  if (!ReadImageType(image.get(), &loaded)) return 0;

  if (!image.Replace(IKConvertColor(image.get(), 32, 0, 0, 128, 0, 0, 0, 0))) return 0;

  const OrientationSteps steps = StepsForOrientation(orientation);
  if (orientation != 0) {
    if (!image.Replace(IKRotation(image.address(), steps.angle, steps.mirrorLeftRight, steps.mirrorTopBottom, 1, 0, 0,
                                  255, 0, 0, 0, 0, 0)))
      return 0;
    if (steps.thenMirrorLeftRight &&
        !image.Replace(IKRotation(image.address(), 0, 1, 0, 1, 0, 0, 255, 0, 0, 0, 0, 0)))
      return 0;
  }

  if (display_.windows95Family) {
    const PixelSize box = LimitBoxForDisplayMemory(display_.bitsPerPixel, boxWidth, boxHeight, loaded.width, loaded.height);
    boxWidth = box.width;
    boxHeight = box.height;
  }

  if (boxWidth > 0 && boxHeight > 0) {
    ImageInfo turned;  // after a quarter turn the sides are exchanged
    if (!ReadImageType(image.get(), &turned) || turned.width <= 0 || turned.height <= 0) return 0;
    const PixelSize size = FitIntoBox(turned.width, turned.height, boxWidth, boxHeight);
    if (!image.Replace(IKResize(image.address(), size.width, size.height, 1, 0, 0, 0, 0))) return 0;
  }

  HBITMAP made = IKBitmapFromDib(image.get());
  if (made == nullptr) return 0;
  *bitmap = made;
  *info = loaded;
  return 1;
}

}  // namespace zv
