#include "browser/picture_source.h"

#include <algorithm>
#include <cmath>

#include "core/browser/picture_layout.h"
#include "core/imagelib/image_header.h"
#include "core/imagelib/probe_rules.h"
#include "fileops/file_checks.h"
#include "imagelib/thumbnail.h"

namespace zv {

namespace {

uint64_t Join(uint32_t high, uint32_t low) { return uint64_t{high} << 32 | low; }

// The kept size: the whole picture up to kMaxZoomInPixels, else scaled down
// evenly to about that many.
PixelSize KeptSize(int32_t width, int32_t height) {
  const int64_t count = int64_t{width} * height;
  if (count <= kMaxZoomInPixels) return {width, height};
  const double scale = std::sqrt(static_cast<double>(kMaxZoomInPixels) / static_cast<double>(count));
  return {std::max(1, static_cast<int32_t>(width * scale)), std::max(1, static_cast<int32_t>(height * scale))};
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
  FileSizeAndTime found;
  if (!GetSharedFileSizeAndTime(path, found)) return std::nullopt;
  return FileStamp{Join(found.sizeHigh, found.sizeLow), Join(found.lastWrite.dwHighDateTime, found.lastWrite.dwLowDateTime)};
}

DecodeOutcome DecodeForView(const std::string& path, const imagelib::DecodeCancel& cancelled) {
  DecodeOutcome outcome;
  const std::optional<FileStamp> stamp = StampOf(path);
  const int type = ImageTypeFromPath(path.c_str());
  std::optional<imagelib::Thumbnail> decoded;
  if (stamp) decoded = imagelib::DecodeScaled(path.c_str(), type, KeptSize, cancelled);
  if (!decoded && cancelled && cancelled()) return outcome;
  if (!decoded) {
    // A picture whose headers name a size we could not hold is too large;
    // anything else is damaged, of another kind, or gone.
    ImageHeader header;
    const bool large = stamp && ProbeImageFile(path.c_str(), &header) &&
                       int64_t{header.width} * header.height > kMaxZoomInPixels;
    outcome.problem = large ? PictureProblem::kTooLarge : PictureProblem::kUnreadable;
    return outcome;
  }
  KeptPicture kept;
  kept.path = path;
  kept.pixels = std::move(decoded->pixels);
  kept.full = {decoded->info.width, decoded->info.height};
  kept.stamp = *stamp;
  outcome.picture = std::move(kept);
  return outcome;
}

PictureProblem ThumbnailProblem(const std::string& path) {
  ImageHeader header;
  const bool large = ProbeImageFile(path.c_str(), &header) && !StreamedSizeIsAllowed(header.width, header.height);
  return large ? PictureProblem::kTooLarge : PictureProblem::kUnreadable;
}

bool DecodeAtSize(const std::string& path, GridSize size, PixelImage* out) {
  if (!PixelSizeIsAllowed(size.width, size.height)) return false;
  std::optional<imagelib::Thumbnail> decoded = imagelib::DecodeScaled(
      path.c_str(), ImageTypeFromPath(path.c_str()), [size](int32_t, int32_t) { return PixelSize{size.width, size.height}; });
  if (!decoded) return false;
  *out = std::move(decoded->pixels);
  return true;
}

}  // namespace zv
