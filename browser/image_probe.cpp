#include "browser/image_probe.h"

#include <optional>
#include <utility>

#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"
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

namespace {

// Larger files are read piece by piece: a view of them could find no room
// in a 32-bit address space that the thumbnail workers share.
constexpr uint64_t kMaxMappedPng = 256ull << 20;

// A file that cannot be shortened while it is mapped, so reading the view
// cannot fault; 0 when the check could not be made from a view.
std::optional<bool> CheckMapped(const PngCheck& check, const char* path) {
  win::UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || static_cast<uint64_t>(size.QuadPart) > kMaxMappedPng)
    return std::nullopt;
  win::UniqueKernelHandle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return std::nullopt;
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return std::nullopt;
  const bool valid = check.IsValidData(view, static_cast<size_t>(size.QuadPart));
  UnmapViewOfFile(view);
  return valid;
}

}  // namespace

int ImageProbe::Png::IsValid(const char* path) const {
  if (path == nullptr) return 0;
  if (const std::optional<bool> mapped = CheckMapped(check, path)) return *mapped ? 1 : 0;
  return check.IsValid(path) ? 1 : 0;
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
