#include "browser/image_probe.h"

#include <optional>
#include <utility>

#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"
#include "imagelib/handle_byte_source.h"
#include "imagelib/image_library.h"
#include "imagelib/picture_ops.h"
#include "win/gdi.h"
#include "win/handles.h"

namespace zv {

using namespace zv::imagelib;

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

int ImageProbe::Png::IsValid(const char* path) const {
  const win::UniqueFile file = OpenForSharedReading(path);
  if (!file) return 0;
  HandleByteSource source(file.get());
  return check.IsValidSource(source) ? 1 : 0;
}

int ImageProbe::GetImageType(const char* path) const { return path != nullptr ? ImageTypeFromPath(path) : -1; }

int ImageProbe::ColorCountFromBits(int bits) { return zv::ColorCountFromBits(bits); }

int ImageProbe::GetImageInfo(const char* path, ImageInfo* info) const {
  if (GetImageType(path) == 0 && PngCheck.IsValid(path) == 0) return 0;
  return GetHeaderInfo(path, info);
}

int ImageProbe::GetHeaderInfo(const char* path, ImageInfo* info) const {
  const int type = GetImageType(path);
  if (type < 0 || info == nullptr) return 0;
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
  Image picture = LoadPicture(path, GetImageType(path));
  const std::optional<PictureInfo> loaded = ReadPictureInfo(picture);
  if (!loaded) return 0;
  if (display_.windows95Family) {
    const PixelSize box = LimitBoxForDisplayMemory(display_.bitsPerPixel, boxWidth, boxHeight, loaded->width,
                                                   loaded->height);
    boxWidth = box.width;
    boxHeight = box.height;
  }
  picture = FitPictureIntoBox(OrientPicture(ConvertTo32Bits(std::move(picture)), orientation), boxWidth, boxHeight);
  win::UniqueBitmap made = ToDisplayBitmap(picture);
  if (!made) return 0;
  *bitmap = made.release();
  *info = ImageInfo{loaded->width, loaded->height, loaded->bitsPerPixel};
  return 1;
}

}  // namespace zv
