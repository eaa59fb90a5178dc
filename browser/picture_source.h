#pragma once
// The pixels the picture view keeps of a picture, and how they are decoded.
// A picture of up to kMaxZoomInPixels pixels is kept whole; a larger one is
// kept reduced to about that many, which serves fitting and every zoom up
// to that size; only a zoom that needs more decodes the file again, at the
// size shown. Decoding runs in strips (imagelib::DecodeScaled), so even a
// 12,000 x 9,000 scan, too large to hold whole in 32 bits, opens.
//
// Safe on any thread that may decode (the user-interface thread, or a
// worker holding an imagelib::ThreadImaging).
#include <windows.h>

#include <optional>
#include <string>

#include "core/browser/thumb_grid_rules.h"
#include "core/imagelib/pixels.h"
#include "imagelib/thumbnail.h"

namespace zv {

// A file's size and last-write time: a kept picture whose file changed
// since it was decoded is not shown.
struct FileStamp {
  uint64_t size = 0;
  uint64_t writeTime = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const std::string& path);

struct KeptPicture {
  std::string path;
  PixelImage pixels;  // unturned: the whole picture, or its reduced copy
  GridSize full;      // the file's own size
  FileStamp stamp;    // of the file when it was decoded

  bool reduced() const { return pixels.width < full.width || pixels.height < full.height; }
  bool empty() const { return pixels.pixels.empty(); }
};

// Why a picture could not be shown.
enum class PictureProblem { kNone, kUnreadable, kTooLarge };

struct DecodeOutcome {
  std::optional<KeptPicture> picture;
  PictureProblem problem = PictureProblem::kNone;
};

// The picture of `path` as the view keeps it. A cancelled decode gives no
// picture and no problem.
DecodeOutcome DecodeForView(const std::string& path, const imagelib::DecodeCancel& cancelled = {});

// Why a listed file gave no thumbnail: its headers name more pixels than a
// thumbnail is made from, or anything else (damaged data, or a layout the
// decoder of this computer does not read).
PictureProblem ThumbnailProblem(const std::string& path);

// The unturned picture decoded again at exactly `size` (for a zoom past the
// reduced copy); false when memory or the size limit does not allow it.
bool DecodeAtSize(const std::string& path, GridSize size, PixelImage* out);

}  // namespace zv
