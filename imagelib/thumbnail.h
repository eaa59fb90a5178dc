#pragma once
// Thumbnails made on worker threads as 32-bit pixels (no GDI object per
// thumbnail): the file's frame is read in strips through a format converter
// and each strip is summed into the resampler at once, so neither a whole
// 32-bit copy nor a second pass over the picture is made. The pixels equal
// those of FitPictureIntoBox(ConvertTo32Bits(LoadPicture(path, type)), w, h).
//
// Threads: every thread that makes thumbnails, other than the user-interface
// thread while the library is bound, holds a ThreadImaging for as long as it
// does. Each such thread has its own WIC imaging factory, made in its own
// multithreaded COM apartment: no WIC object is shared between threads, and
// the user-interface thread's factory (Bind, Unbind) is never touched by a
// worker. While a ThreadImaging lives, the library's other operations on
// that thread use its factory too.
#include <windows.h>

#include <wincodec.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "core/imagelib/pixels.h"
#include "core/imagelib/probe_rules.h"
#include "imagelib/picture_ops.h"
#include "win/com.h"

namespace zv::imagelib {

struct Thumbnail {
  PixelImage pixels;  // top-down B, G, R, A; the picture fitted into the box by FitIntoBox (small pictures enlarged)
  PictureInfo info;   // the file's own width, height and bit depth (as ReadPictureInfo gives after LoadPicture)
};

// Asked between the strips of a decode: true ends it with no picture, so
// that whoever waits for a decode to let go of its file waits one strip at
// most. Empty: never cancelled.
using DecodeCancel = std::function<bool()>;

// The thumbnail of an image file of type code `type` (0 PNG, 1 TIFF, 2 BMP,
// 3 JPEG: ImageTypeFromPath). Nothing on any failure or when cancelled. A
// box side of 0 or less gives the picture at its own size. Safe on any
// thread that holds a ThreadImaging object.
std::optional<Thumbnail> MakeThumbnail(const char* path, int type, int32_t boxWidth, int32_t boxHeight,
                                       const DecodeCancel& cancelled = {});

// The size a picture is decoded to, chosen from its own width and height.
using ScaleChoice = std::function<PixelSize(int32_t width, int32_t height)>;
// The picture decoded in strips to the size `choose` gives: resampled as
// the strips arrive (area averaging where it shrinks), or, at its own size,
// copied. The file may hold up to kMaxStreamedPixelCount pixels; the result
// must be a size PixelSizeIsAllowed takes. Nothing on any failure,
// including memory running short, and when `cancelled` says so. The same
// threads as MakeThumbnail.
std::optional<Thumbnail> DecodeScaled(const char* path, int type, const ScaleChoice& choose,
                                      const DecodeCancel& cancelled = {});

// The same for a frame already open (a decoder's frame, or any source),
// whose own size and depth are `info`: what the file-based form does after
// opening the file. Where the frame offers IWICBitmapSourceTransform and is
// 24- or 32-bit, it is read at the smallest size it offers that is not
// smaller than the chosen one, and resampled from there.
std::optional<Thumbnail> DecodeScaled(IWICBitmapSource* frame, PictureInfo info, const ScaleChoice& choose,
                                      const DecodeCancel& cancelled = {});

// Per-thread set-up for worker threads: CoInitializeEx (multithreaded) and
// the thread's own WIC imaging factory; undone in the destructor. One per
// thread, made and destroyed on that thread.
class ThreadImaging {
 public:
  ThreadImaging();
  ~ThreadImaging();
  ThreadImaging(const ThreadImaging&) = delete;
  ThreadImaging& operator=(const ThreadImaging&) = delete;
  bool ok() const { return factory_ != nullptr; }

 private:
  win::ComSession com_;
  win::ComPtr<IWICImagingFactory> factory_;
  IWICImagingFactory* previous_ = nullptr;
};

}  // namespace zv::imagelib
