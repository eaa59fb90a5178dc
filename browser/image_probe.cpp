#include "browser/image_probe.h"

#include <optional>
#include <vector>
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

// A file is checked from one open: through a read-only view from 1 MiB on
// (reading it piece by piece would mostly be the kernel copying the page
// cache into our buffer), in one read below that (under Wine a view costs
// three more calls to the wineserver than it saves). Files over 256 MiB are
// read piece by piece: a view of them could find no room in a 32-bit
// address space that the thumbnail workers share.
constexpr uint64_t kMinMappedPng = 1ull << 20;
constexpr uint64_t kMaxMappedPng = 256ull << 20;

bool CheckView(const PngCheck& check, HANDLE file, size_t size) {
  win::UniqueKernelHandle mapping(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return false;
  // A mapped file cannot be shortened while it is mapped, so reading the view cannot fault.
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return false;
  const bool valid = check.IsValidData(view, size);
  UnmapViewOfFile(view);
  return valid;
}

bool CheckRead(const PngCheck& check, HANDLE file, size_t size) {
  thread_local std::vector<uint8_t> bytes;  // one per listing worker, kept for the next file
  bytes.resize(size);
  DWORD got = 0;
  return ReadFile(file, bytes.data(), static_cast<DWORD>(size), &got, nullptr) && got == size &&
         check.IsValidData(bytes.data(), size);
}

}  // namespace

int ImageProbe::Png::IsValid(const char* path) const {
  if (path == nullptr) return 0;
  win::UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return 0;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return 0;
  const uint64_t bytes = static_cast<uint64_t>(size.QuadPart);
  if (bytes > kMaxMappedPng) {
    file.reset();
    return check.IsValid(path) ? 1 : 0;
  }
  const bool valid = bytes >= kMinMappedPng ? CheckView(check, file.get(), static_cast<size_t>(bytes))
                                            : CheckRead(check, file.get(), static_cast<size_t>(bytes));
  return valid ? 1 : 0;
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
